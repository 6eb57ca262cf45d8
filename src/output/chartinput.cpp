// The chart's mouse: a press on a series, zoom by a left drag, scroll by a
// right drag, clicks and the pop-up menu.
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineF>
#include <QMenu>
#include <QMouseEvent>
#include <QRubberBand>
#include <cmath>

#include "output/chartview.h"

namespace {

// A press that moves further than this (Manhattan, pixels) is a drag.
constexpr int kDragThreshold = 3;
// A zoom rectangle smaller than this in either direction is dropped.
constexpr int kMinZoomPixels = 4;
// How near (pixels) a press must be to the curve to hit it.
constexpr double kLineHitDistance = 3;

}  // namespace

std::optional<TChart::Hit> TChart::HitTest(QPointF pos) const {
    const Mapping m = CurrentMapping();
    if (!m.valid || !m.plot.contains(pos)) return std::nullopt;
    // The topmost series first: the later ones are drawn over the earlier.
    for (int index = kSeriesCount; index >= 1; --index) {
        const ChartSeries& s = series_[size_t(index - 1)].data;
        const SeriesLook& look = look_[size_t(index - 1)];
        if (s.Empty() || look.kind == SeriesLook::Kind::BandEdge) continue;
        int best = -1;
        double bestD = INFINITY;
        if (look.kind == SeriesLook::Kind::FastLine) {
            chart::WalkVisibleSegments(
                s.Size(), m.plot.adjusted(-2, -2, 2, 2),
                [&](size_t i) {
                    const size_t k = s.Sorted(i);
                    return m.Map(s.X(k), s.Y(k));
                },
                [&](const chart::VisibleSegment& seg) {
                    const double d = chart::DistanceToSegment(pos, seg.a, seg.b);
                    if (d <= kLineHitDistance && d < bestD) {
                        bestD = d;
                        // The nearer end of the segment.
                        const bool nearEnd = QLineF(pos, seg.to).length() < QLineF(pos, seg.from).length();
                        best = int(nearEnd ? seg.index : seg.index - 1);
                    }
                });
        } else {
            const double tol = look.pointerSize + 1;
            for (size_t i = 0; i < s.Size(); ++i) {
                const size_t k = s.Sorted(i);
                const QPointF q = m.Map(s.X(k), s.Y(k));
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
    chart::LimitRange(x0, x1);
    chart::LimitRange(y0, y1);
    zoomed_ = true;
    ApplyRanges({x0, x1}, {y0, y1});
}

void TChart::PanBy(QPointF d) {
    const Mapping m = CurrentMapping();
    if (!m.valid || d.isNull()) return;
    const double dx = -d.x() / m.sx, dy = d.y() / m.sy;
    Range x{m.x0 + dx, m.x1 + dx}, y{m.y0 + dy, m.y1 + dy};
    // Stop at the edge of the showable range instead of running off it.
    if (!(x.lo >= -chart::kRangeLimit && x.hi <= chart::kRangeLimit && x.hi > x.lo)) x = {m.x0, m.x1};
    if (!(y.lo >= -chart::kRangeLimit && y.hi <= chart::kRangeLimit && y.hi > y.lo)) y = {m.y0, m.y1};
    zoomed_ = true;
    ApplyRanges(x, y);
}

void TChart::Press(QMouseEvent* event) {
    event->accept();
    if (drag_ != Drag::None) return;  // a second button during a drag
    dragButton_ = event->button();
    pressPos_ = event->position().toPoint();
    lastPos_ = event->position();
    moved_ = false;
    const QPointF scenePos = mapToScene(pressPos_);
    if (auto hit = HitTest(scenePos)) {
        drag_ = Drag::SeriesPress;
        emit seriesClicked(hit->series, hit->index, event->button(), event->modifiers(), pressPos_);
        return;
    }
    if (event->button() == Qt::LeftButton)
        drag_ = Drag::Zoom;
    else if (event->button() == Qt::RightButton)
        drag_ = Drag::Pan;
    else
        drag_ = Drag::Other;
}

void TChart::mousePressEvent(QMouseEvent* event) {
    Press(event);
}

void TChart::mouseDoubleClickEvent(QMouseEvent* event) {
    Press(event);
}

void TChart::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (drag_ == Drag::None) return;
    const QPoint pos = event->position().toPoint();
    if (!moved_ && (pos - pressPos_).manhattanLength() > kDragThreshold) moved_ = true;
    if (!moved_) return;
    if (drag_ == Drag::Zoom) {
        band_->setGeometry(QRect(pressPos_, pos).normalized());
        band_->show();
    } else if (drag_ == Drag::Pan) {
        PanBy(event->position() - lastPos_);
        lastPos_ = event->position();
    }
}

void TChart::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (drag_ == Drag::None || event->button() != dragButton_) return;
    const Drag drag = drag_;
    drag_ = Drag::None;
    band_->hide();
    const QPoint pos = event->position().toPoint();
    if (!moved_ && (pos - pressPos_).manhattanLength() > kDragThreshold) moved_ = true;
    if (drag == Drag::Zoom && moved_) {
        ZoomToRect(QRectF(mapToScene(pressPos_), mapToScene(pos)));
        return;
    }
    if (drag == Drag::Pan && moved_) {
        PanBy(event->position() - lastPos_);
        return;
    }
    if (drag != Drag::SeriesPress && moved_) return;
    const Qt::MouseButton button = dragButton_;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const QPoint global = event->globalPosition().toPoint();
    emit clicked(button, modifiers, pos);
    if (button == Qt::RightButton && !moved_) OpenContextMenu(pos, global, modifiers);
}

void TChart::SetPopupMenu(QMenu* menu) {
    popup_ = menu;
}

void TChart::OpenContextMenu(QPoint viewportPos, QPoint globalPos, Qt::KeyboardModifiers modifiers) {
    // Through the event, so the context-menu policy applies as usual.
    QContextMenuEvent e(QContextMenuEvent::Mouse, viewportPos, globalPos, modifiers);
    ownMenuEvent_ = true;
    QCoreApplication::sendEvent(viewport(), &e);
    ownMenuEvent_ = false;
}

bool TChart::viewportEvent(QEvent* event) {
    // The platform asks for the menu on the right press (X11) or release: the
    // press may start a scroll, so the menu opens from our own release instead.
    if (event->type() == QEvent::ContextMenu && !ownMenuEvent_ &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return true;
    }
    return QChartView::viewportEvent(event);
}

void TChart::contextMenuEvent(QContextMenuEvent* event) {
    if (!popup_) {
        event->ignore();
        return;
    }
    const QPoint global = event->reason() == QContextMenuEvent::Mouse
                              ? event->globalPos()
                              : viewport()->mapToGlobal(viewport()->rect().center());
    popup_->popup(global);
    event->accept();
}
