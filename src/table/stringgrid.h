// The data table's widget: a string grid of three columns over the window's
// DataTable, with the header row shown as the column headers and one cell
// editor always open on the current cell.
//
// Coordinates are the grid's: columns 0..2, rows 0..RowCount() - 1 with row 0
// the header (not editable, not selectable). The grid raises the notifications
// the window's handlers hang on; none of them consumes a key, the grid's own
// action follows the notification.
#pragma once

#include <QPointer>
#include <QTableView>
#include <string>

#include "core/datatable.h"

class QLineEdit;
class QMenu;
class QTimer;
class TableModel;
class TInplaceEdit;

// A block of cells by its first and last column and row, inclusive.
struct TGridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

class TStringGrid : public QTableView {
    Q_OBJECT
  public:
    // The grid reads and writes `table` in place; the caller keeps it alive
    // for the grid's lifetime.
    explicit TStringGrid(kurv::DataTable* table, QWidget* parent = nullptr);
    ~TStringGrid() override;

    kurv::DataTable* Table() const { return table_; }
    TableModel* Model() const { return model_; }

    int RowCount() const;
    // Growing appends empty rows, shrinking drops the last ones with their
    // cells (never below 1: the header row stays). One notification either
    // way; the current cell stays where it still fits, with no signal.
    void SetRowCount(int count);

    std::string Cell(int col, int row) const;
    // Row 0 sets a header text. Out-of-range cells are ignored.
    void SetCell(int col, int row, std::string text);

    // The current cell. A move ends the editing of the cell left (setEditText
    // once more with the editor's final text: for a cell too long to edit,
    // the cut text it shows) and then raises clicked(); moving to the
    // cell that is already current does nothing. Cells outside the data rows
    // are ignored.
    int Col() const { return col_; }
    int Row() const { return row_; }
    void SetCurrentCell(int col, int row);
    void SetCol(int col) { SetCurrentCell(col, row_); }
    void SetRow(int row) { SetCurrentCell(col_, row); }

    // The selected block; it always contains the current cell.
    TGridRect Selection() const;
    // Puts back a current cell and block kept earlier (undo), clamped to the
    // table, without any signal; the editor goes along.
    void RestoreCurrent(int col, int row, const TGridRect& block);

    // For core operations run directly on the DataTable: the view refreshes
    // once at the end, keeping the current cell and the block where they
    // still fit. No signal is raised. Nestable; show no message box inside.
    void BeginBulkChange();
    void EndBulkChange();
    // Both in one: after the DataTable was changed directly.
    void TableReset();
    // After cells of one column or the header row were written directly into the DataTable.
    void CellsChanged(int col, int firstRow, int lastRow);
    void HeaderChanged();

    int DefaultColWidth() const;
    // Gives all three columns this width.
    void SetDefaultColWidth(int width);
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int DefaultRowHeight() const;

    // The menu of a right click on the grid or its cell editor (not owned).
    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const;

    // The one cell editor, always shown over the current cell.
    QLineEdit* InplaceEditor() const;

  signals:
    void clicked();
    void doubleClicked();
    void focusEntered();
    void setEditText(int col, int row, const QString& value);
    void keyPress(QChar key);
    void keyDown(int vk, Qt::KeyboardModifiers modifiers);
    // After a column was dragged to another place; the cells (header row
    // included) have moved with it.
    void columnMoved(int from, int to);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    friend class TInplaceEdit;

    bool IsDataCell(int col, int row) const;
    // Makes (col, row) current with the block from the anchor (extend) or the
    // cell alone, scrolls it into view, then ends the editing of the cell
    // left and raises clicked().
    void MoveTo(int col, int row, bool extend);
    void SetCurrentAndBlock(int col, int row, bool extend, bool scroll);
    // Puts the current cell and the block into the view without signals.
    void ApplyCurrent(bool scroll);
    void ApplyBlock();
    // The editor leaves its cell for the current one: setEditText for the old
    // cell, then the new text loaded and selected.
    void FollowCurrent();
    void LoadEditor();
    // Whether the editor holds what it would load for its cell now.
    bool EditorShowsCell() const;
    // A key that types over a cut cell wholly selected: the editor becomes
    // editable (the key then replaces the cell). False when it stays as it is.
    bool ReplaceCutCell();
    // A paste into the editor that makes the cell too long to edit goes into
    // the cell without the editor laying it out; false for a paste the
    // editor takes itself.
    bool PasteLongText();
    // A copy from the editor of a cut cell: the cell's text from the
    // selection's start, to its end when the selection takes in the "…".
    // False when the editor copies what it shows itself.
    bool CopyCutCell();
    void PlaceEditor();
    void ClampToTable();
    void OnDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void OnSectionMoved(int logical, int oldVisual, int newVisual);
    void OnEditorTextEdited(const QString& text);
    void DragTo(const QPoint& pos);
    void AutoScroll();

    // Key handling of the editor; true when the grid took the key.
    bool EditorKey(QKeyEvent* event);
    void EditorFocusIn(Qt::FocusReason reason);
    void EditorDoubleClick();

    kurv::DataTable* table_;
    TableModel* model_;
    TInplaceEdit* editor_ = nullptr;
    QPointer<QMenu> popup_;
    QTimer* scrollTimer_ = nullptr;

    int col_ = 0;
    int row_ = 1;
    int anchorCol_ = 0;
    int anchorRow_ = 1;
    int blockEndCol_ = 0;  // the corner of the block opposite the anchor
    int blockEndRow_ = 1;
    int editCol_ = 0;  // the cell the editor holds
    int editRow_ = 1;
    bool editorCut_ = false;  // the editor shows a long cell cut, read-only
    bool dragging_ = false;
    QPoint dragPos_;
    bool restoringColumns_ = false;
};
