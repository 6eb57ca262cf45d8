// The graphics item that draws all fourteen series above the chart's grid.
#pragma once

#include <QGraphicsItem>

#include "output/chartview.h"

class TChart::Layer : public QGraphicsItem {
  public:
    Layer(TChart* owner, QGraphicsItem* parent) : QGraphicsItem(parent), owner_(owner) {
        setAcceptedMouseButtons(Qt::NoButton);
        setAcceptHoverEvents(false);
    }
    QRectF boundingRect() const override { return bounds_; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        owner_->Paint(painter);
    }
    void SetBounds(const QRectF& r) {
        if (r == bounds_) return;
        prepareGeometryChange();
        bounds_ = r;
    }

  private:
    TChart* owner_;
    QRectF bounds_;
};
