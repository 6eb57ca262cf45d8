// The table's cells: the one store of the data, as texts. Row 0 is the
// header row; data rows are 1 .. RowCount() - 1. Three columns:
// 0 Y (true value), 1 X (instrument reading), 2 Y obtained (written by the fit).
//
// Ten million rows must fit in a few hundred megabytes, so the texts are kept
// compactly: every cell is a 12-byte record that holds a number's text of up
// to 22 characters itself, four bits a character (instruments export 15 to 17
// significant digits), any other text of up to 11 bytes, or the place of a
// longer text in the store's arena. Moving rows or cells moves the records,
// never the texts. The records live in memory that grows without copying, and
// the arena grows by adding blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/big_array.h"

namespace kurv {

// A cell's text as read from the store. A number's text is unpacked into the
// CellText itself, so a view of it lives only as long as the CellText (and
// the store unchanged): a temporary CellText gives no view, only copies and
// comparisons.
class CellText {
  public:
    static constexpr std::size_t kCapacity = 22;

    CellText() = default;
    std::string_view View() const& { return std::string_view(external_ ? external_ : own_, size_); }
    std::string_view View() const&& = delete;
    operator std::string_view() const& { return View(); }
    operator std::string_view() const&& = delete;
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }
    friend bool operator==(const CellText& a, std::string_view b) { return a.View() == b; }

  private:
    friend class TextRows;
    const char* external_ = nullptr;  // the text in the store, or nullptr: in own_
    std::uint32_t size_ = 0;
    char own_[kCapacity];
};

// Rows of three texts, numbered from 0, without any meaning given to a row.
class TextRows {
  public:
    static constexpr int kColumns = 3;
    // Texts up to this many bytes are held in the cell's own record, and the
    // texts of numbers (digits, . , + - e E) up to kPackedChars.
    static constexpr std::size_t kInlineBytes = 11;
    static constexpr std::size_t kPackedChars = CellText::kCapacity;
    // A row's texts copied out of the store or into it.
    using Row = std::array<std::string, kColumns>;

    explicit TextRows(int rowCount = 0) {
        rows_.resize(rowCount < 0 ? 0 : static_cast<std::size_t>(rowCount));
    }

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Growing appends empty rows; shrinking drops the last rows.
    void Resize(int count);
    void Reserve(int count) { rows_.reserve(count < 0 ? 0 : static_cast<std::size_t>(count)); }

    CellText Cell(int col, int row) const;
    bool CellEmpty(int col, int row) const { return rows_[row][col].Empty(); }
    void SetCell(int col, int row, std::string_view text);
    // A copy (const, so that assigning to it cannot be mistaken for a change).
    const Row RowAt(int row) const;
    void SetRow(int row, const Row& texts);
    void AppendRow(const Row& texts) { AppendRow(texts[0], texts[1], texts[2]); }
    void AppendRow(std::string_view a = {}, std::string_view b = {}, std::string_view c = {});
    bool RowEmpty(int row) const;
    // Same texts in row `row` here and row `otherRow` of `other`.
    bool SameRow(int row, const TextRows& other, int otherRow) const;

    // Copies of the rows first .. first + count - 1.
    TextRows Slice(int first, int count) const;
    // The rows first .. first + count - 1, the others dropped. When they are
    // most of the store they keep its memory instead of being copied.
    TextRows Take(int first, int count) &&;
    // Appends copies of the rows first .. first + count - 1 of `other`, which
    // is not this store.
    void AppendCopies(const TextRows& other, int first, int count);
    // Appends all the rows of `rows`, taking their texts over.
    void Append(TextRows&& rows);
    // Rows first .. first + count - 1 are replaced by all the rows of `with`;
    // gives the rows replaced, taken out rather than copied (all of them at
    // no cost). The store is unchanged should this throw.
    TextRows Splice(int first, int count, TextRows&& with);
    void Erase(int first, int count);
    // Row k becomes the row that was at order[k], or an empty row where
    // order[k] is -1; rows not named go. Each row may be named once at most.
    // The store is unchanged should this throw.
    void Reorder(const std::vector<int>& order);
    // In every row the cell of column `from` moves to `to`, the cells
    // between shift by one towards `from`'s place.
    void MoveColumn(int from, int to);
    // Empties column `col` of rows first .. first + count - 1.
    void ClearColumn(int col, int first, int count);
    // Gives back the room reserved beyond the rows.
    void ShrinkToFit() noexcept { rows_.shrink_to_fit(); }

