// The item model over the window's data table. The DataTable stays the one
// store of the cells: the model reads and writes it in place and never keeps
// copies. Row 0 of the table is the header and appears as the horizontal
// header labels; model row r is table row r + 1.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <string_view>

#include "core/datatable.h"

class TableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit TableModel(kurv::DataTable* table, QObject* parent = nullptr);

    kurv::DataTable* Table() const { return table_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // In the table's own coordinates (row 0 the header). Out-of-range cells
    // read as empty and are not written.
    bool HasCell(int col, int row) const;
    void SetCell(int col, int row, std::string text);
    // One insert or remove notification, however many rows change.
    void SetRowCount(int count);
    // Moves column `from` to `to` in every row, header included; the columns
    // between shift by one.
    void MoveColumn(int from, int to);
    // Cells of one column written directly into the DataTable (the fitted
    // column, the fill command): one notification for the rows first..last.
    void CellsChanged(int col, int firstRow, int lastRow);
    // Header texts (row 0) written directly into the DataTable.
    void HeaderChanged();

    // Brackets direct changes to the DataTable (paste, sort, read a file);
    // views refresh once at the outermost end. May be nested.
    void BeginBulkChange();
    void EndBulkChange();
    bool InBulkChange() const { return bulkDepth_ > 0; }

    // What a cell shows: its text, or for a long one its first few hundred
    // characters and "…" (the cell keeps the whole text, the edit role gives it).
    static QString ShownText(std::string_view text);

  private:
    kurv::DataTable* table_;
    int bulkDepth_ = 0;
};
