#include "output/chartview.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <unordered_map>

namespace {

// Design colours.
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kLime(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kMarkBack(255, 255, 128);

// Axis ranges stay well inside the double range so that spans and margins
// never overflow, and never get narrower than a few thousand units in the
// last place so the tick stepping always advances.
constexpr double kRangeLimit = DBL_MAX / 4;
constexpr double kMinRelativeSpan = 1e-12;
constexpr double kMinAbsoluteSpan = 1e-290;
constexpr double kMarginShare = 0.03;
// A press that moves further than this (Manhattan, pixels) is a drag.
constexpr int kDragThreshold = 3;
// A zoom rectangle smaller than this in either direction is dropped.
constexpr int kMinZoomPixels = 4;
// How near (pixels) a press must be to the curve to hit it.
constexpr double kLineHitDistance = 3;

SeriesLook DesignedLook(int series) {
    SeriesLook l;
    if (series == 1) {
        l.kind = SeriesLook::Kind::Points;
        l.colour = kRed;
        l.pointer = SeriesLook::Pointer::Rectangle;
        l.pointerSize = 2;
        l.pointerOutline = false;
        l.pointerFill = kRed;
        l.markStyle = SeriesLook::MarkStyle::Value;
        l.markTransparent = true;
        l.markFrame = false;
        l.arrowVisible = false;
    } else if (series == 2) {
        l.kind = SeriesLook::Kind::FastLine;
        l.colour = kGreen;
    } else {
        l.kind = SeriesLook::Kind::Points;
        l.colour = kYellow;
        l.pointer = SeriesLook::Pointer::Triangle;
        l.pointerSize = 3;
        l.pointerOutline = true;
        l.pointerFill = kLime;
        l.markStyle = SeriesLook::MarkStyle::LabelValue;
        l.markTransparent = false;
        l.markFrame = series != 12;
        l.arrowVisible = series != 12;
        l.arrowLength = 20;
        l.arrowColour = kYellow;
    }
    return l;
}

bool FiniteLess(const ChartPoint& a, const ChartPoint& b) {
    // NaN sorts last, so the comparison stays a strict weak order.
    if (std::isnan(b.x)) return !std::isnan(a.x);
    return a.x < b.x;
}

// The segment a-b clipped to r (Liang-Barsky); false when nothing is left.
bool ClipSegment(const QRectF& r, QPointF& a, QPointF& b) {
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

// Widens a range that is empty or too narrow to show, then adds the margin.
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

// Keeps a zoomed range showable: at least the smallest span, inside the limits.
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

QString TitleHtml(const QStringList& lines) {
    QStringList parts;
    for (const QString& line : lines)
        parts << (line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped());
    // Spaces kept as they are: the formula line has double spaces in it.
    return QStringLiteral("<p align=\"center\" style=\"white-space:pre\">") +
           parts.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
}

}  // namespace

// The axes' current ranges and the plot area, as one linear map.
struct TChart::Mapping {
    QRectF plot;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    double sx = 1, sy = 1;
    bool valid = false;

    QPointF Map(double x, double y) const {
        return QPointF(plot.left() + (x - x0) * sx, plot.bottom() - (y - y0) * sy);
    }
    double ValueX(double px) const { return x0 + (px - plot.left()) / sx; }
    double ValueY(double py) const { return y0 + (plot.bottom() - py) / sy; }
};

// Draws all twelve series in one item above the grid.
class TChart::Layer : public QGraphicsItem {
  public:
    Layer(TChart* owner, QGraphicsItem* parent) : QGraphicsItem(parent), m_owner(owner) {
        setAcceptedMouseButtons(Qt::NoButton);
        setAcceptHoverEvents(false);
    }
    QRectF boundingRect() const override { return m_bounds; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        m_owner->Paint(painter);
    }
    void SetBounds(const QRectF& r) {
        if (r == m_bounds) return;
        prepareGeometryChange();
        m_bounds = r;
    }

  private:
    TChart* m_owner;
    QRectF m_bounds;
};

TChart::TChart(QWidget* parent) : QChartView(new QChart(), parent) {
    for (int s = 1; s <= kSeriesCount; ++s) m_look[s - 1] = DesignedLook(s);
    m_formatter = [](double v) { return QString::number(v, 'g', 15); };
    m_titleLines = QStringList{QString()};

    setFrameShape(QFrame::NoFrame);
    // Like a panel, the chart never takes the keyboard focus from the table.
    setFocusPolicy(Qt::NoFocus);
    setRubberBand(QChartView::NoRubberBand);
    setRenderHint(QPainter::Antialiasing, false);
    setRenderHint(QPainter::TextAntialiasing, true);

    QChart* c = chart();
    c->legend()->hide();
    c->setAnimationOptions(QChart::NoAnimation);
    c->setBackgroundRoundness(0);
    c->setDropShadowEnabled(false);
    c->setBackgroundBrush(Qt::white);
    c->setBackgroundPen(Qt::NoPen);
    c->setPlotAreaBackgroundVisible(true);
    c->setPlotAreaBackgroundBrush(Qt::white);
    c->setPlotAreaBackgroundPen(QPen(Qt::black, 1));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->setMargins(QMargins(4, 4, 10, 2));
    // Axis labels in the locale's decimal separator, without digit grouping,
    // like every other number the program shows.
    c->setLocalizeNumbers(true);
    QLocale locale = c->locale();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    c->setLocale(locale);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(8);
    c->setTitleFont(titleFont);
    c->setTitleBrush(kBlue);
    c->setTitle(QString());

    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPixelSize(11);
    auto makeAxis = [&](Qt::Alignment where) {
        auto* a = new QValueAxis();
        a->setLabelsFont(labelFont);
        a->setLabelsColor(Qt::black);
        a->setLinePen(QPen(Qt::black, 1));
        a->setGridLinePen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
        a->setRange(0, 1);
        c->addAxis(a, where);
        return a;
    };
    // The bottom axis: labels only (the plot frame is its line); no grid, no ticks.
    m_axisX = makeAxis(Qt::AlignBottom);
    m_axisX->setGridLineVisible(false);
    m_axisX->setMinorGridLineVisible(false);
    m_axisX->setMinorTickCount(0);
    m_axisX->setLineVisible(false);
    // The left axis: grid at the major ticks, two minor ticks between them.
    m_axisY = makeAxis(Qt::AlignLeft);
    m_axisY->setGridLineVisible(true);
    m_axisY->setMinorGridLineVisible(false);
    m_axisY->setMinorTickCount(2);
    m_axisY->setLineVisible(true);

    m_layer = new Layer(this, c);
    m_layer->setZValue(4.5);  // above grid and axes, below the legend layer
    connect(c, &QChart::plotAreaChanged, this, [this] { m_layer->update(); });
    connect(c, &QGraphicsWidget::geometryChanged, this,
            [this] { m_layer->SetBounds(QRectF(QPointF(0, 0), chart()->size())); });
    connect(m_axisX, &QValueAxis::rangeChanged, this, [this] { m_layer->update(); });
    connect(m_axisY, &QValueAxis::rangeChanged, this, [this] { m_layer->update(); });

    m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_band->hide();

    ApplyRanges(m_homeX, m_homeY);
}

TChart::~TChart() {
    // The chart goes with the scene after this object: no more calls into it.
    chart()->disconnect(this);
    m_axisX->disconnect(this);
    m_axisY->disconnect(this);
}

// ---- series contents ----

TChart::Series* TChart::Data(int series) {
    return series >= 1 && series <= kSeriesCount ? &m_series[series - 1] : nullptr;
}

const TChart::Series* TChart::Data(int series) const {
    return series >= 1 && series <= kSeriesCount ? &m_series[series - 1] : nullptr;
}

void TChart::RecomputeExtent(Series& s) {
    s.hasExtent = false;
    for (const ChartPoint& p : s.points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (!s.hasExtent) {
            s.minX = s.maxX = p.x;
            s.minY = s.maxY = p.y;
            s.hasExtent = true;
            continue;
        }
        s.minX = std::min(s.minX, p.x);
        s.maxX = std::max(s.maxX, p.x);
        s.minY = std::min(s.minY, p.y);
        s.maxY = std::max(s.maxY, p.y);
    }
}

void TChart::Changed(Series& s, bool extentChanged) {
    s.markCache.clear();
    if (extentChanged) UpdateHome();
    m_layer->update();
}

void TChart::Clear(int series) {
    Series* s = Data(series);
    if (!s || s->points.empty()) return;
    s->points.clear();
    s->points.shrink_to_fit();
    s->unsorted = false;
    s->hasExtent = false;
    Changed(*s, true);
}

void TChart::ClearAll() {
    bool any = false;
    for (Series& s : m_series) {
        if (s.points.empty()) continue;
        s.points.clear();
        s.points.shrink_to_fit();
        s.unsorted = false;
        s.hasExtent = false;
        s.markCache.clear();
        any = true;
    }
    if (!any) return;
    UpdateHome();
    m_layer->update();
}

void TChart::AddPoint(int series, double x, double y, const QString& label, QColor colour) {
    Series* s = Data(series);
    if (!s) return;
    ChartPoint p{x, y, label, colour};
    // Sorted later (stably: after any points with the same X, as a sorted series does).
    if (!s->points.empty() && FiniteLess(p, s->points.back())) s->unsorted = true;
    s->points.push_back(std::move(p));
    bool extent = false;
    if (std::isfinite(x) && std::isfinite(y)) {
        if (!s->hasExtent) {
            s->minX = s->maxX = x;
            s->minY = s->maxY = y;
            s->hasExtent = true;
            extent = true;
        } else if (x < s->minX || x > s->maxX || y < s->minY || y > s->maxY) {
            s->minX = std::min(s->minX, x);
            s->maxX = std::max(s->maxX, x);
            s->minY = std::min(s->minY, y);
            s->maxY = std::max(s->maxY, y);
            extent = true;
        }
    }
    Changed(*s, extent);
}

void TChart::SetPoints(int series, std::vector<ChartPoint> points) {
    Series* s = Data(series);
    if (!s) return;
    if (!std::is_sorted(points.begin(), points.end(), FiniteLess))
        std::stable_sort(points.begin(), points.end(), FiniteLess);
    s->points = std::move(points);
    s->unsorted = false;
    RecomputeExtent(*s);
    Changed(*s, true);
}

void TChart::SetLine(const QList<QPointF>& points) {
    std::vector<ChartPoint> v;
    v.reserve(size_t(points.size()));
    for (const QPointF& p : points) v.push_back(ChartPoint{p.x(), p.y(), QString(), QColor()});
    SetPoints(2, std::move(v));
}

const std::vector<ChartPoint>& TChart::Sorted(const Series& s) const {
    if (s.unsorted) {
        std::stable_sort(s.points.begin(), s.points.end(), FiniteLess);
        s.unsorted = false;
        s.markCache.clear();
    }
    return s.points;
}

int TChart::Count(int series) const {
    const Series* s = Data(series);
    return s ? int(s->points.size()) : 0;
}

const std::vector<ChartPoint>& TChart::Points(int series) const {
    static const std::vector<ChartPoint> none;
    const Series* s = Data(series);
    return s ? Sorted(*s) : none;
}

std::optional<std::pair<double, double>> TChart::XExtent(int series) const {
    const Series* s = Data(series);
    if (!s || !s->hasExtent) return std::nullopt;
    return std::make_pair(s->minX, s->maxX);
}

// ---- marks ----

void TChart::SetMarksVisible(int series, bool visible) {
    Series* s = Data(series);
    if (!s || s->marksVisible == visible) return;
    s->marksVisible = visible;
    m_layer->update();
}

bool TChart::MarksVisible(int series) const {
    const Series* s = Data(series);
    return s && s->marksVisible;
}

void TChart::SetValueFormatter(std::function<QString(double)> formatter) {
    if (!formatter) return;
    m_formatter = std::move(formatter);
    for (Series& s : m_series) s.markCache.clear();
    m_layer->update();
}

QString TChart::MarkText(int series, int index) const {
    const Series* s = Data(series);
    if (!s || index < 0 || size_t(index) >= s->points.size()) return {};
    const ChartPoint& p = Sorted(*s)[size_t(index)];
    if (m_look[series - 1].markStyle == SeriesLook::MarkStyle::LabelValue)
        return p.label + QLatin1Char(' ') + m_formatter(p.y);
    return m_formatter(p.y);
}

const SeriesLook& TChart::Look(int series) const {
    return m_look[size_t(std::clamp(series, 1, kSeriesCount) - 1)];
}

// ---- axes ----

void TChart::UpdateHome() {
    bool any = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (const Series& s : m_series) {
        if (!s.hasExtent) continue;
        if (!any) {
            x0 = s.minX, x1 = s.maxX, y0 = s.minY, y1 = s.maxY;
            any = true;
            continue;
        }
        x0 = std::min(x0, s.minX);
        x1 = std::max(x1, s.maxX);
        y0 = std::min(y0, s.minY);
        y1 = std::max(y1, s.maxY);
    }
    if (any) {
        PadRange(x0, x1);
        PadRange(y0, y1);
        m_homeX = {x0, x1};
        m_homeY = {y0, y1};
    } else {
        m_homeX = {0, 1};
        m_homeY = {0, 1};
    }
    if (m_zoomed) return;
    m_rangesDirty = true;
    if (!m_flushPosted) {
        m_flushPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_flushPosted = false;
                FlushRanges();
            },
            Qt::QueuedConnection);
    }
}

