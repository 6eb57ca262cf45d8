#include "output/chartgeometry.h"

#include <algorithm>

namespace chart {

namespace {

constexpr double kMinRelativeSpan = 1e-12;
constexpr double kMinAbsoluteSpan = 1e-290;
constexpr double kMarginShare = 0.03;
// Never more labels than a reader takes in, nor a longer search than this.
constexpr int kMaxTicks = 10;
constexpr int kMaxSteps = 64;

double NiceStep(double raw) {
    const double unit = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / unit;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * unit;
}

// The next step of the 1, 2, 5 ladder.
double NextStep(double step) {
    const double unit = std::pow(10.0, std::floor(std::log10(step)));
    const double f = std::round(step / unit);
    return (f < 2 ? 2 : f < 5 ? 5 : 10) * unit;
}

TickPlan Describe(double lo, double hi, double step) {
    TickPlan t;
    t.step = step;
    const double mag = std::max(std::fabs(lo), std::fabs(hi));
    const int stepExp = int(std::floor(std::log10(step)));
    if (mag >= 1e9 || stepExp < -6) {
        t.form = 'e';
        t.precision = std::clamp(int(std::floor(std::log10(mag))) - stepExp, 0, 15);
    } else {
        t.precision = std::max(0, -stepExp);
    }
    const double anchor = std::floor(lo / step) * step;
    t.anchor = std::isfinite(anchor) ? anchor : lo;
    // The axis puts its first tick at the first multiple of the step from the
    // anchor inside the range; ties at the ends count (the safe side).
    const double first = t.anchor - std::floor((t.anchor - lo) / step) * step;
    const double inside = (hi - first) / step;
    t.count =
        first <= hi && std::isfinite(inside) ? int(std::min(std::floor(inside * (1 + 1e-9)), 1e6)) + 1 : 0;
    return t;
}

}  // namespace

Mapping Mapping::Of(const QRectF& plot, double x0, double x1, double y0, double y1) {
    Mapping m;
    m.plot = plot;
    m.x0 = x0;
    m.x1 = x1;
    m.y0 = y0;
    m.y1 = y1;
    m.valid = plot.width() > 0 && plot.height() > 0 && x1 > x0 && y1 > y0;
    if (m.valid) {
        m.sx = plot.width() / (x1 - x0);
        m.sy = plot.height() / (y1 - y0);
        m.valid = std::isfinite(m.sx) && std::isfinite(m.sy) && m.sx > 0 && m.sy > 0;
    }
    return m;
}

void PadRange(double& lo, double& hi) {
    long double l = lo, h = hi;
    const long double mag = std::max(std::fabs(l), std::fabs(h));
    const long double minSpan = std::max<long double>(mag * kMinRelativeSpan, kMinAbsoluteSpan);
    if (h - l <= 0) {
        const long double half = mag > 0 ? mag * 0.1L : 1.0L;
        l -= half;
        h += half;
    } else if (h - l < minSpan) {
        const long double mid = (l + h) / 2;
        l = mid - minSpan / 2;
        h = mid + minSpan / 2;
    }
    const long double margin = (h - l) * kMarginShare;
    l -= margin;
    h += margin;
    lo = double(std::clamp<long double>(l, -kRangeLimit, kRangeLimit));
    hi = double(std::clamp<long double>(h, -kRangeLimit, kRangeLimit));
    if (!(hi > lo)) {  // both ends clamped to one limit
        if (lo >= kRangeLimit)
            lo = kRangeLimit / 2;
        else
            hi = -kRangeLimit / 2;
    }
}

void LimitRange(double& lo, double& hi) {
    long double l = lo, h = hi;
    const long double mag = std::max(std::fabs(l), std::fabs(h));
    const long double minSpan = std::max<long double>(mag * kMinRelativeSpan * 4, kMinAbsoluteSpan);
    if (h - l < minSpan) {
        const long double mid = (l + h) / 2;
        l = mid - minSpan / 2;
        h = mid + minSpan / 2;
    }
    lo = double(std::clamp<long double>(l, -kRangeLimit, kRangeLimit));
    hi = double(std::clamp<long double>(h, -kRangeLimit, kRangeLimit));
}

bool ClipSegment(const QRectF& r, QPointF& a, QPointF& b) {
    // Liang-Barsky: the part of the parameter range inside all four edges.
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const QPointF a0 = a;
    if (t1 < 1) b = QPointF(a0.x() + t1 * dx, a0.y() + t1 * dy);
    if (t0 > 0) a = QPointF(a0.x() + t0 * dx, a0.y() + t0 * dy);
    return true;
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x() - (a.x() + t * dx), p.y() - (a.y() + t * dy));
}

TickPlan PlanTicks(double lo, double hi, double pixels, int spacing,
                   const std::function<double(double, const TickPlan&)>& labelWidth, double labelRoom) {
    const int wanted = std::clamp(int(pixels / spacing), 2, kMaxTicks);
    const double raw = (hi - lo) / wanted;
    if (!(raw > 0) || !std::isfinite(raw) || !(pixels > 0)) return {};
    double step = NiceStep(raw);
    for (int i = 0; i < kMaxSteps && std::isfinite(step); ++i, step = NextStep(step)) {
        const TickPlan t = Describe(lo, hi, step);
        if (!labelWidth || t.count == 0) return t;
        double widest = 0;
        const double first = t.anchor - std::floor((t.anchor - lo) / step) * step;
        for (int k = 0; k < t.count; ++k) widest = std::max(widest, labelWidth(first + k * step, t));
        // Each label gets an equal share of the axis; a label wider than its
        // share would be cut short.
        if (t.count * (widest + labelRoom) <= pixels) return t;
    }
    // Not even one label fits: a step wider than the range with no tick inside.
    TickPlan none = Describe(lo, hi, NiceStep(hi - lo) * 10);
    none.anchor = lo - none.step / 2;
    none.count = 0;
    return none;
}

QStringList BreakLines(const QStringList& lines, double room,
                       const std::function<double(const QString&)>& width) {
    QStringList out;
    for (const QString& line : lines) {
        if (width(line) <= room) {
            out << line;
            continue;
        }
        QString current;
        for (const QString& word : line.split(QLatin1Char(' '))) {
            const QString longer = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (!current.isEmpty() && width(longer) > room) {
                out << current;
                current = word;
            } else {
                current = longer;
            }
        }
        out << current;
    }
    return out;
}

QString TitleHtml(const QStringList& lines) {
    QStringList parts;
    for (const QString& line : lines)
        parts << (line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped());
    // Spaces kept as they are: the formula line has double spaces in it.
    return QStringLiteral("<p align=\"center\" style=\"white-space:pre\">") +
           parts.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

}  // namespace chart
