#include "app/controls.h"

#include <QMouseEvent>

TPanel::TPanel(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    setIndent(2);
}

void TPanel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

void TPanel::mouseDoubleClickEvent(QMouseEvent* e) {
    QLabel::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit doubleClicked();
}

void TGroupBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QGroupBox::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) emit doubleClicked();
}
