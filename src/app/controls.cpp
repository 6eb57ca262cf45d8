#include "app/controls.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

QSize PrimaryScreenSize() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

void DescribeByDesignNames(QWidget* root) {
    if (!root->objectName().isEmpty()) root->setAccessibleDescription(root->objectName());
    for (QWidget* w : root->findChildren<QWidget*>())
        if (!w->objectName().isEmpty()) w->setAccessibleDescription(w->objectName());
}

TPanel::TPanel(QWidget* parent) : TClickLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    setIndent(2);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* e) {
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
