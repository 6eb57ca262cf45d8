#include "core/datatable.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <utility>

namespace kurv {

namespace {

// The arena is rewritten only once its unused part is worth the copy.
constexpr std::size_t kCompactFrom = std::size_t{1} << 16;

// Each new block of the arena is as large as all before it, from 256 bytes
// up to 1 MiB; a longer text gets a block of its own size.
constexpr std::size_t kFirstBlock = 256;
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;
// A record has 3 bytes for the block's number.
constexpr std::size_t kMostBlocks = std::size_t{1} << 24;

}  // namespace

std::uint32_t TextRows::Rec::Field(int at) const {
    std::uint32_t v;
    std::memcpy(&v, b_ + at, sizeof v);
    return v;
}

std::size_t TextRows::Rec::Size() const {
    return IsLong() ? Field(7) : b_[15];
}

std::size_t TextRows::Rec::Room() const {
    return Field(11);
}

std::uint64_t TextRows::Rec::Place() const {
    const std::uint64_t block = b_[4] | (b_[5] << 8) | (static_cast<std::uint64_t>(b_[6]) << 16);
    return (block << 32) | Field(0);
}

TextRows::Arena::Arena(const Arena& other) : used_(other.used_) {
    blocks_.reserve(other.blocks_.size());
    for (const Block& b : other.blocks_) {
        Block copy{std::make_unique_for_overwrite<char[]>(b.used), b.used, b.used};
        std::copy_n(b.data.get(), b.used, copy.data.get());
        blocks_.push_back(std::move(copy));
        capacity_ += b.used;
    }
}

TextRows::Arena& TextRows::Arena::operator=(const Arena& other) {
    if (this != &other) *this = Arena(other);
    return *this;
}

std::uint64_t TextRows::Arena::Append(std::string_view text) {
    if (text.size() > UINT32_MAX || blocks_.size() >= kMostBlocks) throw std::bad_alloc();
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < text.size()) {
        const std::size_t size = std::max(text.size(), std::clamp(capacity_, kFirstBlock, kLargestBlock));
        blocks_.push_back(Block{std::make_unique_for_overwrite<char[]>(size), size, 0});
        capacity_ += size;
    }
    Block& b = blocks_.back();
    const std::uint64_t at = (static_cast<std::uint64_t>(blocks_.size() - 1) << 32) | b.used;
    if (!text.empty()) std::memcpy(b.data.get() + b.used, text.data(), text.size());
    b.used += text.size();
    used_ += text.size();
    return at;
}

void TextRows::Arena::Rewrite(std::uint64_t at, std::string_view text) {
    if (!text.empty())
        std::memmove(blocks_[at >> 32].data.get() + (at & 0xFFFFFFFFu), text.data(), text.size());
}

std::uint64_t TextRows::Arena::Adopt(Arena&& other) {
    if (blocks_.size() + other.blocks_.size() > kMostBlocks) throw std::bad_alloc();
    const std::uint64_t base = static_cast<std::uint64_t>(blocks_.size()) << 32;
    std::move(other.blocks_.begin(), other.blocks_.end(), std::back_inserter(blocks_));
    used_ += other.used_;
    capacity_ += other.capacity_;
    other = Arena();
    return base;
}

std::string_view TextRows::Rec::View(const Arena& arena) const {
    if (IsLong()) return arena.View(Place(), Size());
    return std::string_view(reinterpret_cast<const char*>(b_), b_[15]);
}

void TextRows::Rec::SetInline(std::string_view text) {
    unsigned char copy[16] = {};                                     // the text may be this record's own
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());  // an empty view may have no data
    copy[15] = static_cast<unsigned char>(text.size());
    std::memcpy(b_, copy, sizeof b_);
}

void TextRows::Rec::SetLong(std::uint64_t place, std::size_t size, std::size_t room) {
    const auto position = static_cast<std::uint32_t>(place), length = static_cast<std::uint32_t>(size),
               space = static_cast<std::uint32_t>(room);
    std::memcpy(b_, &position, 4);
    for (int i = 4; i < 7; ++i) b_[i] = static_cast<unsigned char>((place >> (32 + 8 * (i - 4))) & 0xFF);
    std::memcpy(b_ + 7, &length, 4);
    std::memcpy(b_ + 11, &space, 4);
    b_[15] = kLong;
}

