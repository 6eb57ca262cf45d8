// The recalculation: reads the whole table, fits the chosen polynomial and
// rewrites every result display, in the phases below. It runs on every change
// that can affect a result. When the table, the kind and the separator are
// those of the last run that ended without a message box, the arithmetic
// cannot come out otherwise: the run then shows what that run found and only
// redoes its cheap parts.
#include <QComboBox>
#include <QLabel>
#include <future>
#include <vector>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/qtext.h"
#include "core/big_array.h"
#include "core/numbers.h"
#include "core/recalc.h"
#include "fit/sparedpairs.h"
#include "table/stringgrid.h"

using kurv::TextId;

// What the phases of one run share.
struct TFormMain::Run {
    kurv::FitKind kind = kurv::FitKind::Linear;
    bool same = false;      // nothing has changed since the last run that ended without a box
    bool boxShown = false;  // the solution faulted and said so
    std::future<kurv::FitCheck> fitCheck;
};

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

}  // namespace

void TFormMain::sgDataClick() {
    // Giving the table the focus at the end of a run raises the table's focus
    // notification when the focus was elsewhere; the run under way already
    // shows the current table, and its messages are not shown twice.
    if (recalc_.running) return;
    const RunningFlag running(recalc_.running);

    Run run = StartRun();
    ReadPairs(run);  // a rejected text ends the run here, before anything is shown
    CompareAfterRead(run.same, run.kind);
    if (!kurv::EnoughPairs(run.kind, recalc_.pairs.sums.n)) {
        ShowInsufficientData(run);
        return;
    }
    SolveFit(run);
    ShowCoefficients(run);
    FitPairsAndColumn(run);  // an overflow ends the run here, with the rows before it written
    ShowErrorMeasures();
    if (!run.same) ShowFitOnChart();  // while the check may still be under way
    TakeFitCheck(run);
    EndRun(run);
}

TFormMain::Run TFormMain::StartRun() {
    const kurv::FitKind kind = CurrentKind();
    const bool same = recalc_.memo.Matches(data_.Revision(), kind, sep_);
    recalc_.memo.Forget();  // until this run ends without a message box
    recalc_.focusReturn.Forget();
    Run run;
    run.kind = kind;
    run.same = same;
    return run;
}

namespace {

// The overflow text followed by where the value is: its row and its column's heading.
kurv::ArithmeticError LocatedOverflow(const kurv::CellOverflow& e, const QString& place,
                                      const QString& heading) {
    return kurv::ArithmeticError(std::string(e.what()) + " " + place.arg(e.row).arg(heading).toStdString());
}

}  // namespace

// The pairs come from the table once for every change of it: a new kind reuses them.
void TFormMain::ReadPairs(Run& run) {
    if (run.same) return;
    fit_.check = {};  // until this run's fit has been checked
    ++fit_.checkRun;
    ShowFitWarning();
    if (recalc_.read.Matches(data_.Revision(), sep_)) return;
    recalc_.read.Forget();
    try {
        kurv::ReadCountingPairs(data_, sep_, recalc_.pairs);
    } catch (const kurv::CellOverflow& e) {
        throw LocatedOverflow(e, Pick(kurv::kOverflowPlace), Text(TextId::HeaderTrueY + e.col));
    }
    recalc_.read.Remember(data_.Revision(), sep_);
}

void TFormMain::ShowInsufficientData(Run& run) {
    ShowNoCoefficients();
    SetFitOnShow(false);
    // Until a run gets past this point (and reads and fits afresh) the room
    // read for pairs and the fitted values serve nothing: after a table of ten
    // million rows was cleared they would hold 270 MB. The hidden chart keeps
    // its points, as every run that stops here leaves them.
    std::vector<double>().swap(recalc_.fitted);
    for (auto* v : {&recalc_.pairs.y, &recalc_.pairs.x}) v->shrink_to_fit();
    recalc_.pairs.rows.shrink_to_fit();
    recalc_.memo.Remember(data_.Revision(), run.kind, sep_);
    StatisticsAfterRun();
}

void TFormMain::SolveFit(Run& run) {
    // The check marks first: a chosen item has already flipped its own.
    SetFitKindChecks(run.kind);
    if (run.same || kurv::Solve(run.kind, recalc_.pairs.sums, FitCoefficients) != kurv::SolveResult::Fault)
        return;
    MessageBox(this, Text(TextId::CoefficientsUndetermined), Text(TextId::CannotCalculate), MbOk,
               MsgIcon::None);
    run.boxShown = true;
}

void TFormMain::ShowCoefficients(Run& run) {
    const double a[4] = {FitCoefficients.a0, FitCoefficients.a1, FitCoefficients.a2, FitCoefficients.a3};
    for (int i = 0; i < 4; ++i) {
        CoefficientTexts[i] = kurv::CoefficientText(a[i], sep_);
        fit_.PanelA[i]->setText(QString("A%1 = ").arg(i) + Q(CoefficientTexts[i]));
    }
    fit_.PanelResult->setText(Q(kurv::FormulaText(FitCoefficients, run.kind, CoefficientTexts)));
    SetFitOnShow(true);
    fit_.PanelA[2]->setVisible(run.kind != kurv::FitKind::Linear);
    fit_.PanelA[3]->setVisible(run.kind == kurv::FitKind::Cubic);
}

