// The table's cells: the one store of the data, as texts. Row 0 is the
// header row; data rows are 1 .. RowCount() - 1. Three columns:
// 0 Y (true value), 1 X (instrument reading), 2 Y obtained (written by the fit).
//
// A million rows must fit in a few dozen megabytes, so the texts are kept
// compactly: every cell is a 16-byte record that holds a text of up to 15
// bytes itself (numbers nearly always fit) or the place of a longer text in
// the store's arena. Moving rows or cells moves the records, never the texts.
// The arena grows by adding blocks, so no text is copied as it grows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kurv {

// Rows of three texts, numbered from 0, without any meaning given to a row.
class TextRows {
  public:
    static constexpr int kColumns = 3;
    // Texts up to this many bytes are held in the cell's own record.
    static constexpr std::size_t kInlineBytes = 15;
    // A row's texts copied out of the store or into it.
    using Row = std::array<std::string, kColumns>;

    explicit TextRows(int rowCount = 0) : rows_(rowCount < 0 ? 0 : static_cast<std::size_t>(rowCount)) {}

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Growing appends empty rows; shrinking drops the last rows.
    void Resize(int count);

    // Valid until the next change of the store.
    std::string_view Cell(int col, int row) const { return rows_[row][col].View(arena_); }
    void SetCell(int col, int row, std::string_view text);
    // A copy (const, so that assigning to it cannot be mistaken for a change).
    const Row RowAt(int row) const;
    void SetRow(int row, const Row& texts);
    void AppendRow(const Row& texts);
    bool RowEmpty(int row) const;
    // Same texts in row `row` here and row `otherRow` of `other`.
    bool SameRow(int row, const TextRows& other, int otherRow) const;

    // Copies of the rows first .. first + count - 1.
    TextRows Slice(int first, int count) const;
    // The rows first .. first + count - 1, the others dropped. When they are
    // most of the store they keep its memory instead of being copied.
    TextRows Take(int first, int count) &&;
    // Rows first .. first + count - 1 are replaced by all the rows of `with`;
    // gives the rows replaced.
    TextRows Splice(int first, int count, TextRows&& with);
    void Erase(int first, int count);
    // Row k becomes the row that was at order[k], or an empty row where
    // order[k] is -1; rows not named go. Each row may be named once at most.
    // The store is unchanged should this throw.
    void Reorder(const std::vector<int>& order);
    // In every row the cell of column `from` moves to `to`, the cells
    // between shift by one towards `from`'s place.
    void MoveColumn(int from, int to);

    // The memory held, in bytes.
    std::size_t Bytes() const;

  private:
    // The long texts, in blocks that never move. A place is the block's
    // number in the high 32 bits and the position in it in the low ones.
    class Arena {
      public:
        Arena() = default;
        Arena(const Arena& other);
        Arena& operator=(const Arena& other);
        Arena(Arena&&) noexcept = default;
        Arena& operator=(Arena&&) noexcept = default;

        // Throws std::bad_alloc for a text of 4 GiB or more, which no record can hold.
        std::uint64_t Append(std::string_view text);
        std::string_view View(std::uint64_t at, std::size_t size) const {
            return std::string_view(blocks_[at >> 32].data.get() + (at & 0xFFFFFFFFu), size);
        }
        // Overwrites the text at `at` with `text`, which is no longer.
        void Rewrite(std::uint64_t at, std::string_view text);
        // Takes `other`'s blocks over; gives what to add to its places.
        std::uint64_t Adopt(Arena&& other);
        std::size_t Used() const { return used_; }
        std::size_t Capacity() const { return capacity_; }

      private:
        struct Block {
            std::unique_ptr<char[]> data;
            std::size_t size = 0, used = 0;
        };
        std::vector<Block> blocks_;
        std::size_t used_ = 0, capacity_ = 0;
    };

