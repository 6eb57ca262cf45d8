// Painting the series and their value marks, and the chart as a picture.
#include <QBuffer>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "output/chartlayer.h"
#include "output/chartview.h"

namespace {

const QColor kMarkBack(255, 255, 128);
// The fitted curve: wide enough to stay visible over dense points, smooth at
// any slope; pictures and print scale it with the rest.
constexpr double kCurveWidth = 1.6;
// The band: a light fill between its edges, which are drawn thin and dashed.
const QColor kBandFill(150, 210, 150, 70);
// Mapped edges are kept this far around the plot: far enough that their
// clipped slopes stay as drawn, near enough for the painter's coordinates.
constexpr double kBandReach = 1e5;

// std::lround for the pixel range, inline (the library call cost more than
// the rest of a point's work at a million points): halves away from zero.
int RoundHalfAway(double v) {
    const int whole = static_cast<int>(v);                // towards zero, exactly
    const double rest = v - whole;                        // exact for |v| far below 2^52
    return whole + int(rest >= 0.5) - int(rest <= -0.5);  // no branch: the points come in any order
}

}  // namespace

void TChart::Paint(QPainter* p) const {
    // No axis changes from inside a paint: RenderTo and the queued call settle them before.
    const Mapping m = CurrentMapping(false);
    if (!m.valid) return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    // The series are also cut at the plot by geometry, since Qt's SVG writer
    // drops a clip: the clip here only trims the pens' width at the frame.
    p->setClipRect(m.plot);
    // Inner ticks of the left axis (Qt draws only the outer ones), at the major ticks.
    if (axisY_->tickType() == QValueAxis::TicksDynamic && axisY_->tickInterval() > 0) {
        const double step = axisY_->tickInterval(), anchor = axisY_->tickAnchor();
        double v = anchor - std::floor((anchor - m.y0) / step) * step;
        p->setPen(QPen(Qt::black, 1));
        for (int i = 0; i < 100 && v <= m.y1; ++i, v += step) {
            const double y = std::round(m.Map(m.x0, v).y());
            p->drawLine(QPointF(m.plot.left(), y), QPointF(m.plot.left() + 4, y));
        }
    }
    PaintBand(p, m);  // under everything else
    for (int index = 1; index <= kSeriesCount; ++index) {
        const ChartSeries& s = series_[size_t(index - 1)].data;
        const SeriesLook& look = look_[size_t(index - 1)];
        if (s.Empty() || look.kind == SeriesLook::Kind::BandEdge) continue;
        if (look.kind == SeriesLook::Kind::FastLine) {
            PaintCurve(p, m, s, look);
        } else if (look.pointer == SeriesLook::Pointer::Rectangle) {
            PaintRectangles(p, m, series_[size_t(index - 1)], look);
        } else {
            const double h = look.pointerSize;
            const QRectF area = m.plot.adjusted(-h, -h, h, h);
            const QPolygonF frame(m.plot);
            p->setPen(look.pointerOutline ? QPen(look.colour, 1) : QPen(Qt::NoPen));
            for (size_t i = 0; i < s.Size(); ++i) {
                const size_t k = s.Sorted(i);
                const QPointF q = m.Map(s.X(k), s.Y(k));
                if (!area.contains(q)) continue;
                const QPointF c(std::round(q.x()), std::round(q.y()));
                const QPolygonF tri({c + QPointF(0, -h), c + QPointF(-h, h), c + QPointF(h, h)});
                p->setBrush(s.Colour(k).isValid() ? s.Colour(k) : look.pointerFill);
                // Cut at the frame by geometry: the SVG writer drops the clip.
                p->drawPolygon(m.plot.contains(tri.boundingRect()) ? tri : tri.intersected(frame));
            }
        }
    }
    p->restore();
    PaintMarks(p, m);
}