// The fitted column and the error measures, while the stable second solution
// checks the shown digits. An overflow ends the run with the rows before it
// written (its check is then left unused).
void TFormMain::FitPairsAndColumn(Run& run) {
    if (run.same) return;
    const kurv::CountingPairs& pairs = recalc_.pairs;
    auto writeFitted = [&] {
        // Column 2 does not feed the pairs: they still hold for the table written.
        const bool pairsHeld = recalc_.read.Matches(data_.Revision(), sep_);
        const std::vector<double>& fitted = recalc_.fitted;
        kurv::WriteFittedColumn(data_, pairs.rows, fitted, sep_);
        if (!fitted.empty())
            table_.sgData->CellsChanged(2, pairs.rows.front(), pairs.rows[fitted.size() - 1]);
        if (pairsHeld) recalc_.read.Remember(data_.Revision(), sep_);
    };
    run.fitCheck = StartFitCheck(run.kind, !run.boxShown);
    kurv::ErrorMeasures errors;
    try {
        kurv::FitPairs(pairs, FitCoefficients, recalc_.fitted, errors);
    } catch (const kurv::CellOverflow& e) {
        writeFitted();
        StatisticsAfterRun();  // none: the run ends unchecked
        throw LocatedOverflow(e, Pick(kurv::kOverflowPlace), Text(TextId::HeaderTrueY + e.col));
    }
    writeFitted();
    recalc_.sigma = errors.Sigma();
    recalc_.maxError = errors.maxError;
}

void TFormMain::ShowErrorMeasures() {
    fit_.lblSigma->setText(Q(kurv::ErrorMeasureText(recalc_.sigma, sep_)));
    fit_.lblMaxErr->setText(Q(kurv::ErrorMeasureText(recalc_.maxError, sep_)));
}

void TFormMain::TakeFitCheck(Run& run) {
    if (run.same) return;
    fit_.check = run.fitCheck.get();
    ++fit_.checkRun;
    ShowFitWarning();
}

// Back to the table, and the evaluation points follow the curve.
void TFormMain::EndRun(Run& run) {
    if (!run.boxShown) recalc_.memo.Remember(data_.Revision(), run.kind, sep_);
    table_.sgData->setFocus(Qt::OtherFocusReason);
    // With the window inactive (a box has just closed) the focus arrives when it
    // is active again: that focus-in is this run's, not a new entry.
    if (!table_.sgData->hasFocus()) recalc_.focusReturn.Remember(data_.Revision(), run.kind, sep_);
    RefreshEvaluationPoints();
    StatisticsAfterRun();
}

void TFormMain::sgDataEnter() {
    const bool ownFocusReturn = recalc_.focusReturn.Matches(data_.Revision(), CurrentKind(), sep_);
    recalc_.focusReturn.Forget();
    if (!ownFocusReturn) sgDataClick();
}

void TFormMain::itmLineClick() {
    fit_.ComboBox1->setCurrentIndex(static_cast<int>(kurv::FitKind::Linear));
    sgDataClick();
}

void TFormMain::itmDoubleClick() {
    fit_.ComboBox1->setCurrentIndex(static_cast<int>(kurv::FitKind::Quadratic));
    sgDataClick();
}

void TFormMain::itmCubicClick() {
    fit_.ComboBox1->setCurrentIndex(static_cast<int>(kurv::FitKind::Cubic));
    sgDataClick();
}

TFormMain::SparedPairs::SparedPairs(TFormMain& form)
    : form_(form), ahead_(form.sep_), revision_(form.data_.Revision()) {
    kurv::RecalcState& r = form.recalc_;
    // Only pairs that are the table's own and fitted by the fit on show can
    // be had again from the table alone.
    spared_ = !r.running && form.fitOnShow_ && r.read.Matches(revision_, form.sep_) &&
              r.pairs.rows.size() >= kFrom && r.fitted.size() == r.pairs.rows.size();
    if (spared_) {
        // Swapped out: assigning {} would keep their memory.
        std::vector<int>().swap(r.pairs.rows);
        std::vector<double>().swap(r.pairs.y);
        std::vector<double>().swap(r.pairs.x);
        std::vector<double>().swap(r.fitted);
    }
    kurv::big_memory::ReturnFreeHeap();
}

TFormMain::SparedPairs::~SparedPairs() {
    kurv::RecalcState& r = form_.recalc_;
    if (form_.data_.Revision() != revision_) {
        Adopt();
        return;
    }
    if (!spared_) return;
    try {
        form_.RereadPairs();
    } catch (...) {
        // Without memory for them the next run reads the table afresh.
        r.read.Forget();
        r.memo.Forget();
        r.pairs.rows.clear();
        r.fitted.clear();
    }
}

// The new table's pairs, when they were read whole, become the ones the
// command's recalculation takes; otherwise it reads the table.
void TFormMain::SparedPairs::Adopt() {
    kurv::RecalcState& r = form_.recalc_;
    r.memo.Forget();
    r.read.Forget();
    if (!ahead_.read || r.running) return;  // a run under way is still using its pairs
    std::swap(r.pairs, ahead_.pairs);
    r.read.Remember(form_.data_.Revision(), ahead_.sep);
}

void TFormMain::RereadPairs() {
    kurv::ReadCountingPairs(data_, sep_, recalc_.pairs);
    kurv::ErrorMeasures errors;
    kurv::FitPairs(recalc_.pairs, FitCoefficients, recalc_.fitted, errors);
}
