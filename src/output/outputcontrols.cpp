// The output's part of the window: the chart with its pop-up menu, the chart's
// two buttons, the formula's copy button; and what the chart shows of a fit
// and of the evaluation points.
#include <QMenu>
#include <QPushButton>
#include <cmath>

#include "app/controls.h"
#include "app/formmain.h"
#include "core/curve.h"
#include "core/numbers.h"
#include "output/chartview.h"

using kurv::TextId;

void TFormMain::BuildOutput() {
    output_.Chart1 = Place(new TChart(app_.client), "Chart1", 208, 152, 289, 208);
    Captioned(output_.Chart1, {"График", "Chart"}, Caption::Role::AccessibleName);
    output_.btnPrint =
        Place(Captioned(new QPushButton(app_.client), TextId::PrintChart), "btnPrint", 400, 92, 97, 25);
    output_.btnGraphCopy = Place(Captioned(new QPushButton(app_.client), TextId::CopyChartButton),
                                 "btnGraphCopy", 400, 120, 97, 25);
    output_.btnCopy = Place(Captioned(new QPushButton(app_.GroupBoxResult), TextId::CopyFormulaButton),
                            "btnCopy", 406, 16, 75, 25);
    // Both buttons show "Копировать": a screen reader says which copies what.
    Captioned(output_.btnGraphCopy, {"%1 график", "%1"}, Caption::Role::SpokenCaption);
    Captioned(output_.btnCopy, {"%1 формулу", "%1 (formula)"}, Caption::Role::SpokenCaption);

    output_.PopupMenuGraph = MakePopupMenu("PopupMenuGraph");
    output_.PopupMenuGraph->addActions({fit_.itmLine, fit_.itmDouble, fit_.itmCubic});
    FillMenu(output_.PopupMenuGraph,
             {{"sepN1", {}, "", nullptr},
              {"itmGraphPrint", TextId::PrintChart, "", &TFormMain::btnPrintClick},
              {"itmGraphCopy", TextId::CopyChartItem, "", &TFormMain::btnGraphCopyClick}},
             Qt::WidgetShortcut);
    BuildReportItems();

    FollowFitOnShow(output_.Chart1, true);
    for (QObject* c : std::initializer_list<QObject*>{output_.btnCopy, output_.btnGraphCopy, output_.btnPrint,
                                                      output_.itmSaveChart, output_.itmReport})
        FollowFitOnShow(c);
}

void TFormMain::WireOutput() {
    connect(output_.btnCopy, &QPushButton::clicked, this, [this] { Guarded([&] { btnCopyClick(); }); });
    connect(output_.btnPrint, &QPushButton::clicked, this, [this] { Guarded([&] { btnPrintClick(); }); });
    connect(output_.btnGraphCopy, &QPushButton::clicked, this,
            [this] { Guarded([&] { btnGraphCopyClick(); }); });

    TChart* chart = output_.Chart1;
    connect(chart, &TChart::seriesClicked, this, [this](int series, int index, Qt::MouseButton b) {
        Guarded([&] { Chart1ClickSeries(series, index, b); });
    });
    // The chart's click is the left button's; a right click opens its menu.
    connect(chart, &TChart::clicked, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton) Guarded([&] { Chart1Click(); });
    });
    chart->SetPopupMenu(output_.PopupMenuGraph);
    chart->SetValueFormatter(
        [this](double y) { return QString::fromStdString(kurv::GeneralNumberText(y, sep_)); });
}

void TFormMain::ShowFitOnChart() {
    const kurv::CountingPairs& pairs = recalc_.pairs;
    TChart* chart = output_.Chart1;
    chart->ClearAll();
    double xmin = 0, xmax = 0;
    {
        TChart::Fill points = chart->Refill(
            TChart::kMeasured, {kResidualColours.begin(), kResidualColours.end()}, pairs.rows.size());
        for (std::size_t i = 0; i < pairs.rows.size(); ++i) {
            const double y = pairs.y[i];
            const double x = pairs.x[i];
            const double d = std::fabs(y - recalc_.fitted[i]);
            points.Add(x, y, static_cast<std::uint8_t>(kurv::ClassOfResidual(d, recalc_.sigma)));
            if (i == 0 || x < xmin) xmin = x;
            if (i == 0 || x > xmax) xmax = x;
        }
    }
    // The fitted curve across the points' X extent.
    if (pairs.sums.n > 0) {
        const std::vector<double> xs = kurv::CurveSampleXs(xmin, xmax);
        TChart::Fill curve = chart->Refill(TChart::kCurve, {QColor()}, xs.size());
        for (double x : xs) curve.Add(x, kurv::Evaluate(FitCoefficients, x));
    }
}

void TFormMain::ShowEvaluationPoint(int k, double x, double y, bool plotted) {
    const int series = TChart::EvaluationPoint(k);
    output_.Chart1->Clear(series);
    if (plotted)
        output_.Chart1->AddPoint(series, x, y, QString::fromStdString(kurv::GeneralNumberText(x, sep_)),
                                 QColor(255, 0, 0));
}
