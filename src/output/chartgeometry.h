// The chart's arithmetic, free of widgets: the map from values to plot pixels,
// axis ranges, tick planning, clipping the curve to the plot and breaking the
// title into lines. Everything here can be tested without a window.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <functional>

namespace chart {

// Axis ranges stay well inside the double range so that spans and margins
// never overflow, and never get narrower than a few thousand units in the
// last place so the tick stepping always advances.
constexpr double kRangeLimit = DBL_MAX / 4;

// The axes' current ranges and the plot area, as one linear map.
struct Mapping {
    QRectF plot;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    double sx = 1, sy = 1;
    bool valid = false;

    static Mapping Of(const QRectF& plot, double x0, double x1, double y0, double y1);
    QPointF Map(double x, double y) const {
        return QPointF(plot.left() + (x - x0) * sx, plot.bottom() - (y - y0) * sy);
    }
    double ValueX(double px) const { return x0 + (px - plot.left()) / sx; }
    double ValueY(double py) const { return y0 + (plot.bottom() - py) / sy; }
};

// Widens a range that is empty or too narrow to show, then adds the margin.
void PadRange(double& lo, double& hi);
// Keeps a zoomed range showable: at least the smallest span, inside the limits.
void LimitRange(double& lo, double& hi);

// The segment a-b clipped to r; false when nothing is left.
bool ClipSegment(const QRectF& r, QPointF& a, QPointF& b);
double DistanceToSegment(QPointF p, QPointF a, QPointF b);

// One visible piece of a polyline: the part of the stretch from point
// index-1 (`from`) to point `index` (`to`) that lies inside the area.
struct VisibleSegment {
    QPointF a, b;
    QPointF from, to;
    std::size_t index = 0;
};

// Walks the polyline through n points, clipped in double precision (far
// zoomed in, the raw positions run to 1e15 pixels). Points that do not map to
// finite positions break the line. The painting and the hit test share it.
template <class PointAt, class Visit>
void WalkVisibleSegments(std::size_t n, const QRectF& area, PointAt pointAt, Visit visit) {
    bool havePrev = false;
    QPointF prev;
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF q = pointAt(i);
        if (!std::isfinite(q.x()) || !std::isfinite(q.y())) {
            havePrev = false;
            continue;
        }
        if (havePrev) {
            VisibleSegment s{prev, q, prev, q, i};
            if (ClipSegment(area, s.a, s.b)) visit(s);
        }
        prev = q;
        havePrev = true;
    }
}

// A tick step of 1, 2 or 5 times a power of ten and the label format that
// tells its ticks apart.
struct TickPlan {
    double step = 0;  // 0: no plan (an empty or unshowable range)
    char form = 'f';
    int precision = 0;
    double anchor = 0;  // a tick at a whole multiple of the step
    int count = 0;      // ticks inside the range
};

// The ticks for a range over `pixels`: about one per `spacing` pixels, and
// fewer (down to none) while the widest label, as labelWidth measures it
// with `labelRoom` pixels beside it, would not fit its share of the length.
// Without labelWidth the density alone decides.
TickPlan PlanTicks(double lo, double hi, double pixels, int spacing,
                   const std::function<double(double value, const TickPlan&)>& labelWidth = {},
                   double labelRoom = 0);

// Lines wider than room broken at spaces (a formula must never lose its end).
QStringList BreakLines(const QStringList& lines, double room,
                       const std::function<double(const QString&)>& width);
// The title's rich text: lines centred, spaces kept, empty lines kept.
QString TitleHtml(const QStringList& lines);

}  // namespace chart
