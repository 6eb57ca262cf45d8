// The warning sign beside the error measures: shown after a successful fit
// whose shown coefficients a stable second solution does not confirm.
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <future>

#include "app/controls.h"
#include "app/formmain.h"
#include "core/fit_check.h"

namespace {

// Below this many pairs the check costs less than starting a thread.
constexpr std::size_t kCheckBesideFrom = 20000;

}  // namespace

void TFormMain::BuildFitWarning() {
    // Right of PanelA3 and above lblMaxErr's right end: the only free corner of
    // the group box, which keeps its designed size at every window size.
    fit_.lblFitWarning = new QLabel(fit_.GroupBoxKoef);
    fit_.lblFitWarning->setObjectName("lblFitWarning");
    fit_.lblFitWarning->setPixmap(
        QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(12, 12));
    fit_.lblFitWarning->setAlignment(Qt::AlignCenter);
    fit_.lblFitWarning->setGeometry(169, 92, 14, 17);
    fit_.lblFitWarning->hide();
    // A screen reader reads the sign's text, which a mouse finds in its tooltip.
    Captioned(fit_.lblFitWarning, {"Предупреждение", "Warning"}, Caption::Role::SpokenCaption);
    connect(this, &TFormMain::languageApplied, this, [this] { ShowFitWarning(); });
}

std::future<kurv::FitCheck> TFormMain::StartFitCheck(kurv::FitKind kind, bool solved) {
    // A failed solution has been reported already.
    if (!solved) return std::async(std::launch::deferred, [] { return kurv::FitCheck{}; });
    // A long check runs on its own thread; the pairs stay as they are until
    // the run has its answer.
    const kurv::CountingPairs& pairs = recalc_.pairs;
    const auto policy = pairs.x.size() >= kCheckBesideFrom ? std::launch::async : std::launch::deferred;
    return std::async(
        policy, [kind, c = FitCoefficients, &pairs] { return kurv::CheckFit(kind, c, pairs.x, pairs.y); });
}

// The tooltip says why the sign shows, naming the coefficients and their
// stable values; it follows the language.
void TFormMain::ShowFitWarning() {
    fit_.lblFitWarning->setVisible(fit_.check.unreliable);
    fit_.lblFitWarning->setToolTip(
        QString::fromStdString(kurv::FitWarningText(fit_.check, LanguageIndex, sep_)));
}
