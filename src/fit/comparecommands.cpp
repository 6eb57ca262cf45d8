// The main window's side of two additions: the kinds compared in a tool window
// of their own, and the coefficients copied in full precision.
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
#include "core/numbers.h"
#include "fit/formcompare.h"

namespace {

QString PickIn(int language, const char* russian, const char* english) {
    return QString::fromUtf8(language == 1 ? english : russian);
}

}  // namespace

void TFormMain::BuildExtraItems(QMenu* edit, QMenu* param) {
    edit->addSeparator()->setObjectName("sepCoefCopyFull");
    itmCoefCopyFull = MakeAction("itmCoefCopyFull");
    connect(itmCoefCopyFull, &QAction::triggered, this, [this] { Guarded([&] { itmCoefCopyFullClick(); }); });
    edit->addAction(itmCoefCopyFull);

    param->addSeparator()->setObjectName("sepCompare");
    itmCompare = MakeAction("itmCompare");
    connect(itmCompare, &QAction::triggered, this, [this] { Guarded([&] { itmCompareClick(); }); });
    param->addAction(itmCompare);
}

void TFormMain::ApplyExtraLanguage(int language) {
    itmCoefCopyFull->setText(
        PickIn(language, "Копировать коэффициенты (полная точность)", "Copy coefficients (full precision)"));
    itmCompare->setText(PickIn(language, "Сравнить виды функции", "Compare function types"));
    if (FormCompare) FormCompare->ApplyLanguage(language);
}

void TFormMain::itmCoefCopyFullClick() {
    // Each text reads back to exactly the coefficient the window holds.
    const int count = ComboBox1->currentIndex() + 2;  // Linear 2, Quadratic 3, Cubic 4
    const double a[4] = {FitCoefficients.a0, FitCoefficients.a1, FitCoefficients.a2, FitCoefficients.a3};
    QStringList parts;
    for (int i = 0; i < count && i < 4; ++i)
        parts << QString::fromStdString(kurv::FullPrecisionText(a[i], sep_));
    CopyAnsiStringToClipboard(parts.join(QLatin1Char('\n')));
}

void TFormMain::itmCompareClick() {
    if (!FormCompare) {
        FormCompare = new TFormCompare(this);
        FormCompare->ApplyLanguage(LanguageIndex);
        connect(FormCompare, &TFormCompare::kindChosen, this, [this](int kind) {
            // As choosing the kind in the list from its menu items does.
            Guarded([&] { kind == 0 ? itmLineClick() : kind == 1 ? itmDoubleClick() : itmCubicClick(); });
        });
        // Beside the main window unless the settings say where, kept on the screen.
        const QScreen* s = QGuiApplication::primaryScreen();
        const QRect screen = s ? s->geometry() : QRect(0, 0, 1024, 768);
        const QSize size = FormCompare->sizeHint();
        const int left = kurv::ParseDecimalInt(ReadSetting(settings::kCompareLeft, "").toStdString())
                             .value_or(frameGeometry().right() + 1);
        const int top =
            kurv::ParseDecimalInt(ReadSetting(settings::kCompareTop, "").toStdString()).value_or(y());
        FormCompare->move(qBound(0, left, qMax(0, screen.width() - size.width())),
                          qBound(0, top, qMax(0, screen.height() - size.height())));
    }
    CompareFromTable();
    FormCompare->show();
    FormCompare->raise();
}

void TFormMain::CompareFromTable() {
    // The last run's pairs are the table's when the run ended well and nothing
    // changed since; otherwise the table is read here, its errors left to the
    // next recalculation to report.
    const int kind = ComboBox1->currentIndex();
    if (recalc_.memo.Matches(table_.Revision(), kind, sep_)) {
        FormCompare->ShowResults(kurv::CompareKinds(recalc_.pairs, sep_));
    } else {
        kurv::CountingPairs pairs;
        try {
            kurv::ReadCountingPairs(table_, sep_, pairs);
            FormCompare->ShowResults(kurv::CompareKinds(pairs, sep_));
        } catch (const kurv::KurvError&) {
            FormCompare->ShowNoResults();
        }
    }
    FormCompare->ShowKind(kind);
}

void TFormMain::CompareAfterRead(bool same, int kind) {
    // A hidden window is brought up to date when it is shown.
    if (!FormCompare || !FormCompare->isVisible()) return;
    if (!same) FormCompare->ShowResults(kurv::CompareKinds(recalc_.pairs, sep_));
    FormCompare->ShowKind(kind);
}

void TFormMain::CompareFormCreate() {
    // Shown once the main window is: a tool window goes with its owner.
    if (ReadSetting(settings::kCompareVisible, "N").startsWith('Y'))
        QTimer::singleShot(0, this, [this] { Guarded([&] { itmCompareClick(); }); });
}

void TFormMain::CompareFormClose() {
    if (!FormCompare) return;
    WriteSetting(settings::kCompareLeft, QString::number(FormCompare->x()));
    WriteSetting(settings::kCompareTop, QString::number(FormCompare->y()));
    WriteSetting(settings::kCompareVisible, FormCompare->isVisible() ? "Y" : "N");
}
