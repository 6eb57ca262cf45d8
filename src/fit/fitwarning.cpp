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

void TFormMain::UpdateFitWarning(int kind, const kurv::PowerSums& sums) {
    // A solution depends on the sums alone: repeated on a copy it tells whether
    // this run's succeeded, and a failed one has been reported already.
    kurv::Coefficients again = FitCoefficients;
    bool show = false;
    if (kurv::Solve(kind, sums, again) == kurv::SolveResult::Ok) {
        std::vector<double> xs, ys;
        xs.reserve(static_cast<std::size_t>(sums.n));
        ys.reserve(static_cast<std::size_t>(sums.n));
        for (int r = 1; r < table_.RowCount(); ++r) {
            if (!table_.Counts(r)) continue;
            ys.push_back(Number(table_.Cell(0, r)));
            xs.push_back(Number(table_.Cell(1, r)));
        }
        show = kurv::CheckFit(kind, FitCoefficients, xs, ys).unreliable;
    }
    lblFitWarning->setVisible(show);
}
