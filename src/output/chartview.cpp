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
const QColor kBandEdge(110, 170, 110);

// Pixels per tick wanted along each axis.
constexpr int kSpacingX = 70;
constexpr int kSpacingY = 40;
// Beside each X label's text: room enough that Qt neither cuts a label short
// nor sets two labels against each other.
constexpr double kLabelRoomX = 16;
constexpr int kMaxTickReplans = 8;

SeriesLook DesignedLook(int series) {
    SeriesLook l;
    if (series == TChart::kMeasured) {
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
    } else if (series == TChart::kCurve) {
        l.kind = SeriesLook::Kind::FastLine;
        l.colour = kGreen;
    } else if (series == TChart::kBandUpper || series == TChart::kBandLower) {
        l.kind = SeriesLook::Kind::BandEdge;
        l.colour = kBandEdge;
    } else {
        l.kind = SeriesLook::Kind::Points;
        l.colour = kYellow;
        l.pointer = SeriesLook::Pointer::Triangle;
        l.pointerSize = 3;
        l.pointerOutline = true;
        l.pointerFill = kLime;
        l.markStyle = SeriesLook::MarkStyle::LabelValue;
        l.markTransparent = false;
        // The last evaluation point's mark has neither frame nor arrow.
        l.markFrame = series != TChart::EvaluationPoint(10);
        l.arrowVisible = series != TChart::EvaluationPoint(10);
        l.arrowLength = 20;
        l.arrowColour = kYellow;
    }
    return l;
}

}  // namespace

TChart::TChart(QWidget* parent) : QChartView(new QChart(), parent) {
    for (int s = 1; s <= kSeriesCount; ++s) look_[s - 1] = DesignedLook(s);
    formatter_ = [](double v) { return QString::number(v, 'g', 15); };
    titleLines_ = QStringList{QString()};

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
    axisX_ = makeAxis(Qt::AlignBottom);
    axisX_->setGridLineVisible(false);
    axisX_->setMinorGridLineVisible(false);
    axisX_->setMinorTickCount(0);
    axisX_->setLineVisible(false);
    // The left axis: grid at the major ticks, two minor ticks between them.
    axisY_ = makeAxis(Qt::AlignLeft);
    axisY_->setGridLineVisible(true);
    axisY_->setMinorGridLineVisible(false);
    axisY_->setMinorTickCount(2);
    axisY_->setLineVisible(true);

    layer_ = new Layer(this, c);
    layer_->setZValue(4.5);  // above grid and axes, below the legend layer
    // The ticks' labels need the new plot area's room: planned against the
    // old one, Qt would cut them short.
    connect(c, &QChart::plotAreaChanged, this, [this] {
        if (++tickReplans_ <= kMaxTickReplans) UpdateAllTicks();
        layer_->update();
    });
    connect(c, &QGraphicsWidget::geometryChanged, this,
            [this] { layer_->SetBounds(QRectF(QPointF(0, 0), chart()->size())); });
    connect(axisX_, &QValueAxis::rangeChanged, this, [this] { layer_->update(); });
    connect(axisY_, &QValueAxis::rangeChanged, this, [this] { layer_->update(); });

    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    band_->hide();

    ApplyRanges(homeX_, homeY_);
}

TChart::~TChart() {
    // The chart goes with the scene after this object: no more calls into it.
    chart()->disconnect(this);
    axisX_->disconnect(this);
    axisY_->disconnect(this);
}

// ---- series contents ----

TChart::Series* TChart::Data(int series) {
    return series >= 1 && series <= kSeriesCount ? &series_[size_t(series - 1)] : nullptr;
}

const TChart::Series* TChart::Data(int series) const {
    return series >= 1 && series <= kSeriesCount ? &series_[size_t(series - 1)] : nullptr;
}

void TChart::Changed(Series& s, bool extentChanged) {
    s.markCache.clear();
    if (extentChanged) UpdateHome();
    layer_->update();
}

void TChart::Clear(int series) {
    Series* s = Data(series);
    if (!s || s->data.Empty()) return;
    s->data.Clear();
    Changed(*s, true);
}

void TChart::ClearAll() {
    bool any = false;
    for (Series& s : series_) {
        if (s.data.Empty()) continue;
        s.data.Clear();
        s.markCache.clear();
        any = true;
    }
    if (!any) return;
    UpdateHome();
    layer_->update();
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
    Fill fill = Refill(kCurve, {QColor()}, size_t(points.size()));
    for (const QPointF& p : points) fill.Add(p.x(), p.y());
}

TChart::Fill TChart::Refill(int series, std::vector<QColor> palette, std::size_t expected) {
    Series* s = Data(series);
    ChartSeries& data = s ? s->data : scratch_.data;
    data.Start(std::move(palette), expected);
    return Fill(*this, series, data);
}

