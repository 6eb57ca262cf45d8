// The ten evaluation points: an X typed in, the fitted Y read off the curve,
// optionally plotted; shown or hidden as a whole (Parameters menu). Each row's
// Y has a pop-up menu that copies it.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/fit.h"
#include "core/numbers.h"
#include "table/keys.h"
#include "table/stringgrid.h"

using kurv::TextId;

namespace {

// Left edges of the evaluation rows' controls, per column: "X=", edit, "Y=", panel, box.
constexpr int kEvalLefts[2][5] = {{8, 24, 104, 128, 216}, {256, 272, 352, 376, 464}};

}  // namespace

void TFormMain::BuildEvaluationPoints() {
    TGroupBox* group = app_.GroupBoxResult;
    points_.Panel2 = Place(new QLabel(group), "Panel2", 240, 48, 3, 113);
    points_.Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    for (int k = 1; k <= 10; ++k) {
        EvaluationRow& row = points_.rows[k - 1];
        const int* left = kEvalLefts[(k - 1) / 5];
        const int top = 48 + 24 * ((k - 1) % 5);
        const QByteArray n = QByteArray::number(k);
        row.staticX = StaticText(group, "StaticTextX" + n, "X=", left[0], top);
        row.edit = Place(new QLineEdit("0", group), "MaskEditX" + n, left[1], top, 73, 21);
        LetWindowShortcutsWin(row.edit);
        row.staticY = StaticText(group, "StaticTextY" + n, "Y=", left[2], top);
        row.panel = Place(new TPanel(group), "PanelY" + n, left[3], top, 81, 17);
        row.panel->setAutoFillBackground(true);
        row.panel->setBackgroundRole(QPalette::Base);
        row.check = Place(new QCheckBox(group), "CheckBox" + n, left[4], top, 17, 17);
        Captioned(row.edit, {"X", "X"}, Caption::Role::AccessibleName, k);
        Captioned(row.panel, {"Y", "Y"}, Caption::Role::SpokenCaption, k);
        Captioned(row.check, {"Показать точку на графике", "Plot point"}, Caption::Role::AccessibleName, k);

        row.popup = MakePopupMenu("PopupMenuY" + n);
        row.itmCopy = CaptionedLater(MakeAction("itmCopyY" + n), TextId::CopyCoefficients);
        row.itmCopy->setText(QString::fromUtf8("Копировать"));
        connect(row.itmCopy, &QAction::triggered, this, [this, k] { Guarded([&] { itmCopyYClick(k); }); });
        row.popup->addAction(row.itmCopy);
    }

    FillMenu(app_.itmParam,
             {{"N1", {}, "", nullptr},
              {"itmAuxPointsEnable", TextId::ItemEvaluationPoints, "", &TFormMain::itmAuxPointsEnableClick}},
             Qt::WindowShortcut);
    points_.itmAuxPointsEnable = findChild<QAction*>("itmAuxPointsEnable");
    points_.itmAuxPointsEnable->setCheckable(true);
}

void TFormMain::WireEvaluationPoints() {
    for (EvaluationRow& row : points_.rows) {
        PopupOn(row.panel, row.popup);
        QLineEdit* edit = row.edit;
        QCheckBox* box = row.check;
        connect(edit, &QLineEdit::textChanged, this,
                [this, edit] { Guarded([&] { MaskEditX1Change(edit); }); });
        // A box unchecked by the program raises its click as a user click would.
        connect(box, &QCheckBox::toggled, this, [this, box] { Guarded([&] { CheckBox1Click(box); }); });
    }
}

void TFormMain::MaskEditX1Change(QObject* sender) {
    int k = 0;
    while (k < 10 && sender != points_.rows[k].edit && sender != points_.rows[k].check) ++k;
    if (k == 10) return;
    EvaluationRow& row = points_.rows[k];

    const std::string text = row.edit->text().toStdString();
    if (kurv::IsPartialNumberText(text)) return;
    const auto value = kurv::ParseNumber(text, sep_);
    if (!value) {
        MessageBox(this, Text(TextId::CoefficientsUndetermined), Text(TextId::CannotCalculate), MbOk,
                   MsgIcon::None);
        return;
    }
    const double x = kurv::TextToNumber(text, sep_);  // beyond the double range: an arithmetic error
    const double y = kurv::Evaluate(FitCoefficients, x);
    row.panel->setText(QString::fromStdString(kurv::CurveValueText(y, sep_)));
    ShowEvaluationPoint(k + 1, x, y, row.check->isChecked());
}

void TFormMain::CheckBox1Click(QObject* sender) {
    MaskEditX1Change(sender);
    table_.sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::RefreshEvaluationPoints() {
    for (EvaluationRow& row : points_.rows) MaskEditX1Change(row.edit);
}

void TFormMain::itmCopyYClick(int k) {
    if (k >= 1 && k <= 10) CopyAnsiStringToClipboard(points_.rows[k - 1].panel->text());
}

void TFormMain::RestoreEvaluationPoints() {
    ReadSetting(settings::kPoints, "Y").startsWith('Y') ? EnableAuxPoints() : DisableAuxPoints();
}

void TFormMain::itmAuxPointsEnableClick() {
    if (points_.shown) {
        DisableAuxPoints();
        WriteSetting(settings::kPoints, "No");
    } else {
        EnableAuxPoints();
        WriteSetting(settings::kPoints, "Yes");
    }
}

void TFormMain::EnableAuxPoints() {
    SetEvaluationRowsVisible(true);
}

void TFormMain::DisableAuxPoints() {
    SetEvaluationRowsVisible(false);
}

void TFormMain::SetEvaluationRowsVisible(bool shown) {
    points_.shown = shown;
    SetCheckedByCode(points_.itmAuxPointsEnable, shown);
    for (EvaluationRow& r : points_.rows) {
        for (QWidget* w :
             {static_cast<QWidget*>(r.edit), static_cast<QWidget*>(r.panel), static_cast<QWidget*>(r.check),
              static_cast<QWidget*>(r.staticX), static_cast<QWidget*>(r.staticY)})
            w->setVisible(shown);
        if (!shown) r.check->setChecked(false);  // a checked box raises its click
    }
    points_.Panel2->setVisible(shown);
    app_.layoutLock = 1;
    TGroupBox* result = app_.GroupBoxResult;
    result->resize(result->width(), shown ? 169 : 49);
    // The menu bar, not the central widget: before the first show that still has
    // its default size. The result group's 3-px bottom margin is counted too, so
    // the window does not lose it at every toggle.
    const int nonClient = height() - ClientAreaSize(this).height();
    resize(width(), table_.GroupBoxTable->height() + result->height() + kResultBottomMargin + nonClient);
    update();
    app_.layoutLock = 0;
    FormResize();
}
