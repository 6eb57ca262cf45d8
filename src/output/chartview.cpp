#include "output/chartview.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLocale>
#include <QRubberBand>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "output/chartlayer.h"

namespace {

// Design colours.
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kYellow(255, 255, 0);
const QColor kLime(0, 255, 0);
const QColor kBlue(0, 0, 255);

// Pixels per tick wanted along each axis.
constexpr int kSpacingX = 70;
constexpr int kSpacingY = 40;
// Beside each X label's text: room enough that Qt neither cuts a label short
// nor sets two labels against each other.
constexpr double kLabelRoomX = 16;
constexpr int kMaxTickReplans = 8;

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

}  // namespace

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
    // The ticks' labels need the new plot area's room: planned against the
    // old one, Qt would cut them short.
    connect(c, &QChart::plotAreaChanged, this, [this] {
        if (++m_tickReplans <= kMaxTickReplans) UpdateAllTicks();
        m_layer->update();
    });
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
    return series >= 1 && series <= kSeriesCount ? &m_series[size_t(series - 1)] : nullptr;
}

const TChart::Series* TChart::Data(int series) const {
    return series >= 1 && series <= kSeriesCount ? &m_series[size_t(series - 1)] : nullptr;
}

void TChart::Changed(Series& s, bool extentChanged) {
    s.markCache.clear();
    if (extentChanged) UpdateHome();
    m_layer->update();
}

void TChart::Clear(int series) {
    Series* s = Data(series);
    if (!s || s->data.Empty()) return;
    s->data.Clear();
    Changed(*s, true);
}

