// The recalculation: reads the whole table, fits the chosen polynomial and
// rewrites every result display. It runs on every change that can affect a
// result. When the table, the kind and the separator are those of the last run
// that ended without a message box, the arithmetic cannot come out otherwise:
// the run then shows what that run found and only redoes its cheap parts.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <future>
#include <vector>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/qtext.h"
#include "core/curve.h"
#include "core/numbers.h"
#include "core/recalc.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

using kurv::TextId;

namespace {

// Clears the flag when the run ends, by an error too.
class RunningFlag {
  public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

  private:
    bool& flag_;
};

// The overflow text followed by where the value is: its row and its column's heading.
kurv::ArithmeticError LocatedOverflow(const kurv::CellOverflow& e, const QString& place,
                                      const QString& heading) {
    return kurv::ArithmeticError(std::string(e.what()) + " " + place.arg(e.row).arg(heading).toStdString());
}

}  // namespace

void TFormMain::SetFitKindChecks(int kind) {
    SetCheckedByCode(itmLine, kind == 0);
    SetCheckedByCode(itmDouble, kind == 1);
    SetCheckedByCode(itmCubic, kind == 2);
}

void TFormMain::sgDataClick() {
    // Giving the table the focus at the end of a run raises the table's focus
    // notification when the focus was elsewhere; the run under way already
    // shows the current table, and its messages are not shown twice.
    if (recalc_.running) return;
    const RunningFlag running(recalc_.running);

    const int kind = ComboBox1->currentIndex();
    const bool same = recalc_.memo.Matches(table_.Revision(), kind, sep_);
    recalc_.memo.Forget();  // until this run ends without a message box
    kurv::CountingPairs& pairs = recalc_.pairs;
    const QString overflowPlace = Pick(kurv::kOverflowPlace.rus, kurv::kOverflowPlace.eng);

    // A rejected text ends the run here, before anything is shown.
    if (!same) {
        lblFitWarning->hide();  // until this run's fit has been checked
        if (!recalc_.read.Matches(table_.Revision(), 0, sep_)) {
            recalc_.read.Forget();
            try {
                kurv::ReadCountingPairs(table_, sep_, pairs);
            } catch (const kurv::CellOverflow& e) {
                throw LocatedOverflow(e, overflowPlace, Text(TextId::HeaderTrueY + e.col));
            }
            recalc_.read.Remember(table_.Revision(), 0, sep_);
        }
    }

    CompareAfterRead(same, kind);

    if (!kurv::EnoughPairs(kind, pairs.sums.n)) {
        for (TPanel* p : PanelA) p->setText(Text(TextId::InsufficientData));
        PanelResult->setText(Text(TextId::FillTheTable));
        Chart1->hide();
        btnCopy->setEnabled(false);
        btnGraphCopy->setEnabled(false);
        btnPrint->setEnabled(false);
        recalc_.memo.Remember(table_.Revision(), kind, sep_);
        return;
    }

    // The check marks first: a chosen item has already flipped its own.
    SetFitKindChecks(kind);
    bool boxShown = false;
    if (!same && kurv::Solve(kind, pairs.sums, FitCoefficients) == kurv::SolveResult::Fault) {
        MessageBox(this, Text(TextId::CoefficientsUndetermined), Text(TextId::CannotCalculate), MbOk,
                   MsgIcon::None);
        boxShown = true;
    }

    const double a[4] = {FitCoefficients.a0, FitCoefficients.a1, FitCoefficients.a2, FitCoefficients.a3};
    for (int i = 0; i < 4; ++i) {
        CoefficientTexts[i] = kurv::CoefficientText(a[i], sep_);
        PanelA[i]->setText(QString("A%1 = ").arg(i) + Q(CoefficientTexts[i]));
    }
    PanelResult->setText(Q(kurv::FormulaText(FitCoefficients, kind, CoefficientTexts)));

    Chart1->show();
    btnCopy->setEnabled(true);
    btnGraphCopy->setEnabled(true);
    btnPrint->setEnabled(true);
    PanelA[2]->setVisible(kind == 1 || kind == 2);
    PanelA[3]->setVisible(kind == 2);

    // The fitted column and the error measures. An overflow ends the run with
    // the rows before it written (its check is then left unused). The second
    // opinion on the fit is formed meanwhile.
    std::future<bool> fitUnreliable;
    if (!same) {
        kurv::ErrorMeasures errors;
        auto writeFitted = [&] {
            // Column 2 does not feed the pairs: they still hold for the table written.
            const bool pairsHeld = recalc_.read.Matches(table_.Revision(), 0, sep_);
            const std::vector<double>& fitted = recalc_.fitted;
            kurv::WriteFittedColumn(table_, pairs.rows, fitted, sep_);
            if (!fitted.empty()) sgData->CellsChanged(2, pairs.rows.front(), pairs.rows[fitted.size() - 1]);
            if (pairsHeld) recalc_.read.Remember(table_.Revision(), 0, sep_);
        };
        fitUnreliable = StartFitCheck(kind, !boxShown);
        try {
            kurv::FitPairs(pairs, FitCoefficients, recalc_.fitted, errors);
        } catch (const kurv::CellOverflow& e) {
            writeFitted();
            throw LocatedOverflow(e, overflowPlace, Text(TextId::HeaderTrueY + e.col));
        }
        writeFitted();
        recalc_.sigma = errors.Sigma();
        recalc_.maxError = errors.maxError;
    }
    const double sigma = recalc_.sigma;
    lblSigma->setText(Q(kurv::ErrorMeasureText(sigma, sep_)));
    lblMaxErr->setText(Q(kurv::ErrorMeasureText(recalc_.maxError, sep_)));
    if (!same) lblFitWarning->setVisible(fitUnreliable.get());

    if (!same) {
        // The chart: the measured points coloured by their residuals, then the
        // fitted curve across their X extent, both refilled in place.
        Chart1->ClearAll();
        double xmin = 0, xmax = 0;
        {
            TChart::Fill points =
                Chart1->Refill(1, {kResidualColours.begin(), kResidualColours.end()}, pairs.rows.size());
            for (std::size_t i = 0; i < pairs.rows.size(); ++i) {
                const double y = pairs.y[i];
                const double x = pairs.x[i];
                const double d = std::fabs(y - recalc_.fitted[i]);
                points.Add(x, y, static_cast<std::uint8_t>(kurv::ClassOfResidual(d, sigma)));
                if (i == 0 || x < xmin) xmin = x;
                if (i == 0 || x > xmax) xmax = x;
            }
        }
        if (pairs.sums.n > 0) {
            const std::vector<double> xs = kurv::CurveSampleXs(xmin, xmax);
            TChart::Fill curve = Chart1->Refill(2, {QColor()}, xs.size());
            for (double x : xs) curve.Add(x, kurv::Evaluate(FitCoefficients, x));
        }
    }
    if (!boxShown) recalc_.memo.Remember(table_.Revision(), kind, sep_);

    // Back to the table, and the evaluation points follow the curve.
    sgData->setFocus(Qt::OtherFocusReason);
    for (EvaluationRow& row : evalRows_) MaskEditX1Change(row.edit);
}

void TFormMain::itmLineClick() {
    ComboBox1->setCurrentIndex(0);
    sgDataClick();
}

void TFormMain::itmDoubleClick() {
    ComboBox1->setCurrentIndex(1);
    sgDataClick();
}

void TFormMain::itmCubicClick() {
    ComboBox1->setCurrentIndex(2);
    sgDataClick();
}
