// The recalculation: reads the whole table, fits the chosen polynomial and
// rewrites every result display. It runs on every change that can affect a
// result and keeps no state of its own between runs.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <vector>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/curve.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

namespace {

const QColor kBlue(0, 0, 255);
const QColor kPurple(128, 0, 128);
const QColor kRed(255, 0, 0);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

void TFormMain::SetFitKindChecks(int kind) {
    SetCheckedByCode(itmLine, kind == 0);
    SetCheckedByCode(itmDouble, kind == 1);
    SetCheckedByCode(itmCubic, kind == 2);
}

void TFormMain::sgDataClick() {
    // 1.
    std::string formula = "Y = ";
    lblFitWarning->hide();  // until this run's fit has been checked

    // 2. First pass: the power sums of the counting rows. A rejected text ends
    // the run here, before anything is shown.
    kurv::PowerSums sums;
    for (int r = 1; r < table_.RowCount(); ++r) {
        if (!table_.Counts(r)) continue;
        const double y = Number(table_.Cell(0, r));
        const double x = Number(table_.Cell(1, r));
        sums.Add(x, y);
    }

    // 3. Too few pairs for the kind.
    const int kind = ComboBox1->currentIndex();
    if ((kind == 2 && sums.n < 4) || (kind == 1 && sums.n < 3) || (kind == 0 && sums.n < 2)) {
        for (TPanel* p : PanelA) p->setText(Text(25));
        PanelResult->setText(Text(26));
        Chart1->hide();
        btnCopy->setEnabled(false);
        btnGraphCopy->setEnabled(false);
        btnPrint->setEnabled(false);
        return;
    }

    // 4. Check marks, then the solution.
    SetFitKindChecks(kind);
    if (kurv::Solve(kind, sums, FitCoefficients) == kurv::SolveResult::Fault)
        MessageBox(this, Text(54), Text(55), MbOk, MsgIcon::None);

    // 5. Coefficient panels and texts.
    const double a[4] = {FitCoefficients.a0, FitCoefficients.a1, FitCoefficients.a2, FitCoefficients.a3};
    for (int i = 0; i < 4; ++i) {
        CoefficientTexts[i] = kurv::CoefficientText(a[i], sep_);
        PanelA[i]->setText(QString("A%1 = ").arg(i) + Q(CoefficientTexts[i]));
    }

    // 6. The formula line.
    const auto& t = CoefficientTexts;
    if (a[3] != 0 && kind == 2) formula += t[3] + " * X^3 ";
    if (a[2] != 0 && (kind == 1 || kind == 2)) {
        if (formula.size() > 4 && a[2] > 0) formula += " +";
        formula += t[2] + " * X^2 ";
    }
    if (a[1] != 0) {
        if (formula.size() > 4 && a[1] > 0) formula += " +";
        formula += t[1] + " * X ";
    }
    if (formula.size() > 4 && a[0] > 0) formula += " +";
    if (formula == "Y = " || a[0] != 0) formula += t[0];
    PanelResult->setText(Q(formula));

    // 7.
    Chart1->show();
    btnCopy->setEnabled(true);
    btnGraphCopy->setEnabled(true);
    btnPrint->setEnabled(true);
    PanelA[2]->setVisible(kind == 1 || kind == 2);
    PanelA[3]->setVisible(kind == 2);

    // 8. Second pass: the fitted column and the error measures.
    kurv::ErrorMeasures errors;
    int firstChanged = -1, lastChanged = -1;
    try {
        for (int r = 1; r < table_.RowCount(); ++r) {
            if (!table_.Counts(r)) continue;
            const double y = Number(table_.Cell(0, r));
            const double x = Number(table_.Cell(1, r));
            const double f = kurv::Evaluate(FitCoefficients, x);
            table_.SetCell(2, r, kurv::GeneralNumberText(f, sep_));
            if (firstChanged < 0) firstChanged = r;
            lastChanged = r;
            errors.Add(y, f);
        }
    } catch (...) {
        if (firstChanged > 0) sgData->CellsChanged(2, firstChanged, lastChanged);
        throw;
    }
    if (firstChanged > 0) sgData->CellsChanged(2, firstChanged, lastChanged);
    const double sigma = errors.Sigma();

    // 9.
    lblSigma->setText(Q(kurv::ErrorMeasureText(sigma, sep_)));
    lblMaxErr->setText(Q(kurv::ErrorMeasureText(errors.maxError, sep_)));
    UpdateFitWarning(kind, sums);

    // 10.
    Chart1->ClearAll();

    // 11. Third pass: the measured points, coloured by their residuals.
    std::vector<ChartPoint> points;
    points.reserve(sums.n);
    double xmin = 0, xmax = 0;
    for (int r = 1; r < table_.RowCount(); ++r) {
        if (!table_.Counts(r)) continue;
        const double y = Number(table_.Cell(0, r));
        const double x = Number(table_.Cell(1, r));
        const double d = std::fabs(y - kurv::Evaluate(FitCoefficients, x));
        const QColor& colour = sigma * 0.25 > d ? kBlue : sigma * 0.5 > d ? kPurple : kRed;
        if (points.empty() || x < xmin) xmin = x;
        if (points.empty() || x > xmax) xmax = x;
        points.push_back({x, y, Q(kurv::GeneralNumberText(x, sep_)), colour});
    }
    Chart1->SetPoints(1, std::move(points));

    // 12. The fitted curve across the points' X extent.
    if (sums.n > 0) {
        const std::vector<double> xs = kurv::CurveSampleXs(xmin, xmax);
        QList<QPointF> curve;
        curve.reserve(static_cast<qsizetype>(xs.size()));
        for (double x : xs) curve.append(QPointF(x, kurv::Evaluate(FitCoefficients, x)));
        Chart1->SetLine(curve);
    }

    // 13. The focus back to the table; coming from elsewhere it starts a
    // complete nested run before this one goes on.
    sgData->setFocus(Qt::OtherFocusReason);

    // 14. The evaluation points follow the new curve.
    for (EvaluationRow& row : Eval) MaskEditX1Change(row.edit);
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