TChart::Fill::~Fill() {
    if (Series* s = chart_.Data(series_))
        chart_.Changed(*s, true);
    else
        data_.Clear();
}

int TChart::Count(int series) const {
    const Series* s = Data(series);
    return s ? int(s->data.Size()) : 0;
}

QString TChart::LabelOf(const ChartSeries& s, std::size_t k) const {
    // Most points have no label of their own: theirs is made only when asked for.
    QString own = s.Label(k);
    return own.isEmpty() ? formatter_(s.X(k)) : own;
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
    layer_->update();
}

bool TChart::MarksVisible(int series) const {
    const Series* s = Data(series);
    return s && s->marksVisible;
}

void TChart::SetValueFormatter(std::function<QString(double)> formatter) {
    if (!formatter) return;
    formatter_ = std::move(formatter);
    for (Series& s : series_) s.markCache.clear();
    layer_->update();
}

QString TChart::MarkText(int series, int index) const {
    const Series* s = Data(series);
    if (!s || index < 0 || size_t(index) >= s->data.Size()) return {};
    const size_t k = s->data.Sorted(size_t(index));
    if (look_[size_t(series - 1)].markStyle == SeriesLook::MarkStyle::LabelValue)
        return LabelOf(s->data, k) + QLatin1Char(' ') + formatter_(s->data.Y(k));
    return formatter_(s->data.Y(k));
}

const SeriesLook& TChart::Look(int series) const {
    return look_[size_t(std::clamp(series, 1, kSeriesCount) - 1)];
}

// ---- axes ----

void TChart::UpdateHome() {
    bool any = false;
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (const Series& s : series_) {
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
        homeX_ = {x0, x1};
        homeY_ = {y0, y1};
    } else {
        homeX_ = {0, 1};
        homeY_ = {0, 1};
    }
    if (zoomed_) return;
    rangesDirty_ = true;
    if (!flushPosted_) {
        flushPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                flushPosted_ = false;
                FlushRanges();
            },
            Qt::QueuedConnection);
    }
}

void TChart::FlushRanges() const {
    if (!rangesDirty_) return;
    rangesDirty_ = false;
    if (!zoomed_) ApplyRanges(homeX_, homeY_);
}

QValueAxis* TChart::AxisX() const {
    FlushRanges();
    return axisX_;
}

QValueAxis* TChart::AxisY() const {
    FlushRanges();
    return axisY_;
}

void TChart::UndoZoom() {
    zoomed_ = false;
    rangesDirty_ = false;
    ApplyRanges(homeX_, homeY_);
}

void TChart::ApplyRanges(Range x, Range y) const {
    // Fixed ticks while the range and interval change together: Qt steps
    // dynamic ticks from the anchor, and an old fine interval over a new wide
    // range would mean billions of ticks.
    for (auto [axis, r] : {std::pair{axisX_, x}, std::pair{axisY_, y}}) {
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setRange(r.lo, r.hi);
    }
    tickReplans_ = 0;
    UpdateAllTicks();
    layer_->update();
}

void TChart::UpdateAllTicks() const {
    // The plot area as last laid out; before the first layout, a guess from the size.
    const QRectF plot = chart()->plotArea();
    UpdateTicks(axisX_, plot.width() > 20 ? plot.width() : std::max(width() - 60, 60));
    UpdateTicks(axisY_, plot.height() > 20 ? plot.height() : std::max(height() - 30, 40));
}

void TChart::UpdateTicks(QValueAxis* axis, double pixels) const {
    const double lo = axis->min(), hi = axis->max();
    const bool horizontal = axis == axisX_;
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
    return Mapping::Of(chart()->plotArea(), axisX_->min(), axisX_->max(), axisY_->min(), axisY_->max());
}

// ---- title ----

void TChart::SetTitleLines(const QStringList& lines) {
    titleLines_ = lines;
    ApplyTitle();
}

void TChart::SetTitleVisible(bool visible) {
    titleVisible_ = visible;
    ApplyTitle();
}

void TChart::ApplyTitle() {
    tickReplans_ = 0;
    const bool blank =
        std::all_of(titleLines_.begin(), titleLines_.end(), [](const QString& l) { return l.isEmpty(); });
    if (!titleVisible_ || blank) {
        chart()->setTitle(QString());
        return;
    }
    // Qt cuts a title that is too wide with "..."; a formula must not lose its
    // end, so long lines are broken at spaces to the width there is.
    const QFontMetricsF fm(chart()->titleFont());
    const QMargins margins = chart()->margins();
    const double room = std::max(40.0, double(width() - margins.left() - margins.right()) - 8);
    chart()->setTitle(chart::TitleHtml(
        chart::BreakLines(titleLines_, room, [&](const QString& s) { return fm.horizontalAdvance(s); })));
}

void TChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    tickReplans_ = 0;
    if (titleVisible_) ApplyTitle();
    UpdateAllTicks();  // tick density follows the size
}