void TChart::FlushRanges() const {
    if (!m_rangesDirty) return;
    m_rangesDirty = false;
    if (!m_zoomed) ApplyRanges(m_homeX, m_homeY);
}

QValueAxis* TChart::AxisX() const {
    FlushRanges();
    return m_axisX;
}

QValueAxis* TChart::AxisY() const {
    FlushRanges();
    return m_axisY;
}

void TChart::UndoZoom() {
    m_zoomed = false;
    m_rangesDirty = false;
    ApplyRanges(m_homeX, m_homeY);
}

void TChart::ApplyRanges(Range x, Range y) const {
    // Fixed ticks while the range and interval change together: Qt steps
    // dynamic ticks from the anchor, and an old fine interval over a new wide
    // range would mean billions of ticks.
    for (auto [axis, r] : {std::pair{m_axisX, x}, std::pair{m_axisY, y}}) {
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setRange(r.lo, r.hi);
    }
    UpdateAllTicks();
    m_layer->update();
}

namespace {

// A tick step of 1, 2 or 5 times a power of ten giving about `wanted` ticks,
// and the label format that tells its ticks apart.
struct TickPlan {
    double step = 0;
    char form = 'f';
    int precision = 0;
};

TickPlan PlanTicks(double lo, double hi, int wanted) {
    TickPlan t;
    const double raw = (hi - lo) / wanted;
    if (!(raw > 0) || !std::isfinite(raw)) return t;
    const double unit = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / unit;
    t.step = (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * unit;
    const double mag = std::max(std::fabs(lo), std::fabs(hi));
    const int stepExp = int(std::floor(std::log10(t.step)));
    if (mag >= 1e9 || stepExp < -6) {
        t.form = 'e';
        t.precision = std::clamp(int(std::floor(std::log10(mag))) - stepExp, 0, 15);
    } else {
        t.precision = std::max(0, -stepExp);
    }
    return t;
}

}  // namespace

void TChart::UpdateAllTicks() const {
    // The plot area as last laid out; before the first layout, a guess from the size.
    const QRectF plot = chart()->plotArea();
    UpdateTicks(m_axisX, plot.width() > 20 ? int(plot.width()) : std::max(width() - 60, 60));
    UpdateTicks(m_axisY, plot.height() > 20 ? int(plot.height()) : std::max(height() - 30, 40));
}

void TChart::UpdateTicks(QValueAxis* axis, int pixels) const {
    const double lo = axis->min(), hi = axis->max();
    const bool horizontal = axis == m_axisX;
    int wanted = std::clamp(pixels / (horizontal ? 70 : 40), 2, 10);
    TickPlan t = PlanTicks(lo, hi, wanted);
    if (t.step <= 0) {
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setTickCount(5);
        axis->setLabelFormat(QStringLiteral("%.6g"));
        return;
    }
    if (horizontal) {
        // Fewer ticks while the labels would run into one another.
        const QFontMetricsF fm(axis->labelsFont());
        const QLocale& locale = chart()->locale();
        for (; wanted > 1; t = PlanTicks(lo, hi, --wanted)) {
            const double label = std::max(fm.horizontalAdvance(locale.toString(lo, t.form, t.precision)),
                                          fm.horizontalAdvance(locale.toString(hi, t.form, t.precision)));
            if ((label + 12) * ((hi - lo) / t.step) <= pixels) break;
        }
    }
    const double anchor = std::floor(lo / t.step) * t.step;
    axis->setLabelFormat(QStringLiteral("%.%1%2").arg(t.precision).arg(QLatin1Char(t.form)));
    axis->setTickInterval(t.step);
    axis->setTickAnchor(std::isfinite(anchor) ? anchor : lo);
    axis->setTickType(QValueAxis::TicksDynamic);
}

QPointF TChart::MapToWidget(double x, double y) const {
    const Mapping m = CurrentMapping();
    return viewportTransform().map(m.Map(x, y));
}

TChart::Mapping TChart::CurrentMapping(bool flush) const {
    if (flush) FlushRanges();
    Mapping m;
    m.plot = chart()->plotArea();
    m.x0 = m_axisX->min();
    m.x1 = m_axisX->max();
    m.y0 = m_axisY->min();
    m.y1 = m_axisY->max();
    m.valid = m.plot.width() > 0 && m.plot.height() > 0 && m.x1 > m.x0 && m.y1 > m.y0;
    if (m.valid) {
        m.sx = m.plot.width() / (m.x1 - m.x0);
        m.sy = m.plot.height() / (m.y1 - m.y0);
        m.valid = std::isfinite(m.sx) && std::isfinite(m.sy) && m.sx > 0 && m.sy > 0;
    }
    return m;
}

// ---- title ----

void TChart::SetTitleLines(const QStringList& lines) {
    m_titleLines = lines;
    ApplyTitle();
}

void TChart::SetTitleVisible(bool visible) {
    m_titleVisible = visible;
    ApplyTitle();
}

void TChart::ApplyTitle() {
    const bool blank =
        std::all_of(m_titleLines.begin(), m_titleLines.end(), [](const QString& l) { return l.isEmpty(); });
    if (!m_titleVisible || blank) {
        chart()->setTitle(QString());
        return;
    }
    // Qt cuts a title that is too wide with "..."; a formula must not lose its
    // end, so long lines are broken at spaces to the width there is.
    const QFontMetricsF fm(chart()->titleFont());
    const QMargins margins = chart()->margins();
    const double room = std::max(40.0, double(width() - margins.left() - margins.right()) - 8);
    QStringList lines;
    for (const QString& line : m_titleLines) {
        if (fm.horizontalAdvance(line) <= room) {
            lines << line;
            continue;
        }
        QString current;
        for (const QString& word : line.split(QLatin1Char(' '))) {
            const QString longer = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (!current.isEmpty() && fm.horizontalAdvance(longer) > room) {
                lines << current;
                current = word;
            } else {
                current = longer;
            }
        }
        lines << current;
    }
    chart()->setTitle(TitleHtml(lines));
}

// ---- painting ----

void TChart::Paint(QPainter* p) const {
    // No axis changes from inside a paint: RenderTo and the queued call settle them before.
    const Mapping m = CurrentMapping(false);
    if (!m.valid) return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setClipRect(m.plot);
    // Inner ticks of the left axis (Qt draws only the outer ones), at the major ticks.
    if (m_axisY->tickType() == QValueAxis::TicksDynamic && m_axisY->tickInterval() > 0) {
        const double step = m_axisY->tickInterval(), anchor = m_axisY->tickAnchor();
        double v = anchor - std::floor((anchor - m.y0) / step) * step;
        p->setPen(QPen(Qt::black, 1));
        for (int i = 0; i < 100 && v <= m.y1; ++i, v += step) {
            const double y = std::round(m.Map(m.x0, v).y());
            p->drawLine(QPointF(m.plot.left(), y), QPointF(m.plot.left() + 4, y));
        }
    }
    for (int index = 1; index <= kSeriesCount; ++index) {
        const Series& s = m_series[size_t(index - 1)];
        const SeriesLook& look = m_look[size_t(index - 1)];
        if (s.points.empty()) continue;
        Sorted(s);
        if (look.kind == SeriesLook::Kind::FastLine) {
            // One polyline per stretch inside the plot, segments clipped here in
            // double precision: far zoomed in, the raw positions run to 1e15 pixels.
            const QRectF area = m.plot.adjusted(-2, -2, 2, 2);
            p->setPen(QPen(look.colour, 1));
            p->setBrush(Qt::NoBrush);
            QPolygonF run;
            auto flush = [&] {
                if (run.size() >= 2) p->drawPolyline(run);
                run.clear();
            };
            bool havePrev = false;
            QPointF prev;
            for (const ChartPoint& pt : s.points) {
                QPointF q = m.Map(pt.x, pt.y);
                if (!std::isfinite(q.x()) || !std::isfinite(q.y())) {
                    flush();
                    havePrev = false;
                    continue;
                }
                if (havePrev) {
                    QPointF a = prev, b = q;
                    if (!ClipSegment(area, a, b)) {
                        flush();
                    } else {
                        if (run.isEmpty() || run.last() != a) {
                            flush();
                            run << a;
                        }
                        // Dense curves: skip vertices that add nothing at pixel scale.
                        if (run.size() >= 2 && std::fabs(b.x() - run.last().x()) < 0.25 &&
                            std::fabs(b.y() - run.last().y()) < 0.25)
                            run.last() = b;
                        else
                            run << b;
                    }
                }
                prev = q;
                havePrev = true;
            }
            flush();
        } else if (look.pointer == SeriesLook::Pointer::Rectangle) {
            // One fill per colour over all points; points that land on the same
            // pixel in the same colour are drawn once.
            const int h = look.pointerSize;
            const QRect area = m.plot.toAlignedRect().adjusted(-h, -h, h, h);
            const int gw = area.width() + 1, gh = area.height() + 1;
            std::vector<uint8_t> seen(size_t(gw) * size_t(gh), 0);
            struct Bucket {
                QRgb rgb;
                std::vector<QRect> rects;
            };
            std::vector<Bucket> buckets;
            std::unordered_map<QRgb, size_t> bucketOf;
            QRgb lastRgb = 0;
            size_t last = SIZE_MAX;
            const QRgb own = (look.pointerFill.isValid() ? look.pointerFill : look.colour).rgba();
            for (const ChartPoint& pt : s.points) {
                const QPointF q = m.Map(pt.x, pt.y);
                if (!(q.x() >= area.left() && q.x() <= area.right() + 1 && q.y() >= area.top() &&
                      q.y() <= area.bottom() + 1))
                    continue;  // also drops NaN
                const int ix = int(std::lround(q.x())), iy = int(std::lround(q.y()));
                const QRgb rgb = pt.colour.isValid() ? pt.colour.rgba() : own;
                if (last == SIZE_MAX || rgb != lastRgb) {
                    auto [it, fresh] = bucketOf.try_emplace(rgb, buckets.size());
                    if (fresh) buckets.push_back(Bucket{rgb, {}});
                    last = it->second;
                    lastRgb = rgb;
                }
                if (last < 8) {
                    const int cx = std::clamp(ix - area.left(), 0, gw - 1);
                    const int cy = std::clamp(iy - area.top(), 0, gh - 1);
                    uint8_t& cell = seen[size_t(cy) * size_t(gw) + size_t(cx)];
                    if (cell & (1u << last)) continue;
                    cell = uint8_t(cell | (1u << last));
                }
                buckets[last].rects.emplace_back(ix - h, iy - h, 2 * h, 2 * h);
            }
            p->setPen(look.pointerOutline ? QPen(look.colour, 1) : QPen(Qt::NoPen));
            for (const Bucket& b : buckets) {
                p->setBrush(QColor::fromRgba(b.rgb));
                p->drawRects(b.rects.data(), int(b.rects.size()));
            }
        } else {
            const double h = look.pointerSize;
            const QRectF area = m.plot.adjusted(-h, -h, h, h);
            p->setPen(look.pointerOutline ? QPen(look.colour, 1) : QPen(Qt::NoPen));
            for (const ChartPoint& pt : s.points) {
                const QPointF q = m.Map(pt.x, pt.y);
                if (!area.contains(q)) continue;
                const QPointF c(std::round(q.x()), std::round(q.y()));
                const QPointF tri[3] = {c + QPointF(0, -h), c + QPointF(-h, h), c + QPointF(h, h)};
                p->setBrush(pt.colour.isValid() ? pt.colour : look.pointerFill);
                p->drawPolygon(tri, 3);
            }
        }
    }
    p->restore();
    PaintMarks(p, m);
}

void TChart::PaintMarks(QPainter* p, const Mapping& m) const {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    const QFontMetricsF fm(font);
    p->save();
    p->setFont(font);
    for (int index = 1; index <= kSeriesCount; ++index) {
        const Series& s = m_series[size_t(index - 1)];
        const SeriesLook& look = m_look[size_t(index - 1)];
        if (!s.marksVisible || s.points.empty() || look.kind != SeriesLook::Kind::Points) continue;
        Sorted(s);
        if (s.markCache.size() != s.points.size()) {
            s.markCache.clear();
            s.markCache.reserve(s.points.size());
            for (size_t i = 0; i < s.points.size(); ++i) s.markCache.push_back(MarkText(index, int(i)));
        }
        // Marks of points that share a pixel sit on one another: draw the first.
        QPoint lastAt(INT_MIN, INT_MIN);
        for (size_t i = 0; i < s.points.size(); ++i) {
            const QPointF q = m.Map(s.points[i].x, s.points[i].y);
            if (!m.plot.contains(q)) continue;
            const QPoint at(int(std::lround(q.x())), int(std::lround(q.y())));
            if (at == lastAt) continue;
            lastAt = at;
            const QString& text = s.markCache[i];
            const double gap = look.arrowLength > 0 ? look.arrowLength : look.pointerSize + 2;
            if (look.arrowVisible) {
                p->setPen(QPen(look.arrowColour, 1));
                p->drawLine(QPointF(at.x(), at.y() - look.pointerSize), QPointF(at.x(), at.y() - gap));
            }
            const double w = fm.horizontalAdvance(text) + 4, ht = fm.height() + 2;
            const QRectF box(at.x() - w / 2, at.y() - gap - ht, w, ht);
            p->setPen(look.markFrame ? QPen(Qt::black, 1) : QPen(Qt::NoPen));
            p->setBrush(look.markTransparent ? QBrush(Qt::NoBrush) : QBrush(kMarkBack));
            if (look.markFrame || !look.markTransparent) p->drawRect(box);
            p->setPen(Qt::black);
            p->drawText(box, Qt::AlignCenter, text);
        }
    }
    p->restore();
}

void TChart::SyncGeometry() {
    FlushRanges();
    // A widget that has never been shown has not had its resize event yet.
    const QSizeF want(size());
    if (chart()->size() != want) {
        chart()->resize(want);
        setSceneRect(QRectF(QPointF(0, 0), want));
    }
    if (QGraphicsLayout* l = chart()->layout()) l->activate();
}

void TChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    if (m_titleVisible) ApplyTitle();
    UpdateAllTicks();  // tick density follows the size
}

