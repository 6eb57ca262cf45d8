// The approximation's part of the window: the coefficient panels and error
// measures, the function list and its menu items, the formula panel; and the
// two coefficient copies of the panels' menu and the Edit menu.
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QMenu>

#include "app/controls.h"
#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/numbers.h"

using kurv::FitKind;
using kurv::TextId;

void TFormMain::BuildFitResults() {
    fit_.GroupBoxKoef = Place(new TGroupBox(app_.client), "GroupBoxKoef", 208, 0, 185, 145);
    Captioned(fit_.GroupBoxKoef, {"Коэффициенты", "Coefficients"}, Caption::Role::AccessibleName);
    static const char* const kPanelNames[4] = {"PanelA0", "PanelA1", "PanelA2", "PanelA3"};
    for (int i = 0; i < 4; ++i) {
        fit_.PanelA[i] = Place(new TPanel(fit_.GroupBoxKoef), kPanelNames[i], 18, 16 + 24 * i, 150, 17);
        fit_.PanelA[i]->setText(QString("a%1=").arg(i));
    }
    fit_.LabelMaxErr =
        Place(Captioned(new QLabel(fit_.GroupBoxKoef), TextId::MaxErrorLabel), "LabelMaxErr", 8, 112);
    fit_.lblMaxErr = Place(new QLabel("0", fit_.GroupBoxKoef), "lblMaxErr", 128, 112, 50, -1);
    // The measures are read with their captions, and linked to them.
    Captioned(fit_.lblMaxErr, TextId::MaxErrorLabel, Caption::Role::SpokenCaption);
    fit_.LabelMaxErr->setBuddy(fit_.lblMaxErr);
    fit_.LabelRms = Place(Captioned(new QLabel(fit_.GroupBoxKoef), TextId::RmsLabel), "LabelRms", 8, 128);
    fit_.LabelRms->setToolTip(QString::fromUtf8(kurv::kRmsNote));  // kept, but not displayed
    fit_.lblSigma = Place(new QLabel("0", fit_.GroupBoxKoef), "lblSigma", 128, 128, 50, -1);
    Captioned(fit_.lblSigma, TextId::RmsLabel, Caption::Role::SpokenCaption);
    fit_.LabelRms->setBuddy(fit_.lblSigma);
    BuildFitWarning();

    fit_.LabelTypeFunc =
        Captioned(StaticText(app_.client, "LabelTypeFunc", {}, 402, 38), TextId::FunctionKindLabel);
    fit_.ComboBox1 = Place(new QComboBox(app_.client), "ComboBox1", 400, 56, 97, -1);
    fit_.ComboBox1->setEditable(false);
    for (int k = 0; k < 3; ++k) {
        fit_.ComboBox1->addItem(QString());
        Captioned(fit_.ComboBox1, TextId::KindLinear + k, Caption::Role::ListItem, k);
    }
    Captioned(fit_.ComboBox1, TextId::FunctionKindLabel, Caption::Role::SpokenCaption);
    fit_.LabelTypeFunc->setBuddy(fit_.ComboBox1);

    fit_.PanelResult = Place(new TPanel(app_.GroupBoxResult), "PanelResult", 8, 16, 393, 25);
    fit_.PanelResult->setText("Y=");

    // The kinds as items of the chart's pop-up menu.
    const Qt::ShortcutContext inPopup = Qt::WidgetShortcut;
    fit_.itmLine = MakeItem({"itmLine", TextId::ItemLinear, "", &TFormMain::itmLineClick}, inPopup);
    fit_.itmDouble = MakeItem({"itmDouble", TextId::ItemQuadratic, "", &TFormMain::itmDoubleClick}, inPopup);
    fit_.itmCubic = MakeItem({"itmCubic", TextId::ItemCubic, "", &TFormMain::itmCubicClick}, inPopup);
    for (QAction* a : {fit_.itmLine, fit_.itmDouble, fit_.itmCubic}) a->setCheckable(true);

    fit_.PopupMenuCoef = MakePopupMenu("PopupMenuCoef");
    FillMenu(fit_.PopupMenuCoef,
             {{"itmCoefCopy", TextId::CopyCoefficients, "", &TFormMain::itmCoefCopyClick}}, inPopup);
    BuildCompareItems();
}

void TFormMain::WireFitResults() {
    auto recalc = [this] { Guarded([&] { sgDataClick(); }); };
    connect(fit_.ComboBox1, qOverload<int>(&QComboBox::activated), this, recalc);
    connect(fit_.PanelResult, &TPanel::clicked, this, recalc);
    connect(fit_.PanelResult, &TPanel::doubleClicked, this, recalc);
    PopupOn(fit_.GroupBoxKoef, fit_.PopupMenuCoef);
    for (TPanel* p : fit_.PanelA) PopupOn(p, fit_.PopupMenuCoef);
    OnEvent(fit_.LabelRms, [](QEvent* e) { return e->type() == QEvent::ToolTip; });
}

FitKind TFormMain::CurrentKind() const {
    return static_cast<FitKind>(fit_.ComboBox1->currentIndex());
}

void TFormMain::SetFitKindChecks(FitKind kind) {
    SetCheckedByCode(fit_.itmLine, kind == FitKind::Linear);
    SetCheckedByCode(fit_.itmDouble, kind == FitKind::Quadratic);
    SetCheckedByCode(fit_.itmCubic, kind == FitKind::Cubic);
}

void TFormMain::ShowNoCoefficients() {
    for (TPanel* p : fit_.PanelA) p->setText(Text(TextId::InsufficientData));
    fit_.PanelResult->setText(Text(TextId::FillTheTable));
}

// Without a recalculation: the table is still empty.
void TFormMain::RestoreFunctionKind() {
    const QString function = ReadSetting(settings::kFunction, "3");
    const QChar first = function.isEmpty() ? QChar() : function.at(0);
    QSignalBlocker block(fit_.ComboBox1);
    fit_.ComboBox1->setCurrentIndex(first == '1' ? 0 : first == '2' ? 1 : 2);
}

void TFormMain::itmCoefCopyClick() {
    const int count = kurv::CoefficientCount(CurrentKind());
    QStringList parts;
    for (int i = 0; i < count; ++i) parts << QString::fromStdString(CoefficientTexts[i]);
    CopyAnsiStringToClipboard(parts.join(QLatin1Char('\n')));
}

void TFormMain::itmCoefCopyFullClick() {
    // Each text reads back to exactly the coefficient the window holds.
    const int count = kurv::CoefficientCount(CurrentKind());
    const double a[4] = {FitCoefficients.a0, FitCoefficients.a1, FitCoefficients.a2, FitCoefficients.a3};
    QStringList parts;
    for (int i = 0; i < count; ++i) parts << QString::fromStdString(kurv::FullPrecisionText(a[i], sep_));
    CopyAnsiStringToClipboard(parts.join(QLatin1Char('\n')));
}
