// Putting every language-dependent text of the main window in place.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/controls.h"
#include "app/formmain.h"
#include "core/uitext.h"
#include "table/stringgrid.h"

void TFormMain::ApplyLanguage(int language) {
    if (language > 1 || language < 0) language = 0;
    auto text = [language](int id) { return QString::fromUtf8(kurv::UiText(id, language)); };
    auto item = [this](const char* name) { return findChild<QAction*>(name); };

    // 2.
    setWindowTitle(text(0));
    appTitle_ = text(0);

    // 3. Menu items, each main-menu item before its pop-up twin.
    struct Caption {
        const char* name;
        int id;
    };
    static const Caption kCaptions[] = {
        {"itmFile", 1},       {"itmEdit", 2},
        {"itmParam", 3},      {"itmAbout", 4},
        {"itmRead", 5},       {"itmWrite", 6},
        {"itmExit", 7},       {"itmClearMain", 8},
        {"itmClear", 8},      {"itmTablCopyMain", 9},
        {"itmTablCopy", 9},   {"itmTablPasteMain", 10},
        {"itmTablPaste", 10}, {"itmAppendMain", 11},
        {"itmAppend", 11},    {"itmClearColMain", 12},
        {"itmClearCol", 12},  {"itmColCopyMain", 13},
        {"itmColCopy", 13},   {"itmColPasteMain", 14},
        {"itmColPaste", 14},  {"itmDeleteMain", 15},
        {"itmDelete", 15},    {"itmSortMain", 16},
        {"itmSort", 16},      {"itmAuxPointsEnable", 17},
        {"itmLanguage", 18},  {"itmRus", 19},
        {"itmEng", 20},       {"itmCoefCopy", 50},
    };
    for (const Caption& c : kCaptions) {
        if (QAction* a = item(c.name)) a->setText(text(c.id));
        if (auto* m = findChild<QMenu*>(c.name)) m->setTitle(text(c.id));
    }
    for (EvaluationRow& row : Eval) row.itmCopy->setText(text(50));
    itmLine->setText(text(51));
    itmDouble->setText(text(52));
    itmCubic->setText(text(53));
    item("itmGraphPrint")->setText(text(34));
    item("itmGraphCopy")->setText(text(36));

    // 4., 5.
    StaticText1->setText(text(21));
    StaticText1->adjustSize();
    for (int c = 0; c < 3; ++c) table_.SetCell(c, 0, text(22 + c).toStdString());
    sgData->HeaderChanged();

    // 6. Only the "no coefficients" texts follow the language; shown ones stay.
    if (!PanelA[0]->text().startsWith(QLatin1Char('A'))) {
        for (TPanel* p : PanelA) p->setText(text(25));
        PanelResult->setText(text(26));
    }

    // 7.
    LabelMaxErr->setText(text(27));
    LabelMaxErr->adjustSize();
    LabelRms->setText(text(28));
    LabelRms->adjustSize();
    CheckBoxOnTop->setText(text(29));
    LabelTypeFunc->setText(text(30));
    LabelTypeFunc->adjustSize();

    // 8. Re-filling the list is not a user change: no recalculation.
    const int index = ComboBox1->currentIndex();
    {
        QSignalBlocker block(ComboBox1);
        ComboBox1->clear();
        for (int id = 31; id <= 33; ++id) ComboBox1->addItem(text(id));
        ComboBox1->setCurrentIndex(index);
    }

    // 9.
    btnPrint->setText(text(34));
    btnGraphCopy->setText(text(35));

    // 10. The help text, exactly eleven lines.
    QStringList lines;
    for (int id = 37; id <= 47; ++id) lines << text(id);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));

    // 11.
    GroupBoxResult->setTitle(text(48));
    btnCopy->setText(text(49));
    ApplyExtraLanguage(language);
}