    // Up to 15 bytes inline: the text, then its length in the last byte.
    // Longer: the place in the arena (position 4 bytes, block 3 bytes), the
    // size (4 bytes), the room the text has there (4 bytes), then kLong. A
    // text rewritten in its room leaves no unused bytes behind.
    class Rec {
      public:
        static constexpr unsigned char kLong = 0xFF;
        bool IsLong() const { return b_[15] == kLong; }
        std::size_t Size() const;
        std::uint64_t Place() const;
        std::size_t Room() const;
        std::string_view View(const Arena& arena) const;
        void SetInline(std::string_view text);
        void SetLong(std::uint64_t place, std::size_t size, std::size_t room);
        bool operator==(const Rec&) const = default;

      private:
        std::uint32_t Field(int at) const;

        unsigned char b_[16] = {};
    };
    using RecRow = std::array<Rec, kColumns>;

    void Replace(int first, int count, TextRows&& with);
    // Drops the old text of a record being overwritten or dropped.
    void Release(const Rec& r);
    // Rewrites the arena without the texts no cell refers to, when they are most of it.
    void MaybeCompact();

    std::vector<RecRow> rows_;
    Arena arena_;
    std::size_t dead_ = 0;  // arena bytes outside every cell's room
};

class DataTable {
  public:
    static constexpr int kColumns = TextRows::kColumns;
    using Row = TextRows::Row;

    explicit DataTable(int rowCount = 100) : rows_(rowCount < 1 ? 1 : rowCount) {}

    int RowCount() const { return rows_.RowCount(); }
    // Growing appends empty rows; shrinking drops the last rows with their cells.
    // Never below one row (the header).
    void SetRowCount(int count) {
        ++revision_;
        rows_.Resize(count < 1 ? 1 : count);
    }

    // The view is valid until the next change of the table.
    std::string_view Cell(int col, int row) const { return rows_.Cell(col, row); }
    void SetCell(int col, int row, std::string_view text) {
        ++revision_;
        rows_.SetCell(col, row, text);
    }
    const Row RowAt(int row) const { return rows_.RowAt(row); }
    void SetRow(int row, const Row& texts) {
        ++revision_;
        rows_.SetRow(row, texts);
    }
    // Every row copied out (tests and small tables).
    std::vector<Row> Rows() const;

    // Removes rows first .. first + count - 1 (the header row stays).
    void EraseRows(int first, int count);
    void ReorderRows(const std::vector<int>& order) {
        ++revision_;
        rows_.Reorder(order);
    }
    void MoveColumn(int from, int to) {
        ++revision_;
        rows_.MoveColumn(from, to);
    }
    // All rows replaced by `rows` (at least the header row).
    void SetRows(TextRows&& rows) {
        ++revision_;
        rows_ = std::move(rows);
        if (rows_.RowCount() < 1) rows_.Resize(1);
    }
    TextRows SliceRows(int first, int count) const { return rows_.Slice(first, count); }
    // Rows first .. first + count - 1 taken out; the table is left empty.
    TextRows TakeRows(int first, int count) && {
        ++revision_;
        return std::move(rows_).Take(first, count);
    }
    TextRows SpliceRows(int first, int count, TextRows&& with) {
        ++revision_;
        return rows_.Splice(first, count, std::move(with));
    }
    bool SameRow(int row, const DataTable& other, int otherRow) const {
        return rows_.SameRow(row, other.rows_, otherRow);
    }
    bool RowEmpty(int row) const { return rows_.RowEmpty(row); }
    std::size_t Bytes() const { return rows_.Bytes(); }

    // Changes whenever the cells or RowCount may have changed.
    std::uint64_t Revision() const { return revision_; }

    // A row counts for the fit when its Y and X texts are both non-empty.
    bool Counts(int row) const { return !Cell(0, row).empty() && !Cell(1, row).empty(); }

  private:
    TextRows rows_;
    std::uint64_t revision_ = 0;
};

}  // namespace kurv
