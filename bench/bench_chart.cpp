// The chart: one paint with 100,000 measured points, the picture exports of a
// 10,000-point chart, how the SVG grows with the points, and the whole
// recalculation over unsorted rows (where the chart's ordering shows).
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/benchwindow.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

namespace {

// Measured points scattered about a line, coloured by residual as the fit does,
// the fitted curve of 51 points and two evaluation points.
void Fill(TChart& chart, int n, bool marks = false) {
    std::mt19937 rng(12345);
    std::normal_distribution<double> noise(0.0, 3.0);
    std::vector<ChartPoint> pts;
    pts.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const double x = i * 0.01, d = noise(rng);
        const QColor c = std::fabs(d) < 0.75  ? QColor(0, 0, 255)
                         : std::fabs(d) < 1.5 ? QColor(128, 0, 128)
                                              : QColor(255, 0, 0);
        pts.push_back(ChartPoint{x, 2 * x + 1 + d, QString::number(x), c});
    }
    chart.ClearAll();
    chart.SetPoints(1, std::move(pts));
    QList<QPointF> line;
    const double x1 = (n - 1) * 0.01;
    for (int i = 0; i <= 50; ++i) line << QPointF(x1 * i / 50, 2 * x1 * i / 50 + 1);
    chart.SetLine(line);
    chart.AddPoint(3, x1 / 3, 2 * x1 / 3 + 1, QStringLiteral("a"), Qt::red);
    chart.AddPoint(12, x1 / 2, x1 + 1, QStringLiteral("b"), Qt::red);
    chart.SetMarksVisible(1, marks);
}

QImage Paint(TChart& chart) {
    QImage image(chart.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    chart.RenderTo(&p, QRectF(image.rect()));
    return image;
}

}  // namespace

KURVILON_BENCH("chart paint") {
    TChart chart;
    chart.resize(289, 208);
    Fill(chart, 100000);
    Paint(chart);  // first layout outside the timing
    const double paint = bench::MedianSeconds(11, [&] { bench::Keep(Paint(chart)); });
    std::printf("paint, 100,000 points, 289x208:        %8.2f ms\n", paint * 1e3);
    chart.resize(1200, 800);
    Paint(chart);
    const double big = bench::MedianSeconds(11, [&] { bench::Keep(Paint(chart)); });
    std::printf("paint, 100,000 points, 1200x800:       %8.2f ms\n", big * 1e3);
    chart.resize(289, 208);
    const double refill = bench::MedianSeconds(5, [&] { Fill(chart, 100000); });
    std::printf("refill (build + set), 100,000 points:  %8.2f ms\n", refill * 1e3);
    std::vector<ChartPoint> pts;
    for (int i = 0; i < 100000; ++i) pts.push_back(ChartPoint{i * 0.01, i * 0.02, QString(), Qt::red});
    const double set = bench::MedianSeconds(5, [&] { chart.SetPoints(1, pts); });
    std::printf("SetPoints alone, 100,000 points:       %8.2f ms\n", set * 1e3);
    const double add = bench::MedianSeconds(3, [&] {
        chart.ClearAll();
        for (const ChartPoint& p : pts) chart.AddPoint(1, p.x, p.y, p.label, p.colour);
    });
    std::printf("AddPoint one by one, 100,000 points:   %8.2f ms\n", add * 1e3);
    const double addBack = bench::MedianSeconds(3, [&] {
        chart.ClearAll();
        for (auto p = pts.rbegin(); p != pts.rend(); ++p) chart.AddPoint(1, p->x, p->y, p->label, p->colour);
        bench::Keep(chart.MarkText(1, 0));  // the first read sorts
    });
    std::printf("AddPoint in falling X, then read:      %8.2f ms\n", addBack * 1e3);
    Fill(chart, 100000);
    chart.SetMarksVisible(1, true);
    Paint(chart);  // builds the mark texts once
    const double marks = bench::MedianSeconds(5, [&] { bench::Keep(Paint(chart)); });
    std::printf("paint with marks, 100,000 points:      %8.2f ms\n", marks * 1e3);
}

KURVILON_BENCH("chart export") {
    TChart chart;
    chart.resize(289, 208);
    Fill(chart, 10000);
    const double svg = bench::MedianSeconds(11, [&] { bench::Keep(chart.ToSvg()); });
    std::printf("SVG, 10,000 points:                    %8.2f ms\n", svg * 1e3);
    const double png = bench::MedianSeconds(11, [&] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        chart.ToImage().save(&buffer, "PNG");
        bench::Keep(bytes);
    });
    std::printf("PNG, 10,000 points:                    %8.2f ms\n", png * 1e3);
    const double copy = bench::MedianSeconds(11, [&] {
        bench::Keep(chart.ToSvg());
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        chart.ToImage().save(&buffer, "PNG");
        bench::Keep(bytes);
    });
    std::printf("chart copy (SVG + PNG), 10,000 points: %8.2f ms\n", copy * 1e3);
    for (int n : {1000, 10000, 100000}) {
        Fill(chart, n);
        const qsizetype plain = chart.ToSvg().size();
        Fill(chart, n, true);
        const qsizetype marked = chart.ToSvg().size();
        std::printf("SVG size, %6d points: %9lld bytes, with marks %9lld bytes\n", n, (long long)plain,
                    (long long)marked);
    }
}

// Rows in random X order, as a user's measurements come: every run hands the
// chart its points in table order.
KURVILON_BENCH("chart: recalculation, unsorted rows") {
    bench::WindowSurroundings around(2);  // quadratic
    const FormEnvironment env = around.Env();
    for (int rows : {100000, 1000000}) {
        TFormMain form(env);
        kurv::DataTable& t = form.Table();
        std::vector<int> order(static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i) order[size_t(i)] = i;
        std::shuffle(order.begin(), order.end(), std::mt19937(99));
        t.SetRowCount(rows + 2);
        for (int r = 1; r <= rows; ++r) {
            const double x = 1e7 + order[size_t(r - 1)] * 0.01;
            t.SetCell(1, r, kurv::GeneralNumberText(x, '.'));
            t.SetCell(0, r, kurv::GeneralNumberText(0.5 * x + (r % 7) * 0.01, '.'));
        }
        form.findChild<TStringGrid*>("sgData")->TableReset();
        form.sgDataClick();
        const double whole = bench::MedianSeconds(rows >= 1000000 ? 3 : 7, [&] { form.sgDataClick(); });
        std::printf("recalculation, %7d unsorted rows:    %8.1f ms\n", rows, whole * 1e3);
    }
}
