// The table's cells: the one store of the data, as texts. Row 0 is the
// header row; data rows are 1 .. RowCount() - 1. Three columns:
// 0 Y (true value), 1 X (instrument reading), 2 Y obtained (written by the fit).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kurv {

class DataTable {
  public:
    static constexpr int kColumns = 3;
    using Row = std::array<std::string, kColumns>;

    explicit DataTable(int rowCount = 100) : rows_(rowCount < 1 ? 1 : rowCount) {}

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Growing appends empty rows; shrinking drops the last rows with their cells.
    // Never below one row (the header).
    void SetRowCount(int count) {
        ++revision_;
        rows_.resize(count < 1 ? 1 : count);
    }

    const std::string& Cell(int col, int row) const { return rows_[row][col]; }
    void SetCell(int col, int row, std::string text) {
        ++revision_;
        rows_[row][col] = std::move(text);
    }

    const Row& RowAt(int row) const { return rows_[row]; }
    Row& RowAt(int row) {
        ++revision_;
        return rows_[row];
    }
    std::vector<Row>& Rows() {
        ++revision_;
        return rows_;
    }
    const std::vector<Row>& Rows() const { return rows_; }

    // Changes whenever the cells or RowCount may have changed: every non-const
    // access counts as a change, so a reference it gives must not be kept for
    // writing after the operation that took it.
    std::uint64_t Revision() const { return revision_; }

    // A row counts for the fit when its Y and X texts are both non-empty.
    bool Counts(int row) const { return !rows_[row][0].empty() && !rows_[row][1].empty(); }

  private:
    std::vector<Row> rows_;
    std::uint64_t revision_ = 0;
};

}  // namespace kurv
