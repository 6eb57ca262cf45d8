// Small widgets standing in for the designed control kinds: a panel that is a
// sunken label with click events, and a group box with a double-click event.
#pragma once

#include <QGroupBox>
#include <QLabel>

class TPanel : public QLabel {
    Q_OBJECT
  public:
    explicit TPanel(QWidget* parent = nullptr);

  signals:
    void clicked();
    void doubleClicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

class TGroupBox : public QGroupBox {
    Q_OBJECT
  public:
    using QGroupBox::QGroupBox;

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};