void TextRows::Release(const Rec& r) {
    if (r.IsLong()) dead_ += r.Room();
}

void TextRows::MaybeCompact() {
    if (dead_ < kCompactFrom || dead_ * 2 < arena_.Used()) return;
    // The texts are copied first and the records changed only once all are:
    // without the memory for the copy the arena simply stays as it is.
    Arena fresh;
    std::vector<std::uint64_t> places;
    try {
        for (const RecRow& row : rows_)
            for (const Rec& r : row)
                if (r.IsLong()) places.push_back(fresh.Append(r.View(arena_)));
    } catch (const std::bad_alloc&) {
        return;
    }
    std::size_t next = 0;
    for (RecRow& row : rows_)
        for (Rec& r : row)
            if (r.IsLong()) r.SetLong(places[next++], r.Size(), r.Size());
    arena_ = std::move(fresh);
    dead_ = 0;
}

void TextRows::Resize(int count) {
    const std::size_t n = count < 0 ? 0 : static_cast<std::size_t>(count);
    for (std::size_t r = n; r < rows_.size(); ++r)
        for (const Rec& c : rows_[r]) Release(c);
    rows_.resize(n);
    // A table cut from a million rows to a few gives its memory back.
    if (rows_.capacity() > 4096 && rows_.size() < rows_.capacity() / 4) rows_.shrink_to_fit();
    MaybeCompact();
}

void TextRows::SetCell(int col, int row, std::string_view text) {
    Rec& r = rows_[row][col];
    if (text.size() <= kInlineBytes) {
        Release(r);
        r.SetInline(text);
        MaybeCompact();
        return;
    }
    if (r.IsLong() && text.size() <= r.Room()) {
        // Rewritten in its room: a recalculation rewrites a million column-2
        // texts of much the same length each run.
        arena_.Rewrite(r.Place(), text);
        r.SetLong(r.Place(), text.size(), r.Room());
        return;
    }
    // The arena's blocks stay where they are: `text` may be one of its own.
    const std::uint64_t at = arena_.Append(text);
    Release(r);
    r.SetLong(at, text.size(), text.size());
    MaybeCompact();
}

const TextRows::Row TextRows::RowAt(int row) const {
    Row out;
    for (int c = 0; c < kColumns; ++c) out[c] = std::string(Cell(c, row));
    return out;
}

void TextRows::SetRow(int row, const Row& texts) {
    for (int c = 0; c < kColumns; ++c) SetCell(c, row, texts[c]);
}

void TextRows::AppendRow(const Row& texts) {
    rows_.emplace_back();
    SetRow(RowCount() - 1, texts);
}

bool TextRows::RowEmpty(int row) const {
    for (const Rec& c : rows_[row])
        if (c.Size() != 0) return false;
    return true;
}

bool TextRows::SameRow(int row, const TextRows& other, int otherRow) const {
    for (int c = 0; c < kColumns; ++c) {
        const Rec& a = rows_[row][c];
        const Rec& b = other.rows_[otherRow][c];
        if (!a.IsLong() && !b.IsLong()) {
            if (!(a == b)) return false;
        } else if (a.View(arena_) != b.View(other.arena_)) {
            return false;
        }
    }
    return true;
}

TextRows TextRows::Slice(int first, int count) const {
    TextRows out;
    out.rows_.assign(rows_.begin() + first, rows_.begin() + first + count);
    for (RecRow& row : out.rows_)
        for (Rec& r : row)
            if (r.IsLong()) {
                const std::string_view text = r.View(arena_);
                r.SetLong(out.arena_.Append(text), text.size(), text.size());
            }
    return out;
}