void TChart::PaintCurve(QPainter* p, const Mapping& m, const ChartSeries& s, const SeriesLook& look) const {
    // One polyline per stretch inside the plot: joined, not a row of separate
    // segments that step and gap.
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(QPen(look.colour, kCurveWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    QPolygonF run;
    auto flush = [&] {
        if (run.size() >= 2) p->drawPolyline(run);
        run.clear();
    };
    chart::WalkVisibleSegments(
        s.Size(), m.plot,
        [&](size_t i) {
            const size_t k = s.Sorted(i);
            return m.Map(s.X(k), s.Y(k));
        },
        [&](const chart::VisibleSegment& seg) {
            if (run.isEmpty() || run.last() != seg.a) {
                flush();
                run << seg.a;
            }
            // Dense curves: skip vertices that add nothing at pixel scale.
            if (run.size() >= 2 && std::fabs(seg.b.x() - run.last().x()) < 0.25 &&
                std::fabs(seg.b.y() - run.last().y()) < 0.25)
                run.last() = seg.b;
            else
                run << seg.b;
        });
    flush();
    p->restore();
}

void TChart::PaintBand(QPainter* p, const Mapping& m) const {
    const ChartSeries& upper = series_[size_t(kBandUpper - 1)].data;
    const ChartSeries& lower = series_[size_t(kBandLower - 1)].data;
    if (upper.Empty() || lower.Empty()) return;
    const QRectF reach = m.plot.adjusted(-kBandReach, -kBandReach, kBandReach, kBandReach);
    auto edge = [&](const ChartSeries& s) {
        QPolygonF line;
        line.reserve(qsizetype(s.Size()));
        for (size_t i = 0; i < s.Size(); ++i) {
            const size_t k = s.Sorted(i);
            const QPointF q = m.Map(s.X(k), s.Y(k));
            if (!std::isfinite(q.x()) || !std::isfinite(q.y())) continue;
            line << QPointF(std::clamp(q.x(), reach.left(), reach.right()),
                            std::clamp(q.y(), reach.top(), reach.bottom()));
        }
        return line;
    };
    const QPolygonF top = edge(upper), bottom = edge(lower);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, true);
    QPolygonF area = top;
    for (qsizetype i = bottom.size() - 1; i >= 0; --i) area << bottom[i];
    p->setPen(Qt::NoPen);
    p->setBrush(kBandFill);
    p->drawPolygon(area);
    p->setBrush(Qt::NoBrush);
    p->setPen(QPen(look_[size_t(kBandUpper - 1)].colour, 1, Qt::DashLine));
    p->drawPolyline(top);
    p->drawPolyline(bottom);
    p->restore();
}

void TChart::PaintRectangles(QPainter* p, const Mapping& m, const Series& series,
                             const SeriesLook& look) const {
    // One fill per colour over all points; points that land on the same pixel
    // in the same colour are drawn once. The squares stay for the next paint
    // while the points and the mapping do not change.
    const ChartSeries& s = series.data;
    PointSquares& c = series.squares;
    if (!c.valid || c.revision != s.Revision() || c.plot != m.plot || c.x0 != m.x0 || c.x1 != m.x1 ||
        c.y0 != m.y0 || c.y1 != m.y1) {
        c.valid = true;
        c.revision = s.Revision();
        c.plot = m.plot;
        c.x0 = m.x0, c.x1 = m.x1, c.y0 = m.y0, c.y1 = m.y1;
        for (auto& bucket : c.byColour) bucket.second.clear();
        const int h = look.pointerSize;
        const QRect plot = m.plot.toAlignedRect();
        const QRect area = plot.adjusted(-h, -h, h, h);
        const int gw = area.width() + 1, gh = area.height() + 1;
        std::vector<uint8_t> seen(size_t(gw) * size_t(gh), 0);
        // Points are read in arrival order (no jumps through memory); the
        // buckets are then put in the order their colours first appear by X,
        // as a walk by X would have made them.
        std::vector<std::pair<QRgb, std::vector<QRect>>>& buckets = c.byColour;
        std::vector<std::pair<double, size_t>> firstByX;  // per bucket: its first point by (X, arrival)
        std::size_t used = 0;
        std::unordered_map<QRgb, size_t> bucketOf;
        QRgb lastRgb = 0;
        size_t last = SIZE_MAX;
        const QRgb own = (look.pointerFill.isValid() ? look.pointerFill : look.colour).rgba();
        std::vector<QRgb> rgbOfClass(s.PaletteSize());
        for (size_t c = 0; c < rgbOfClass.size(); ++c) {
            const QColor& colour = s.PaletteColour(std::uint8_t(c));
            rgbOfClass[c] = colour.isValid() ? colour.rgba() : own;
        }
        for (size_t k = 0; k < s.Size(); ++k) {
            const QPointF q = m.Map(s.X(k), s.Y(k));
            if (!(q.x() >= area.left() && q.x() <= area.right() + 1 && q.y() >= area.top() &&
                  q.y() <= area.bottom() + 1))
                continue;  // also drops NaN
            const int ix = RoundHalfAway(q.x()), iy = RoundHalfAway(q.y());
            const QRgb rgb = rgbOfClass[s.ColourClass(k)];
            if (last == SIZE_MAX || rgb != lastRgb) {
                auto [it, fresh] = bucketOf.try_emplace(rgb, used);
                if (fresh) {
                    if (used == buckets.size()) buckets.emplace_back();
                    buckets[used].first = rgb;
                    buckets[used].second.clear();
                    firstByX.emplace_back(s.X(k), k);
                    ++used;
                }
                last = it->second;
                lastRgb = rgb;
            }
            if (s.X(k) < firstByX[last].first) firstByX[last] = {s.X(k), k};
            if (last < 8) {
                const int cx = std::clamp(ix - area.left(), 0, gw - 1);
                const int cy = std::clamp(iy - area.top(), 0, gh - 1);
                uint8_t& cell = seen[size_t(cy) * size_t(gw) + size_t(cx)];
                if (cell & (1u << last)) continue;
                cell = uint8_t(cell | (1u << last));
            }
            const QRect square = QRect(ix - h, iy - h, 2 * h, 2 * h).intersected(plot);
            if (!square.isEmpty()) buckets[last].second.push_back(square);
        }
        buckets.resize(used);
        std::vector<size_t> order(used);
        for (size_t b = 0; b < used; ++b) order[b] = b;
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return firstByX[a] < firstByX[b]; });
        std::vector<std::pair<QRgb, std::vector<QRect>>> sorted;
        sorted.reserve(used);
        for (size_t b : order) sorted.push_back(std::move(buckets[b]));
        buckets = std::move(sorted);
    }
    p->setPen(look.pointerOutline ? QPen(look.colour, 1) : QPen(Qt::NoPen));
    for (const auto& [rgb, rects] : c.byColour) {
        p->setBrush(QColor::fromRgba(rgb));
        p->drawRects(rects.data(), int(rects.size()));
    }
}

