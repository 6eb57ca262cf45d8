// The main window's composition: each subsystem builds its part (controls,
// menu items, captions) in the order below, then each wires its events. The
// order is that of the items where two parts share a menu.
#include "app/formmain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>
#include <iterator>

#include "app/controls.h"
#include "output/chartview.h"
#include "table/stringgrid.h"
#include "table/undo.h"

const TFormMain::Subsystem TFormMain::kSubsystems[] = {
    {&TFormMain::BuildShell, &TFormMain::WireShell},                        // app/shell.cpp
    {&TFormMain::BuildDataFile, nullptr},                                   // datafile/
    {&TFormMain::BuildTable, &TFormMain::WireTable},                        // table/
    {&TFormMain::BuildLanguage, nullptr},                                   // i18n/
    {&TFormMain::BuildEvaluationPoints, &TFormMain::WireEvaluationPoints},  // points/
    {&TFormMain::BuildFitResults, &TFormMain::WireFitResults},              // fit/
    {&TFormMain::BuildStatistics, &TFormMain::WireStatistics},              // stats/
    {&TFormMain::BuildOutput, &TFormMain::WireOutput},                      // output/
    {&TFormMain::BuildAbout, nullptr},                                      // about/
};

TFormMain::TFormMain(const FormEnvironment& env, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(env.dialogs),
      sep_(env.decimalSeparator),
      programDirectory_(env.programDirectory),
      longWorkDelay_(env.longWorkDelay),
      givenLanguage_(env.language),
      readOnlySettings_(env.readOnlySettings) {
    setObjectName("FormMain");
    for (const Subsystem& s : kSubsystems) (this->*s.build)();
    for (const Subsystem& s : kSubsystems)
        if (s.wire) (this->*s.wire)();
    SetKeyboardOrder();
    // Where controls overlap: the chart over the help text, the result group over both in a low window.
    app_.Memo1->lower();
    app_.GroupBoxResult->raise();
    DescribeByDesignNames(this);

    FormCreate();
    qApp->installEventFilter(this);                 // shortcuts by physical key, and the parts' event hooks
    table_.sgData->setFocus(Qt::OtherFocusReason);  // the table is the first control to type into
}

TFormMain::~TFormMain() {
    if (i18n_.qtTexts) QCoreApplication::removeTranslator(i18n_.qtTexts.get());
    // The controls read the table's cells: they go before the members do, and
    // no event of their teardown reaches the handlers.
    qApp->removeEventFilter(this);
    hooks_.clear();
    delete takeCentralWidget();
}

// Tab goes through the table, the right-hand column, the formula's button and
// the evaluation points (their edits, then their boxes), whatever order the
// parts built them in.
void TFormMain::SetKeyboardOrder() {
    std::vector<QWidget*> order = {table_.sgData,        fit_.ComboBox1,     output_.btnPrint,
                                   output_.btnGraphCopy, app_.CheckBoxOnTop, output_.btnCopy};
    for (const EvaluationRow& row : points_.rows) order.push_back(row.edit);
    for (const EvaluationRow& row : points_.rows) order.push_back(row.check);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}
