// The warning sign beside the error measures: shown after a successful fit
// whose shown coefficients a stable second solution does not confirm.
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <future>

#include "app/formmain.h"
#include "core/fit_check.h"

namespace {

// Below this many pairs the check costs less than starting a thread.
constexpr std::size_t kCheckBesideFrom = 20000;

const char* const kTip[2] = {
    "Данные плохо обусловлены для этого вида: показанные цифры коэффициентов могут быть неточны.",
    "The data are ill-conditioned for this kind: the shown digits of the coefficients may be wrong.",
};

}  // namespace

void TFormMain::BuildFitWarning(QWidget* parent) {
    // Right of PanelA3 and above lblMaxErr's right end: the only free corner of
    // the group box, which keeps its designed size at every window size.
    lblFitWarning = new QLabel(parent);
    lblFitWarning->setObjectName("lblFitWarning");
    lblFitWarning->setAccessibleDescription("lblFitWarning");
    lblFitWarning->setPixmap(
        QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(12, 12));
    lblFitWarning->setAlignment(Qt::AlignCenter);
    lblFitWarning->setGeometry(169, 92, 14, 17);
    lblFitWarning->hide();
    SetFitWarningLanguage(LanguageIndex);
}

void TFormMain::SetFitWarningLanguage(int language) {
    lblFitWarning->setToolTip(QString::fromUtf8(kTip[language == 1 ? 1 : 0]));
}

std::future<bool> TFormMain::StartFitCheck(int kind, bool solved) {
    // A failed solution has been reported already.
    if (!solved) return std::async(std::launch::deferred, [] { return false; });
    // A long check runs on its own thread; the pairs stay as they are until
    // the run has its answer.
    const kurv::CountingPairs& pairs = recalc_.pairs;
    const auto policy = pairs.x.size() >= kCheckBesideFrom ? std::launch::async : std::launch::deferred;
    return std::async(policy, [kind, c = FitCoefficients, &pairs] {
        return kurv::CheckFit(static_cast<kurv::FitKind>(kind), c, pairs.x, pairs.y).unreliable;
    });
}
