// Small widgets standing in for the designed control kinds: a label that reports
// a left click, a panel that is a sunken clickable label with a double-click
// event, and a group box with a double-click event. Also what every window
// shares: the designed faces, placing a control at its designed rectangle, the
// primary screen's size and the design names for accessibility tools.
#pragma once

#include <QFont>
#include <QGroupBox>
#include <QLabel>

class QMainWindow;

// The window's default face ("MS Sans Serif", 8 points) and that of its static
// texts ("Times New Roman", 13 pixels), or the nearest installed ones.
QFont DesignFont();
QFont StaticTextFont();

// Names `w` and puts it at its designed rectangle in its parent; a width or
// height below 0 is the control's own.
template <class W>
W* Place(W* w, const char* name, int left, int top, int width = -1, int height = -1) {
    w->setObjectName(name);
    if (width < 0 || height < 0) {
        w->adjustSize();
        if (width < 0) width = w->width();
        if (height < 0) height = w->height();
    }
    w->setGeometry(left, top, width, height);
    return w;
}

// A static text in the static texts' face, at its own size.
QLabel* StaticText(QWidget* parent, const char* name, const QString& caption, int left, int top);

// The primary screen's size; 1024 x 768 when there is no screen.
QSize PrimaryScreenSize();

// The area below the menu bar, from the window's own size and the height its
// layout gives the menu bar at this width. The central widget is no guide before
// the first show: it keeps its default size until the layout first runs, and a
// hidden window's new size reaches it only when shown.
QSize ClientAreaSize(const QMainWindow* window);

// The result group sits this far above the bottom of the client area.
inline constexpr int kResultBottomMargin = 3;

// Tests and accessibility tools find controls by their design names: each named
// widget under `root` (and `root` itself) gets its name as its accessible description.
void DescribeByDesignNames(QWidget* root);

class TClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class TPanel : public TClickLabel {
    Q_OBJECT
  public:
    explicit TPanel(QWidget* parent = nullptr);

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// Paints its own background: the layout can move a group over other controls
// (the result group over the help text in a low window).
class TGroupBox : public QGroupBox {
    Q_OBJECT
  public:
    explicit TGroupBox(QWidget* parent = nullptr);

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};
