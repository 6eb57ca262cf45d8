// The report's residual plot: residual (Y - Y obtained) against X, with the
// zero line and the band of one sigma, painted as vectors.
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "output/chartgeometry.h"
#include "output/chartview.h"
#include "output/report.h"

namespace {

const QColor kFrame(90, 90, 90);
const QColor kGrid(225, 225, 225);
const QColor kSigma(150, 150, 150);

QString Tick(double v, const chart::TickPlan& t, char sep) {
    if (std::fabs(v) < t.step * 1e-9) v = 0;  // no "-0" from the stepping's rounding
    QString s = QString::number(v, t.form, t.precision);
    if (sep != '.') s.replace(QLatin1Char('.'), QLatin1Char(sep));
    return s;
}

template <class Visit>
void ForTicks(const chart::TickPlan& t, double lo, double hi, Visit visit) {
    if (t.step <= 0 || t.count <= 0) return;
    double v = t.anchor - std::floor((t.anchor - lo) / t.step) * t.step;
    for (int i = 0; i < t.count + 1 && v <= hi + t.step * 1e-9; ++i, v = v + t.step)
        if (v >= lo - t.step * 1e-9) visit(v);
}

}  // namespace

void PaintResidualPlot(QPainter* p, const QRectF& rect, const kurv::Report& report,
                       const ResidualPlotLook& look) {
    if (!report.pairs || !report.fitted) return;
    const kurv::CountingPairs& pairs = *report.pairs;
    const std::vector<double>& fitted = *report.fitted;
    const std::size_t n = std::min(pairs.x.size(), fitted.size());

    // The ranges: X as the pairs spread, the residuals symmetric about zero.
    double x0 = 0, x1 = 0, reach = 0;
    bool any = false;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = pairs.x[i], r = pairs.y[i] - fitted[i];
        if (!std::isfinite(x) || !std::isfinite(r)) continue;
        if (!any || x < x0) x0 = x;
        if (!any || x > x1) x1 = x;
        reach = std::max(reach, std::fabs(r));
        any = true;
    }
    if (!any) return;
    chart::PadRange(x0, x1);
    double r0 = -reach, r1 = reach;
    chart::PadRange(r0, r1);
    chart::LimitRange(x0, x1);
    chart::LimitRange(r0, r1);

    const double pt = look.point;
    const QFontMetricsF fm(look.labels, look.device);
    const double gap = 3 * pt;
    // Room for the tick labels at the left (the widest of a first plan) and the titles.
    const double left0 = rect.left() + fm.height() + gap;
    const double bottom = rect.bottom() - 2 * fm.height() - gap;
    const chart::TickPlan rt = chart::PlanTicks(r0, r1, bottom - rect.top(), int(28 * pt));
    double labelWidth = 0;
    ForTicks(rt, r0, r1, [&](double v) {
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(Tick(v, rt, report.sep)));
    });
    const QRectF plot(QPointF(left0 + labelWidth + gap, rect.top() + fm.height() / 2),
                      QPointF(rect.right() - pt, bottom));
    if (plot.width() < 10 * pt || plot.height() < 10 * pt) return;
    const chart::TickPlan xt = chart::PlanTicks(
        x0, x1, plot.width(), int(60 * pt),
        [&](double v, const chart::TickPlan& t) { return fm.horizontalAdvance(Tick(v, t, report.sep)); },
        8 * pt);
    const chart::Mapping m = chart::Mapping::Of(plot, x0, x1, r0, r1);

    p->save();
    p->setFont(look.labels);
    // Grid and tick labels.
    p->setPen(QPen(kGrid, 0.5 * pt));
    ForTicks(rt, r0, r1, [&](double v) {
        const double y = m.Map(x0, v).y();
        p->setPen(QPen(kGrid, 0.5 * pt));
        p->drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p->setPen(Qt::black);
        const QString s = Tick(v, rt, report.sep);
        p->drawText(
            QPointF(plot.left() - gap - fm.horizontalAdvance(s), y + (fm.ascent() - fm.descent()) / 2), s);
    });
    ForTicks(xt, x0, x1, [&](double v) {
        const double x = m.Map(v, r0).x();
        p->setPen(QPen(kGrid, 0.5 * pt));
        p->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p->setPen(Qt::black);
        const QString s = Tick(v, xt, report.sep);
        p->drawText(QPointF(x - fm.horizontalAdvance(s) / 2, plot.bottom() + gap + fm.ascent()), s);
    });

    p->setClipRect(plot);
    // The points, one square per spot of about a point and colour: near first,
    // far last, so the far ones stay on top.
    const double cell = pt;
    const int cols = std::max(1, int(std::ceil(plot.width() / cell)) + 1);
    const int rows = std::max(1, int(std::ceil(plot.height() / cell)) + 1);
    std::vector<std::uint8_t> seen(std::size_t(cols) * std::size_t(rows), 0);
    std::array<std::vector<QRectF>, 3> squares;
    const double half = 1.4 * pt;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = pairs.y[i] - fitted[i];
        const QPointF q = m.Map(pairs.x[i], r);
        if (!(q.x() >= plot.left() && q.x() <= plot.right() && q.y() >= plot.top() && q.y() <= plot.bottom()))
            continue;  // also drops NaN
        const int c = int(kurv::ClassOfResidual(std::fabs(r), report.sigma));
        const int cx = int((q.x() - plot.left()) / cell), cy = int((q.y() - plot.top()) / cell);
        std::uint8_t& s = seen[std::size_t(cy) * std::size_t(cols) + std::size_t(cx)];
        if (s & (1u << c)) continue;
        s = std::uint8_t(s | (1u << c));
        squares[std::size_t(c)].emplace_back(q.x() - half, q.y() - half, 2 * half, 2 * half);
    }
    p->setPen(Qt::NoPen);
    for (int c = 0; c < 3; ++c) {
        p->setBrush(kResidualColours[std::size_t(c)]);
        if (!squares[std::size_t(c)].empty())
            p->drawRects(squares[std::size_t(c)].data(), int(squares[std::size_t(c)].size()));
    }
    // Zero and one sigma either side, over the points.
    p->setBrush(Qt::NoBrush);
    p->setPen(QPen(kFrame, 0.8 * pt));
    p->drawLine(m.Map(x0, 0), m.Map(x1, 0));
    if (report.sigma > 0) {
        p->setPen(QPen(kSigma, 0.8 * pt, Qt::DashLine));
        for (double s : {report.sigma, -report.sigma}) p->drawLine(m.Map(x0, s), m.Map(x1, s));
    }
    p->setClipping(false);

    // Frame and the axis titles.
    p->setBrush(Qt::NoBrush);
    p->setPen(QPen(kFrame, 0.8 * pt));
    p->drawRect(plot);
    p->setPen(Qt::black);
    const QString titleX = QString::fromStdString(report.axisX);
    p->drawText(QRectF(plot.left(), rect.bottom() - fm.height(), plot.width(), fm.height()),
                Qt::AlignHCenter | Qt::AlignBottom, fm.elidedText(titleX, Qt::ElideRight, plot.width()));
    const QString titleY = QString::fromStdString(report.axisResidual);
    p->translate(rect.left(), plot.center().y());
    p->rotate(-90);
    p->drawText(QRectF(-plot.height() / 2, 0, plot.height(), fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                fm.elidedText(titleY, Qt::ElideRight, plot.height()));
    p->restore();
}
