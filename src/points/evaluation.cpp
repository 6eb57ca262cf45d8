// The ten evaluation points: an X typed in, the fitted Y read off the curve,
// optionally plotted; shown or hidden as a whole.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/fit.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

void TFormMain::MaskEditX1Change(QObject* sender) {
    int k = 0;
    while (k < 10 && sender != evalRows_[k].edit && sender != evalRows_[k].check) ++k;
    if (k == 10) return;
    EvaluationRow& row = evalRows_[k];

    const std::string text = row.edit->text().toStdString();
    if (kurv::IsPartialNumberText(text)) return;
    const auto value = kurv::ParseNumber(text, sep_);
    if (!value) {
        MessageBox(this, Text(kurv::TextId::CoefficientsUndetermined), Text(kurv::TextId::CannotCalculate),
                   MbOk, MsgIcon::None);
        return;
    }
    const double x = kurv::TextToNumber(text, sep_);  // beyond the double range: an arithmetic error
    const double y = kurv::Evaluate(FitCoefficients, x);
    row.panel->setText(QString::fromStdString(kurv::CurveValueText(y, sep_)));

    const int series = 3 + k;
    Chart1->Clear(series);
    if (row.check->isChecked())
        Chart1->AddPoint(series, x, y, QString::fromStdString(kurv::GeneralNumberText(x, sep_)),
                         QColor(255, 0, 0));
}

void TFormMain::CheckBox1Click(QObject* sender) {
    MaskEditX1Change(sender);
    sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::SetEvaluationRowsVisible(bool shown) {
    for (EvaluationRow& r : evalRows_) {
        for (QWidget* w :
             {static_cast<QWidget*>(r.edit), static_cast<QWidget*>(r.panel), static_cast<QWidget*>(r.check),
              static_cast<QWidget*>(r.staticX), static_cast<QWidget*>(r.staticY)})
            w->setVisible(shown);
        if (!shown) r.check->setChecked(false);  // a checked box raises its click
    }
    Panel2->setVisible(shown);
    layoutLock_ = 1;
    GroupBoxResult->resize(GroupBoxResult->width(), shown ? 169 : 49);
    // The menu bar, not the central widget: before the first show that still has
    // its default size. The result group's 3-px bottom margin is counted too, so
    // the window does not lose it at every toggle.
    const int nonClient = height() - ClientAreaSize(this).height();
    resize(width(), GroupBoxTable->height() + GroupBoxResult->height() + kResultBottomMargin + nonClient);
    update();
    layoutLock_ = 0;
    FormResize();
}

void TFormMain::EnableAuxPoints() {
    SetEvaluationRowsVisible(true);
}

void TFormMain::DisableAuxPoints() {
    SetEvaluationRowsVisible(false);
}