TextRows TextRows::Take(int first, int count) && {
    if (static_cast<std::size_t>(count) * 2 < rows_.capacity()) {
        TextRows out = Slice(first, count);
        *this = TextRows();
        return out;
    }
    for (int r = 0; r < RowCount(); ++r)
        if (r < first || r >= first + count)
            for (const Rec& c : rows_[r]) Release(c);
    rows_.erase(rows_.begin() + first + count, rows_.end());
    rows_.erase(rows_.begin(), rows_.begin() + first);
    MaybeCompact();
    return std::exchange(*this, TextRows());
}

TextRows TextRows::Splice(int first, int count, TextRows&& with) {
    TextRows removed = Slice(first, count);
    Replace(first, count, std::move(with));
    return removed;
}

void TextRows::Erase(int first, int count) {
    Replace(first, count, TextRows());
}

void TextRows::Replace(int first, int count, TextRows&& with) {
    for (int r = first; r < first + count; ++r)
        for (const Rec& c : rows_[r]) Release(c);
    dead_ += with.dead_;
    const std::uint64_t base = arena_.Adopt(std::move(with.arena_));
    for (RecRow& row : with.rows_)
        for (Rec& r : row)
            if (r.IsLong()) r.SetLong(r.Place() + base, r.Size(), r.Room());
    const auto at = rows_.begin() + first;
    const int common = std::min(count, with.RowCount());
    std::copy(with.rows_.begin(), with.rows_.begin() + common, at);
    if (count > common)
        rows_.erase(at + common, at + count);
    else
        rows_.insert(at + common, with.rows_.begin() + common, with.rows_.end());
    with = TextRows();
    MaybeCompact();
}

void TextRows::Reorder(const std::vector<int>& order) {
    // The records move in place, along the cycles of a permutation: a
    // million rows need no second array of records. The rows named go to
    // their places; the others (dropped rows, emptied first, and rows added)
    // fill the places of -1 and those past the new end, in order.
    const std::size_t n = rows_.size(), m = order.size(), total = std::max(n, m);
    std::vector<std::size_t> to(total, SIZE_MAX);  // to[row] = its place
    for (std::size_t k = 0; k < m; ++k)
        if (order[k] >= 0) to[static_cast<std::size_t>(order[k])] = k;
    std::vector<bool> placed(total, false);
    if (total > rows_.capacity()) rows_.reserve(total);
    // Nothing below allocates: the store changes wholly or not at all.
    std::size_t free = 0;
    for (std::size_t r = 0; r < total; ++r) {
        if (to[r] != SIZE_MAX) continue;
        while (free < m && order[free] >= 0) ++free;
        to[r] = free++;
        if (r < n) {
            for (const Rec& c : rows_[r]) Release(c);
            rows_[r] = RecRow{};
        }
    }
    rows_.resize(total);
    for (std::size_t start = 0; start < total; ++start) {
        if (placed[start]) continue;
        RecRow carried = rows_[start];
        std::size_t r = start;
        do {
            placed[r] = true;
            std::swap(carried, rows_[to[r]]);  // row r to its place; that place's row is carried on
            r = to[r];
        } while (r != start);
    }
    rows_.resize(m);
    MaybeCompact();
}

void TextRows::MoveColumn(int from, int to) {
    for (RecRow& r : rows_) {
        if (from < to)
            std::rotate(r.begin() + from, r.begin() + from + 1, r.begin() + to + 1);
        else if (from > to)
            std::rotate(r.begin() + to, r.begin() + from, r.begin() + from + 1);
    }
}

std::size_t TextRows::Bytes() const {
    return sizeof(*this) + rows_.capacity() * sizeof(RecRow) + arena_.Capacity();
}

std::vector<DataTable::Row> DataTable::Rows() const {
    std::vector<Row> out;
    out.reserve(static_cast<std::size_t>(RowCount()));
    for (int r = 0; r < RowCount(); ++r) out.push_back(RowAt(r));
    return out;
}

void DataTable::EraseRows(int first, int count) {
    ++revision_;
    first = std::max(first, 1);
    count = std::min(count, RowCount() - first);
    if (count > 0) rows_.Erase(first, count);
}

}  // namespace kurv