    // A hash of the texts in the first `columns` columns of rows `first` and
    // on, the rows where all of them are empty left out. Equal texts give
    // equal hashes wherever they are kept; any other texts give another hash
    // but for odds of about one in 2^64.
    std::uint64_t TextHash(int first, int columns) const;

    // The memory held, in bytes.
    std::size_t Bytes() const;
    // True once after the store found too little memory to tidy itself; it
    // holds the same texts, in more memory than it needs.
    bool TakeMemoryShortage() { return std::exchange(shortage_, false); }

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
            return std::string_view(blocks_[at >> 32].data + (at & 0xFFFFFFFFu), size);
        }
        // Overwrites the text at `at` with `text`, which is no longer.
        void Rewrite(std::uint64_t at, std::string_view text);
        // Takes `other`'s blocks over; gives what to add to its places.
        std::uint64_t Adopt(Arena&& other);
        std::size_t Used() const { return used_; }
        std::size_t Capacity() const { return capacity_; }
        bool Empty() const { return blocks_.empty(); }

      private:
        struct Block {
            explicit Block(std::size_t bytes);
            Block(Block&& other) noexcept;
            Block& operator=(Block&& other) noexcept;
            ~Block();
            char* data = nullptr;
            std::size_t size = 0, used = 0;
        };
        std::vector<Block> blocks_;
        std::size_t used_ = 0, capacity_ = 0;
    };

    // The last byte tells the kind. 0 .. 11: that many bytes of text in
    // front. kPacked + n: n characters of a number, four bits each, the
    // first in the low half of byte 0. kLong: the text's place in the arena
    // (position 4 bytes, block 3 bytes), then its size (4 bytes). Every text
    // has one form only (packed where it can be, then inline), so two records
    // outside the arena hold the same text exactly when their bytes are equal.
    class Rec {
      public:
        static constexpr unsigned char kPacked = 0x20;
        static constexpr unsigned char kLong = 0xFF;
        bool IsLong() const { return b_[11] == kLong; }
        bool Empty() const { return b_[11] == 0; }
        std::size_t Size() const;
        std::uint64_t Place() const;
        void Read(CellText& out, const Arena& arena) const;
        // Holds `text` in the record itself: false when it needs the arena.
        bool SetShort(std::string_view text);
        void SetLong(std::uint64_t place, std::size_t size);
        // `h` followed by this record's text.
        std::uint64_t Hash(std::uint64_t h, const Arena& arena) const;
        bool operator==(const Rec&) const = default;

      private:
        unsigned char b_[12] = {};
    };
    using RecRow = std::array<Rec, kColumns>;

    // A record for `text`, the arena's part appended when it needs one.
    Rec Encode(std::string_view text);
    // Drops the old text of a record being overwritten or dropped.
    void Release(const Rec& r) {
        if (r.IsLong()) dead_ += r.Size();
    }
    void ReorderInPlace(const std::vector<int>& order);
    // Copies the long texts of rows_[from..) out of `source` into this arena.
    void OwnTexts(const Arena& source, std::size_t from);
    // Rewrites the arena without the texts no cell refers to, when they are most of it.
    void MaybeCompact() noexcept;

    BigArray<RecRow> rows_;
    Arena arena_;
    std::size_t dead_ = 0;  // arena bytes no cell refers to
    // A compaction that found no memory is not tried again until some was
    // given back or the unused bytes have doubled.
    bool compactFailed_ = false;
    std::uint64_t failedReleases_ = 0;
    std::size_t failedDead_ = 0;
    bool shortage_ = false;
};

// A change of a table: its rows first .. first + before.RowCount() - 1 as
// they were became the rows first .. first + afterRows - 1; the rows above and
// below are as they were. Row 0, the header, may be among them.
struct TableChange {
    int first = 0;
    TextRows before;
    int afterRows = 0;
    std::size_t tableBytes = 0;  // the table's memory after the change
    // False when the change could not be kept for want of memory: the table
    // changed, but no step can take it back.
    bool complete = true;
    bool Empty() const { return complete && before.RowCount() == 0 && afterRows == 0; }
};

class DataTable {
  public:
    static constexpr int kColumns = TextRows::kColumns;
    using Row = TextRows::Row;

