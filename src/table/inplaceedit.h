// The grid's cell editor, always shown over the current cell. It only routes
// its events to the grid; what they do is the grid's business (the grid's
// handlers for them live in inplaceedit.cpp too).
#pragma once

#include <QLineEdit>

class TStringGrid;

class TInplaceEdit : public QLineEdit {
  public:
    TInplaceEdit(TStringGrid* grid, QWidget* parent);

    // The focus left for a deactivation of the window or a pop-up: it will
    // come back to this same control.
    bool parked_ = false;

  protected:
    bool event(QEvent* e) override;

  private:
    TStringGrid* grid_;
};