void TChart::RenderTo(QPainter* painter, const QRectF& target) {
    SyncGeometry();
    const QRectF source(QPointF(0, 0), QSizeF(size()));
    if (source.isEmpty() || target.isEmpty()) return;
    QSizeF fitted = source.size().scaled(target.size(), Qt::KeepAspectRatio);
    QRectF to(QPointF(0, 0), fitted);
    to.moveCenter(target.center());
    scene()->render(painter, to, source, Qt::IgnoreAspectRatio);
}

QByteArray TChart::ToSvg() {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator gen;
    gen.setOutputDevice(&buffer);
    gen.setSize(size());
    gen.setViewBox(QRect(QPoint(0, 0), size()));
    gen.setResolution(logicalDpiX());
    {
        QPainter p(&gen);
        RenderTo(&p, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    return buffer.data();
}

QImage TChart::ToImage() {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    RenderTo(&p, QRectF(image.rect()));
    return image;
}

// ---- mouse ----

std::optional<TChart::Hit> TChart::HitTest(QPointF pos) const {
    const Mapping m = CurrentMapping();
    if (!m.valid || !m.plot.contains(pos)) return std::nullopt;
    // The topmost series first: the later ones are drawn over the earlier.
    for (int index = kSeriesCount; index >= 1; --index) {
        const Series& s = m_series[size_t(index - 1)];
        const SeriesLook& look = m_look[size_t(index - 1)];
        if (s.points.empty()) continue;
        Sorted(s);
        int best = -1;
        double bestD = INFINITY;
        if (look.kind == SeriesLook::Kind::FastLine) {
            QPointF prev;
            bool havePrev = false;
            for (size_t i = 0; i < s.points.size(); ++i) {
                const QPointF q = m.Map(s.points[i].x, s.points[i].y);
                if (!std::isfinite(q.x()) || !std::isfinite(q.y())) {
                    havePrev = false;
                    continue;
                }
                if (havePrev) {
                    QPointF a = prev, b = q;
                    if (ClipSegment(m.plot.adjusted(-2, -2, 2, 2), a, b)) {
                        const double d = DistanceToSegment(pos, a, b);
                        if (d <= kLineHitDistance && d < bestD) {
                            bestD = d;
                            // The nearer end of the segment.
                            const bool nearEnd = QLineF(pos, q).length() < QLineF(pos, prev).length();
                            best = int(nearEnd ? i : i - 1);
                        }
                    }
                }
                prev = q;
                havePrev = true;
            }
        } else {
            const double tol = look.pointerSize + 1;
            for (size_t i = 0; i < s.points.size(); ++i) {
                const QPointF q = m.Map(s.points[i].x, s.points[i].y);
                const double dx = std::fabs(q.x() - pos.x()), dy = std::fabs(q.y() - pos.y());
                if (!(dx <= tol && dy <= tol)) continue;
                const double d = dx * dx + dy * dy;
                if (d < bestD) {
                    bestD = d;
                    best = int(i);
                }
            }
        }
        if (best >= 0) return Hit{index, best};
    }
    return std::nullopt;
}

void TChart::ZoomToRect(QRectF r) {
    const Mapping m = CurrentMapping();
    if (!m.valid) return;
    r = r.normalized() & m.plot;
    if (r.width() < kMinZoomPixels || r.height() < kMinZoomPixels) return;
    double x0 = m.ValueX(r.left()), x1 = m.ValueX(r.right());
    double y0 = m.ValueY(r.bottom()), y1 = m.ValueY(r.top());
    if (!(x1 > x0) || !(y1 > y0)) return;
    LimitRange(x0, x1);
    LimitRange(y0, y1);
    m_zoomed = true;
    ApplyRanges({x0, x1}, {y0, y1});
}

void TChart::PanBy(QPointF d) {
    const Mapping m = CurrentMapping();
    if (!m.valid || d.isNull()) return;
    const double dx = -d.x() / m.sx, dy = d.y() / m.sy;
    Range x{m.x0 + dx, m.x1 + dx}, y{m.y0 + dy, m.y1 + dy};
    // Stop at the edge of the showable range instead of running off it.
    if (!(x.lo >= -kRangeLimit && x.hi <= kRangeLimit && x.hi > x.lo)) x = {m.x0, m.x1};
    if (!(y.lo >= -kRangeLimit && y.hi <= kRangeLimit && y.hi > y.lo)) y = {m.y0, m.y1};
    m_zoomed = true;
    ApplyRanges(x, y);
}

void TChart::Press(QMouseEvent* event) {
    event->accept();
    if (m_drag != Drag::None) return;  // a second button during a drag
    m_dragButton = event->button();
    m_pressPos = event->position().toPoint();
    m_lastPos = event->position();
    m_moved = false;
    const QPointF scenePos = mapToScene(m_pressPos);
    if (auto hit = HitTest(scenePos)) {
        m_drag = Drag::SeriesPress;
        emit seriesClicked(hit->series, hit->index, event->button(), event->modifiers(), m_pressPos);
        return;
    }
    if (event->button() == Qt::LeftButton)
        m_drag = Drag::Zoom;
    else if (event->button() == Qt::RightButton)
        m_drag = Drag::Pan;
    else
        m_drag = Drag::Other;
}

void TChart::mousePressEvent(QMouseEvent* event) {
    Press(event);
}

void TChart::mouseDoubleClickEvent(QMouseEvent* event) {
    Press(event);
}

void TChart::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (m_drag == Drag::None) return;
    const QPoint pos = event->position().toPoint();
    if (!m_moved && (pos - m_pressPos).manhattanLength() > kDragThreshold) m_moved = true;
    if (!m_moved) return;
    if (m_drag == Drag::Zoom) {
        m_band->setGeometry(QRect(m_pressPos, pos).normalized());
        m_band->show();
    } else if (m_drag == Drag::Pan) {
        PanBy(event->position() - m_lastPos);
        m_lastPos = event->position();
    }
}

void TChart::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (m_drag == Drag::None || event->button() != m_dragButton) return;
    const Drag drag = m_drag;
    m_drag = Drag::None;
    m_band->hide();
    const QPoint pos = event->position().toPoint();
    if (!m_moved && (pos - m_pressPos).manhattanLength() > kDragThreshold) m_moved = true;
    if (drag == Drag::Zoom && m_moved) {
        ZoomToRect(QRectF(mapToScene(m_pressPos), mapToScene(pos)));
        return;
    }
    if (drag == Drag::Pan && m_moved) {
        PanBy(event->position() - m_lastPos);
        return;
    }
    if (drag != Drag::SeriesPress && m_moved) return;
    const Qt::MouseButton button = m_dragButton;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const QPoint global = event->globalPosition().toPoint();
    emit clicked(button, modifiers, pos);
    if (button == Qt::RightButton && !m_moved) OpenContextMenu(pos, global, modifiers);
}

void TChart::SetPopupMenu(QMenu* menu) {
    m_popup = menu;
}

void TChart::OpenContextMenu(QPoint viewportPos, QPoint globalPos, Qt::KeyboardModifiers modifiers) {
    // Through the event, so the context-menu policy applies as usual.
    QContextMenuEvent e(QContextMenuEvent::Mouse, viewportPos, globalPos, modifiers);
    m_ownMenuEvent = true;
    QCoreApplication::sendEvent(viewport(), &e);
    m_ownMenuEvent = false;
}

bool TChart::viewportEvent(QEvent* event) {
    // The platform asks for the menu on the right press (X11) or release: the
    // press may start a scroll, so the menu opens from our own release instead.
    if (event->type() == QEvent::ContextMenu && !m_ownMenuEvent &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return true;
    }
    return QChartView::viewportEvent(event);
}

void TChart::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_popup) {
        event->ignore();
        return;
    }
    const QPoint global = event->reason() == QContextMenuEvent::Mouse
                              ? event->globalPos()
                              : viewport()->mapToGlobal(viewport()->rect().center());
    m_popup->popup(global);
    event->accept();
}
