#include "table/tablemodel.h"

#include <algorithm>

using kurv::DataTable;

namespace {

// A cell shows at most this many bytes of its text: laying out megabytes to
// draw a few dozen characters would freeze every repaint.
constexpr std::size_t kShownBytes = 400;

}  // namespace

QString TableModel::ShownText(std::string_view text) {
    if (text.size() <= kShownBytes)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::size_t end = kShownBytes;
    // Back to the first byte of a UTF-8 sequence, so no character is split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(end)) + QChar(0x2026);
}

TableModel::TableModel(DataTable* table, QObject* parent) : QAbstractTableModel(parent), table_(table) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_->RowCount() - 1;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DataTable::kColumns;
}

bool TableModel::HasCell(int col, int row) const {
    return col >= 0 && col < DataTable::kColumns && row >= 0 && row < table_->RowCount();
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    // Bounds are checked so that a view painting between a direct change of
    // the table and its notification never reads past the end.
    const int row = index.row() + 1;
    if (!HasCell(index.column(), row)) return {};
    const kurv::CellText cell = table_->Cell(index.column(), row);
    const std::string_view text = cell;
    return role == Qt::DisplayRole ? ShownText(text)
                                   : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !HasCell(section, 0)) return {};
    const kurv::CellText caption = table_->Cell(section, 0);
    return ShownText(caption);
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    SetCell(index.column(), index.row() + 1, value.toString().toStdString());
    return true;
}

void TableModel::SetCell(int col, int row, std::string text) {
    if (!HasCell(col, row)) return;
    if (table_->Cell(col, row) == text) return;
    table_->SetCell(col, row, std::move(text));
    if (bulkDepth_ > 0) return;
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex i = index(row - 1, col);
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    }
}

void TableModel::SetRowCount(int count) {
    count = std::max(count, 1);
    const int old = table_->RowCount();
    if (count == old) return;
    if (bulkDepth_ > 0) {
        table_->SetRowCount(count);
    } else if (count > old) {
        beginInsertRows(QModelIndex(), old - 1, count - 2);
        table_->SetRowCount(count);
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), count - 1, old - 2);
        table_->SetRowCount(count);
        endRemoveRows();
    }
}

void TableModel::MoveColumn(int from, int to) {
    if (from == to || !HasCell(from, 0) || !HasCell(to, 0)) return;
    table_->MoveColumn(from, to);
    if (bulkDepth_ > 0) return;
    emit headerDataChanged(Qt::Horizontal, 0, DataTable::kColumns - 1);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, DataTable::kColumns - 1));
}

void TableModel::CellsChanged(int col, int firstRow, int lastRow) {
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, table_->RowCount() - 1);
    if (bulkDepth_ > 0 || firstRow > lastRow || col < 0 || col >= DataTable::kColumns) return;
    emit dataChanged(index(firstRow - 1, col), index(lastRow - 1, col), {Qt::DisplayRole, Qt::EditRole});
}

void TableModel::HeaderChanged() {
    if (bulkDepth_ == 0) emit headerDataChanged(Qt::Horizontal, 0, DataTable::kColumns - 1);
}

void TableModel::BeginBulkChange() {
    if (bulkDepth_++ == 0) beginResetModel();
}

void TableModel::EndBulkChange() {
    if (bulkDepth_ == 0) return;
    if (--bulkDepth_ == 0) endResetModel();
}
