// The kinds compared in a tool window of their own (Parameters menu), and the
// coefficients copied in full precision (Edit menu).
#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "app/formmain.h"
#include "app/settingkeys.h"
#include "core/compare.h"
#include "core/errors.h"
#include "core/ini_file.h"
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
        // Beside the main window unless the settings say where, kept on the screen.
        const QScreen* s = QGuiApplication::primaryScreen();
        const QRect screen = s ? s->geometry() : QRect(0, 0, 1024, 768);
        const QSize size = fit_.FormCompare->sizeHint();
        const int left = kurv::ParseDecimalInt(ReadSetting(settings::kCompareLeft, "").toStdString())
                             .value_or(frameGeometry().right() + 1);
        const int top =
            kurv::ParseDecimalInt(ReadSetting(settings::kCompareTop, "").toStdString()).value_or(y());
        fit_.FormCompare->move(qBound(0, left, qMax(0, screen.width() - size.width())),
                               qBound(0, top, qMax(0, screen.height() - size.height())));
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
    // Shown once the main window is: a tool window goes with its owner.
    if (ReadSetting(settings::kCompareVisible, "N").startsWith('Y'))
        QTimer::singleShot(0, this, [this] { Guarded([&] { itmCompareClick(); }); });
}

void TFormMain::CompareFormClose() {
    if (!fit_.FormCompare) return;
    WriteSetting(settings::kCompareLeft, QString::number(fit_.FormCompare->x()));
    WriteSetting(settings::kCompareTop, QString::number(fit_.FormCompare->y()));
    WriteSetting(settings::kCompareVisible, fit_.FormCompare->isVisible() ? "Y" : "N");
}
