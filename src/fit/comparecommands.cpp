// The kinds compared in a tool window of their own (Parameters menu), and the
// coefficients copied in full precision (Edit menu).
#include <QAction>
#include <QComboBox>
#include <QMenu>

#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/compare.h"
#include "core/errors.h"
#include "fit/formcompare.h"

void TFormMain::BuildCompareItems() {
    FillMenu(app_.itmEdit,
             {{"sepCoefCopyFull", {}, "", nullptr},
              {"itmCoefCopyFull",
               {"Копировать коэффициенты (полная точность)", "Copy coefficients (full precision)"},
               "",
               &TFormMain::itmCoefCopyFullClick}},
             Qt::WindowShortcut);
    FillMenu(app_.itmParam,
             {{"sepCompare", {}, "", nullptr},
              {"itmCompare",
               {"Сравнить виды функции", "Compare function types"},
               "",
               &TFormMain::itmCompareClick}},
             Qt::WindowShortcut);
    fit_.itmCoefCopyFull = findChild<QAction*>("itmCoefCopyFull");
    fit_.itmCompare = findChild<QAction*>("itmCompare");
}

void TFormMain::itmCompareClick() {
    if (!fit_.FormCompare) {
        fit_.FormCompare = new TFormCompare(this);
        fit_.FormCompare->ApplyLanguage(LanguageIndex);
        connect(this, &TFormMain::languageApplied, fit_.FormCompare, &TFormCompare::ApplyLanguage);
        connect(fit_.FormCompare, &TFormCompare::kindChosen, this, [this](int kind) {
            // As choosing the kind in the list from its menu items does.
            Guarded([&] { kind == 0 ? itmLineClick() : kind == 1 ? itmDoubleClick() : itmCubicClick(); });
        });
        PlaceToolWindow(fit_.FormCompare, settings::kCompareWindow, y());
    }
    CompareFromTable();
    fit_.FormCompare->show();
    fit_.FormCompare->raise();
}

void TFormMain::CompareFromTable() {
    // The last run's pairs are the table's when the run ended well and nothing
    // changed since; otherwise the table is read here, its errors left to the
    // next recalculation to report.
    const kurv::FitKind kind = CurrentKind();
    if (recalc_.memo.Matches(data_.Revision(), kind, sep_)) {
        fit_.FormCompare->ShowResults(kurv::CompareKinds(recalc_.pairs, sep_));
    } else {
        kurv::CountingPairs pairs;
        try {
            kurv::ReadCountingPairs(data_, sep_, pairs);
            fit_.FormCompare->ShowResults(kurv::CompareKinds(pairs, sep_));
        } catch (const kurv::KurvError&) {
            fit_.FormCompare->ShowNoResults();
        }
    }
    fit_.FormCompare->ShowKind(static_cast<int>(kind));
}

void TFormMain::CompareAfterRead(bool same, kurv::FitKind kind) {
    // A hidden window is brought up to date when it is shown.
    if (!fit_.FormCompare || !fit_.FormCompare->isVisible()) return;
    if (!same) fit_.FormCompare->ShowResults(kurv::CompareKinds(recalc_.pairs, sep_));
    fit_.FormCompare->ShowKind(static_cast<int>(kind));
}

void TFormMain::CompareFormCreate() {
    ReopenToolWindow(settings::kCompareWindow, &TFormMain::itmCompareClick);
}

void TFormMain::CompareFormClose() {
    RememberToolWindow(fit_.FormCompare, settings::kCompareWindow);
}