    explicit DataTable(int rowCount = 100) : rows_(rowCount < 1 ? 1 : rowCount) {}

    int RowCount() const { return rows_.RowCount(); }
    // Growing appends empty rows; shrinking drops the last rows with their cells.
    // Never below one row (the header).
    void SetRowCount(int count);

    // Read the text through a named CellText; it is valid until the next change of the table.
    CellText Cell(int col, int row) const { return rows_.Cell(col, row); }
    bool CellEmpty(int col, int row) const { return rows_.CellEmpty(col, row); }
    void SetCell(int col, int row, std::string_view text) {
        ++revision_;
        Touch(row, row + 1);
        rows_.SetCell(col, row, text);
    }
    const Row RowAt(int row) const { return rows_.RowAt(row); }
    void SetRow(int row, const Row& texts) {
        ++revision_;
        Touch(row, row + 1);
        rows_.SetRow(row, texts);
    }
    // Every row copied out (tests and small tables).
    std::vector<Row> Rows() const;

    // Removes rows first .. first + count - 1 (the header row stays).
    void EraseRows(int first, int count);
    void ReorderRows(const std::vector<int>& order);
    void MoveColumn(int from, int to);
    // Empties column `col` of rows first .. first + count - 1.
    void ClearColumn(int col, int first, int count);
    // All rows replaced by `rows` (at least the header row); the rows
    // replaced are freed, or kept by the change being recorded.
    void SetRows(TextRows&& rows) { ReplaceRows(0, RowCount(), std::move(rows)); }
    // Rows first .. first + count - 1 replaced by `with`, likewise.
    void ReplaceRows(int first, int count, TextRows&& with);
    TextRows SliceRows(int first, int count) const { return rows_.Slice(first, count); }
    // Rows first .. first + count - 1 taken out; the table is left empty.
    TextRows TakeRows(int first, int count) && {
        ++revision_;
        return std::move(rows_).Take(first, count);
    }
    // As ReplaceRows, giving the rows replaced to the caller.
    TextRows SpliceRows(int first, int count, TextRows&& with);
    bool SameRow(int row, const DataTable& other, int otherRow) const {
        return rows_.SameRow(row, other.rows_, otherRow);
    }
    bool RowEmpty(int row) const { return rows_.RowEmpty(row); }
    std::uint64_t TextHash(int first, int columns) const { return rows_.TextHash(first, columns); }
    std::size_t Bytes() const { return rows_.Bytes(); }
    // True once after the table found too little memory to tidy itself (it
    // lost nothing): the window says so.
    bool TakeMemoryShortage() { return rows_.TakeMemoryShortage(); }

    // Changes whenever the cells or RowCount may have changed.
    std::uint64_t Revision() const { return revision_; }

    // A row counts for the fit when its Y and X texts are both non-empty.
    bool Counts(int row) const { return !CellEmpty(0, row) && !CellEmpty(1, row); }

    // Recording a change for undo: from BeginChange to EndChange every change
    // of the table is gathered into one TableChange, the header row's too.
    // Rows replaced wholesale (a paste, a read, rows deleted) are taken over
    // as they go, rows changed in place are copied just before, so nothing is
    // copied twice and a command need not copy the table first. Nested
    // calls join the outer one.
    void BeginChange();
    bool Recording() const { return journal_.depth > 0; }
    // The change since the outermost BeginChange, without the rows at either
    // end that came out as they were. Never throws, so a scope's end may call it.
    TableChange EndChange() noexcept;

  private:
    // What a change being recorded has done so far: rows first .. first +
    // shown - 1 of the table were the rows `before`.
    struct Journal {
        Journal() = default;
        // A copy of a table does not record.
        Journal(const Journal&) {}
        Journal& operator=(const Journal&) { return *this; }
        Journal(Journal&&) noexcept = default;
        Journal& operator=(Journal&&) noexcept = default;

        int depth = 0;
        bool any = false;
        bool broken = false;
        int first = 0;
        int shown = 0;
        TextRows before;
    };
    // Rows lo .. hi - 1 are about to change in place.
    void Touch(int lo, int hi) {
        if (journal_.depth > 0) TouchRecorded(lo, hi);
    }
    void TouchRecorded(int lo, int hi);
    void ReplaceRecorded(int first, int count, TextRows&& with);

    TextRows rows_;
    std::uint64_t revision_ = 0;
    Journal journal_;
};

}  // namespace kurv
