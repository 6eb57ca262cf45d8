// The graphics item that draws all twelve series above the chart's grid.
#pragma once

#include <QGraphicsItem>

#include "output/chartview.h"

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
