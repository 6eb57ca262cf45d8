// The warning sign beside the error measures: shown after a successful fit
// whose shown coefficients a stable second solution does not confirm.
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <vector>

#include "app/formmain.h"
#include "core/fit_check.h"

namespace {

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

void TFormMain::UpdateFitWarning(int kind, bool solved) {
    // A failed solution has been reported already.
    const kurv::CountingPairs& pairs = recalc_.pairs;
    lblFitWarning->setVisible(solved && kurv::CheckFit(kind, FitCoefficients, pairs.x, pairs.y).unreliable);
}
