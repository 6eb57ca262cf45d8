#include "app/controls.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>

QFont DesignFont() {
    QFont f;
    f.setFamilies({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"});
    f.setPointSize(8);
    return f;
}

QFont StaticTextFont() {
    QFont f;
    f.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif"});
    f.setPixelSize(13);
    return f;
}

QLabel* StaticText(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    auto* l = new QLabel(caption, parent);
    l->setFont(StaticTextFont());
    return Place(l, name, left, top);
}

QSize PrimaryScreenSize() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

QSize ClientAreaSize(const QMainWindow* window) {
    int bar = 0;
    // The same height the main window's layout gives its menu bar; none when it
    // is hidden or a native (global) menu.
    if (const QWidget* menu = window->menuWidget(); menu && !menu->isWindow() && menu->isVisibleTo(window)) {
        bar = menu->heightForWidth(window->width());
        if (bar < 0) bar = menu->sizeHint().height();
        bar = qMax(bar, menu->minimumHeight());
    }
    const QRect r = window->contentsRect();
    return {r.width(), r.bottom() + 1 - qMax(r.top(), bar)};
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

TGroupBox::TGroupBox(QWidget* parent) : QGroupBox(parent) {
    setAutoFillBackground(true);
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