void TChart::ClearAll() {
    bool any = false;
    for (Series& s : m_series) {
        if (s.data.Empty()) continue;
        s.data.Clear();
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
    s->data.Add(x, y, label, colour);
    Changed(*s, s->data.ExtentGrew());
}

void TChart::SetPoints(int series, const std::vector<ChartPoint>& points) {
    Series* s = Data(series);
    if (!s) return;
    s->data.Start({QColor()}, points.size());
    for (const ChartPoint& p : points) s->data.Add(p.x, p.y, p.label, p.colour);
    Changed(*s, true);
}

void TChart::SetLine(const QList<QPointF>& points) {
    Fill fill = Refill(2, {QColor()}, size_t(points.size()));
    for (const QPointF& p : points) fill.Add(p.x(), p.y());
}

TChart::Fill TChart::Refill(int series, std::vector<QColor> palette, std::size_t expected) {
    Series* s = Data(series);
    ChartSeries& data = s ? s->data : m_scratch.data;
    data.Start(std::move(palette), expected);
    return Fill(*this, series, data);
}

TChart::Fill::~Fill() {
    if (Series* s = m_chart.Data(m_series))
        m_chart.Changed(*s, true);
    else
        m_data.Clear();
}

int TChart::Count(int series) const {
    const Series* s = Data(series);
    return s ? int(s->data.Size()) : 0;
}

QString TChart::LabelOf(const ChartSeries& s, std::size_t k) const {
    // Most points have no label of their own: theirs is made only when asked for.
    QString own = s.Label(k);
    return own.isEmpty() ? m_formatter(s.X(k)) : own;
}

std::vector<ChartPoint> TChart::Points(int series) const {
    std::vector<ChartPoint> out;
    const Series* s = Data(series);
    if (!s) return out;
    out.reserve(s->data.Size());
    for (size_t i = 0; i < s->data.Size(); ++i) {
        const size_t k = s->data.Sorted(i);
        out.push_back({s->data.X(k), s->data.Y(k), LabelOf(s->data, k), s->data.Colour(k)});
    }
    return out;
}

std::optional<std::pair<double, double>> TChart::XExtent(int series) const {
    const Series* s = Data(series);
    if (!s || !s->data.HasExtent()) return std::nullopt;
    return std::make_pair(s->data.MinX(), s->data.MaxX());
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
    if (!s || index < 0 || size_t(index) >= s->data.Size()) return {};
    const size_t k = s->data.Sorted(size_t(index));
    if (m_look[size_t(series - 1)].markStyle == SeriesLook::MarkStyle::LabelValue)
        return LabelOf(s->data, k) + QLatin1Char(' ') + m_formatter(s->data.Y(k));
    return m_formatter(s->data.Y(k));
}

const SeriesLook& TChart::Look(int series) const {
    return m_look[size_t(std::clamp(series, 1, kSeriesCount) - 1)];
}

// ---- axes ----

void TChart::UpdateHome() {
    bool any = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (const Series& s : m_series) {
        const ChartSeries& d = s.data;
        if (!d.HasExtent()) continue;
        if (!any) {
            x0 = d.MinX(), x1 = d.MaxX(), y0 = d.MinY(), y1 = d.MaxY();
            any = true;
            continue;
        }
        x0 = std::min(x0, d.MinX());
        x1 = std::max(x1, d.MaxX());
        y0 = std::min(y0, d.MinY());
        y1 = std::max(y1, d.MaxY());
    }
    if (any) {
        chart::PadRange(x0, x1);
        chart::PadRange(y0, y1);
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
    m_tickReplans = 0;
    UpdateAllTicks();
    m_layer->update();
}

void TChart::UpdateAllTicks() const {
    // The plot area as last laid out; before the first layout, a guess from the size.
    const QRectF plot = chart()->plotArea();
    UpdateTicks(m_axisX, plot.width() > 20 ? plot.width() : std::max(width() - 60, 60));
    UpdateTicks(m_axisY, plot.height() > 20 ? plot.height() : std::max(height() - 30, 40));
}

void TChart::UpdateTicks(QValueAxis* axis, double pixels) const {
    const double lo = axis->min(), hi = axis->max();
    const bool horizontal = axis == m_axisX;
    chart::TickPlan t;
    if (horizontal) {
        // Labels side by side: fewer ticks rather than labels cut short.
        const QFontMetricsF fm(axis->labelsFont());
        const QLocale& locale = chart()->locale();
        t = chart::PlanTicks(
            lo, hi, pixels, kSpacingX,
            [&](double v, const chart::TickPlan& p) {
                return fm.horizontalAdvance(locale.toString(v, p.form, p.precision));
            },
            kLabelRoomX);
    } else {
        t = chart::PlanTicks(lo, hi, pixels, kSpacingY);
    }
    if (t.step <= 0) {
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setTickCount(5);
        axis->setLabelFormat(QStringLiteral("%.6g"));
        return;
    }
    const QString format = QStringLiteral("%.%1%2").arg(t.precision).arg(QLatin1Char(t.form));
    // Setting what is already set would lay the chart out again for nothing.
    if (axis->tickType() == QValueAxis::TicksDynamic && axis->tickInterval() == t.step &&
        axis->tickAnchor() == t.anchor && axis->labelFormat() == format)
        return;
    axis->setLabelFormat(format);
    axis->setTickInterval(t.step);
    axis->setTickAnchor(t.anchor);
    axis->setTickType(QValueAxis::TicksDynamic);
}

QPointF TChart::MapToWidget(double x, double y) const {
    const Mapping m = CurrentMapping();
    return viewportTransform().map(m.Map(x, y));
}

TChart::Mapping TChart::CurrentMapping(bool flush) const {
    if (flush) FlushRanges();
    return Mapping::Of(chart()->plotArea(), m_axisX->min(), m_axisX->max(), m_axisY->min(), m_axisY->max());
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
    m_tickReplans = 0;
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
    chart()->setTitle(chart::TitleHtml(
        chart::BreakLines(m_titleLines, room, [&](const QString& s) { return fm.horizontalAdvance(s); })));
}

void TChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    m_tickReplans = 0;
    if (m_titleVisible) ApplyTitle();
    UpdateAllTicks();  // tick density follows the size
}