void TChart::PaintMarks(QPainter* p, const Mapping& m) const {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    const QFontMetricsF fm(font);
    p->save();
    p->setFont(font);
    for (int index = 1; index <= kSeriesCount; ++index) {
        const Series& series = series_[size_t(index - 1)];
        const ChartSeries& s = series.data;
        const SeriesLook& look = look_[size_t(index - 1)];
        if (!series.marksVisible || s.Empty() || look.kind != SeriesLook::Kind::Points) continue;
        if (series.markCache.size() != s.Size()) {
            series.markCache.assign(s.Size(), QString());
            series.markMade.assign(s.Size(), 0);
        }
        // Marks of points that share a pixel sit on one another: draw the first.
        QPoint lastAt(INT_MIN, INT_MIN);
        for (size_t i = 0; i < s.Size(); ++i) {
            const size_t k = s.Sorted(i);
            const QPointF q = m.Map(s.X(k), s.Y(k));
            if (!m.plot.contains(q)) continue;
            const QPoint at(int(std::lround(q.x())), int(std::lround(q.y())));
            if (at == lastAt) continue;
            lastAt = at;
            if (!series.markMade[i]) {
                series.markCache[i] = MarkText(index, int(i));
                series.markMade[i] = 1;
            }
            const QString& text = series.markCache[i];
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
    // A new plot area re-plans the ticks, which may ask for one more layout.
    if (QGraphicsLayout* l = chart()->layout())
        for (int i = 0; i < 4 && !l->isActivated(); ++i) l->activate();
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
