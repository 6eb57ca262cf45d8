#include "core/datatable.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The characters of a packed number, by their four-bit code.
constexpr char kPackedChar[] = "0123456789.,-+eE";

// A byte's four-bit code, or 0xFF for a byte no number text packs.
constexpr std::array<unsigned char, 256> kPackedCode = [] {
    std::array<unsigned char, 256> t{};
    for (unsigned char& c : t) c = 0xFF;
    for (unsigned char i = 0; i < 16; ++i) t[static_cast<unsigned char>(kPackedChar[i])] = i;
    return t;
}();

// Both characters of a packed byte at once.
constexpr std::array<std::array<char, 2>, 256> kPackedPair = [] {
    std::array<std::array<char, 2>, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = {kPackedChar[b & 15], kPackedChar[b >> 4]};
    return t;
}();

// One word into a hash. For a given word the step is one-to-one in the hash,
// and for a given hash one-to-one in the word: a change of one word always
// changes the hash.
std::uint64_t HashStep(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * 0x9E3779B97F4A7C15u;
    return h ^ (h >> 29);
}

#if defined(__SSE2__)
// Packs 16 characters (zeros past the text) into 8 bytes, the first in the
// low half of the lowest; gives a bit for each that is one of a number's.
inline std::uint32_t PackSixteen(__m128i v, std::uint64_t& packed) {
    const __m128i digit = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    __m128i valid =
        _mm_and_si128(_mm_cmpgt_epi8(digit, _mm_set1_epi8(-1)), _mm_cmplt_epi8(digit, _mm_set1_epi8(10)));
    __m128i code = _mm_and_si128(valid, digit);
    static_assert(std::string_view(kPackedChar) == "0123456789.,-+eE");
    auto other = [&](char c, char k) {
        const __m128i is = _mm_cmpeq_epi8(v, _mm_set1_epi8(c));
        code = _mm_or_si128(code, _mm_and_si128(is, _mm_set1_epi8(k)));
        valid = _mm_or_si128(valid, is);
    };
    other('.', 10), other(',', 11), other('-', 12), other('+', 13), other('e', 14), other('E', 15);
    // Each pair of codes into one byte.
    const __m128i pairs = _mm_and_si128(_mm_or_si128(code, _mm_srli_epi16(code, 4)), _mm_set1_epi16(0xFF));
    packed = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(pairs, pairs)));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(valid));
}
#endif

std::uint32_t Field(const unsigned char* at) {
    std::uint32_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

}  // namespace

// --- the arena ---

TextRows::Arena::Block::Block(std::size_t bytes)
    : data(static_cast<char*>(big_memory::Allocate(bytes))), size(bytes) {}

TextRows::Arena::Block::Block(Block&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      size(std::exchange(other.size, 0)),
      used(std::exchange(other.used, 0)) {}

TextRows::Arena::Block& TextRows::Arena::Block::operator=(Block&& other) noexcept {
    std::swap(data, other.data);
    std::swap(size, other.size);
    std::swap(used, other.used);
    return *this;
}

TextRows::Arena::Block::~Block() {
    big_memory::Free(data, size);
}

TextRows::Arena::Arena(const Arena& other) : used_(other.used_) {
    blocks_.reserve(other.blocks_.size());
    for (const Block& b : other.blocks_) {
        Block copy(std::max<std::size_t>(b.used, 1));
        if (b.used > 0) std::memcpy(copy.data, b.data, b.used);
        copy.used = b.used;
        capacity_ += copy.size;
        blocks_.push_back(std::move(copy));
    }
}

TextRows::Arena& TextRows::Arena::operator=(const Arena& other) {
    if (this != &other) *this = Arena(other);
    return *this;
}

std::uint64_t TextRows::Arena::Append(std::string_view text) {
    if (text.size() > UINT32_MAX || blocks_.size() >= kMostBlocks) throw std::bad_alloc();
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < text.size()) {
        blocks_.reserve(blocks_.size() + 1);
        blocks_.emplace_back(std::max(text.size(), std::clamp(capacity_, kFirstBlock, kLargestBlock)));
        capacity_ += blocks_.back().size;
    }
    Block& b = blocks_.back();
    const std::uint64_t at = (static_cast<std::uint64_t>(blocks_.size() - 1) << 32) | b.used;
    if (!text.empty()) std::memcpy(b.data + b.used, text.data(), text.size());
    b.used += text.size();
    used_ += text.size();
    return at;
}

void TextRows::Arena::Rewrite(std::uint64_t at, std::string_view text) {
    if (!text.empty()) std::memmove(blocks_[at >> 32].data + (at & 0xFFFFFFFFu), text.data(), text.size());
}

std::uint64_t TextRows::Arena::Adopt(Arena&& other) {
    if (blocks_.size() + other.blocks_.size() > kMostBlocks) throw std::bad_alloc();
    blocks_.reserve(blocks_.size() + other.blocks_.size());  // nothing below throws
    const std::uint64_t base = static_cast<std::uint64_t>(blocks_.size()) << 32;
    std::move(other.blocks_.begin(), other.blocks_.end(), std::back_inserter(blocks_));
    used_ += other.used_;
    capacity_ += other.capacity_;
    other = Arena();
    return base;
}

// --- the records ---

std::size_t TextRows::Rec::Size() const {
    const unsigned char kind = b_[11];
    if (kind == kLong) return Field(b_ + 7);
    return kind >= kPacked ? kind - kPacked : kind;
}

std::uint64_t TextRows::Rec::Place() const {
    const std::uint64_t block = b_[4] | (b_[5] << 8) | (static_cast<std::uint64_t>(b_[6]) << 16);
    return (block << 32) | Field(b_);
}

void TextRows::Rec::Read(CellText& out, const Arena& arena) const {
    const unsigned char kind = b_[11];
    if (kind == kLong) {
        const std::string_view text = arena.View(Place(), Field(b_ + 7));
        out.external_ = text.data();
        out.size_ = static_cast<std::uint32_t>(text.size());
    } else if (kind >= kPacked) {
        const std::size_t n = kind - kPacked;
        for (std::size_t i = 0; i < (n + 1) / 2; ++i)
            std::memcpy(out.own_ + 2 * i, kPackedPair[b_[i]].data(), 2);
        out.external_ = nullptr;
        out.size_ = static_cast<std::uint32_t>(n);
    } else {
        out.external_ = reinterpret_cast<const char*>(b_);
        out.size_ = kind;
    }
}

bool TextRows::Rec::SetShort(std::string_view text) {
    // Built aside: the text may be this record's own.
    unsigned char built[12] = {};
    const std::size_t n = text.size();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
#if defined(__SSE2__)
    if (n >= 8 && n <= kPackedChars) {
        // Sixteen characters at a time, read in words that stay within the
        // text: the last word's bytes past those wanted are shifted out.
        std::uint64_t head, tail;
        std::memcpy(&head, p, 8);
        std::memcpy(&tail, p + n - 8, 8);
        __m128i first, second = _mm_setzero_si128();
        if (n < 16) {
            first = _mm_set_epi64x(n > 8 ? static_cast<long long>(tail >> (8 * (16 - n))) : 0,
                                   static_cast<long long>(head));
        } else {
            first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (n > 16) second = _mm_cvtsi64_si128(static_cast<long long>(tail >> (8 * (24 - n))));
        }
        std::uint64_t low = 0, high = 0;
        std::uint32_t valid = PackSixteen(first, low);
        if (n > 16) valid |= PackSixteen(second, high) << 16;
        const std::uint32_t all = (std::uint32_t{1} << n) - 1;
        if ((valid & all) == all) {
            // The bytes past the text's are zeros already.
            const auto last = static_cast<std::uint32_t>(high | ((kPacked + n) << 24));
            std::memcpy(b_, &low, 8);
            std::memcpy(b_ + 8, &last, 4);
            return true;
        }
    } else if (n >= 1 && n < 8) {
#else
    if (n >= 1 && n <= kPackedChars) {
#endif
        // Two characters a byte, without a branch per character: a code of
        // 0xFF marks a character no number has.
        unsigned codes = 0;
        std::size_t i = 0;
        for (; i + 1 < n; i += 2) {
            const unsigned a = kPackedCode[p[i]], b = kPackedCode[p[i + 1]];
            codes |= a | b;
            built[i / 2] = static_cast<unsigned char>(a | (b << 4));
        }
        if (i < n) {
            codes |= kPackedCode[p[i]];
            built[i / 2] = kPackedCode[p[i]];
        }
        if (codes < 16) {
            built[11] = static_cast<unsigned char>(kPacked + n);
            std::memcpy(b_, built, sizeof b_);
            return true;
        }
        std::memset(built, 0, sizeof built);
    }
    if (n > kInlineBytes) return false;
    if (n > 0) std::memcpy(built, p, n);  // an empty view may have no data
    built[11] = static_cast<unsigned char>(n);
    std::memcpy(b_, built, sizeof b_);
    return true;
}

void TextRows::Rec::SetLong(std::uint64_t place, std::size_t size) {
    const auto position = static_cast<std::uint32_t>(place), length = static_cast<std::uint32_t>(size);
    std::memcpy(b_, &position, 4);
    for (int i = 4; i < 7; ++i) b_[i] = static_cast<unsigned char>((place >> (32 + 8 * (i - 4))) & 0xFF);
    std::memcpy(b_ + 7, &length, 4);
    b_[11] = kLong;
}

std::uint64_t TextRows::Rec::Hash(std::uint64_t h, const Arena& arena) const {
    // A record outside the arena is its text's one form. Its last word, which
    // holds the kind, goes first: it tells how many words follow, so that the
    // words of two cells never read as those of two others.
    const std::uint64_t last = Field(b_ + 8);
    if (!IsLong()) {
        std::uint64_t first;
        std::memcpy(&first, b_, sizeof first);
        return HashStep(HashStep(h, last), first);
    }
    const std::string_view text = arena.View(Place(), Size());
    h = HashStep(h, (static_cast<std::uint64_t>(text.size()) << 32) | (last & 0xFF000000u));
    for (std::size_t i = 0; i < text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, std::min<std::size_t>(8, text.size() - i));
        h = HashStep(h, word);
    }
    return h;
}

// --- the store ---

TextRows::Rec TextRows::Encode(std::string_view text) {
    Rec r;
    if (!r.SetShort(text)) r.SetLong(arena_.Append(text), text.size());
    return r;
}

CellText TextRows::Cell(int col, int row) const {
    CellText out;
    rows_[row][col].Read(out, arena_);
    return out;
}

void TextRows::OwnTexts(const Arena& source, std::size_t from) {
    for (std::size_t i = from; i < rows_.size(); ++i)
        for (Rec& r : rows_[i])
            if (r.IsLong()) r.SetLong(arena_.Append(source.View(r.Place(), r.Size())), r.Size());
}

void TextRows::MaybeCompact() noexcept {
    if (dead_ < kCompactFrom || dead_ * 2 < arena_.Used()) return;
    // Without memory for the copy, every later change would try it again:
    // it waits until memory was given back somewhere, or much more is unused.
    if (compactFailed_ && big_memory::Releases() == failedReleases_ && dead_ < 2 * failedDead_) return;
    // The texts are copied first and the records changed only once all are:
    // without the memory for the copy the arena simply stays as it is.
    try {
        Arena fresh;
        BigArray<std::uint64_t> places;
        for (const RecRow& row : rows_)
            for (const Rec& r : row)
                if (r.IsLong()) places.push_back(fresh.Append(arena_.View(r.Place(), r.Size())));
        std::size_t next = 0;
        for (RecRow& row : rows_)
            for (Rec& r : row)
                if (r.IsLong()) r.SetLong(places[next++], r.Size());
        arena_ = std::move(fresh);
        dead_ = 0;
        compactFailed_ = false;
    } catch (const std::bad_alloc&) {
        compactFailed_ = true;
        failedReleases_ = big_memory::Releases();
        failedDead_ = dead_;
        shortage_ = true;
    }
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
    Rec fresh;
    if (fresh.SetShort(text)) {
        Release(r);
        r = fresh;
        MaybeCompact();
        return;
    }
    if (r.IsLong() && text.size() <= r.Size()) {
        // Rewritten where it was; the bytes it no longer needs stay unused.
        dead_ += r.Size() - text.size();
        arena_.Rewrite(r.Place(), text);
        r.SetLong(r.Place(), text.size());
        MaybeCompact();
        return;
    }
    // The arena's blocks stay where they are: `text` may be one of its own.
    const std::uint64_t at = arena_.Append(text);
    Release(r);
    r.SetLong(at, text.size());
    MaybeCompact();
}

const TextRows::Row TextRows::RowAt(int row) const {
    Row out;
    for (int c = 0; c < kColumns; ++c) {
        const CellText text = Cell(c, row);
        out[c] = std::string(text.View());
    }
    return out;
}

void TextRows::SetRow(int row, const Row& texts) {
    for (int c = 0; c < kColumns; ++c) SetCell(c, row, texts[c]);
}

void TextRows::AppendRow(std::string_view a, std::string_view b, std::string_view c) {
    if (rows_.size() >= static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    rows_.Grow(1);
    RecRow row{};
    std::size_t appended = 0;
    try {
        row[0] = Encode(a);
        appended += row[0].IsLong() ? a.size() : 0;
        row[1] = Encode(b);
        appended += row[1].IsLong() ? b.size() : 0;
        row[2] = Encode(c);
    } catch (...) {
        dead_ += appended;  // the texts already in the arena belong to no cell
        throw;
    }
    rows_.push_back(row);
}

bool TextRows::RowEmpty(int row) const {
    for (const Rec& c : rows_[row])
        if (!c.Empty()) return false;
    return true;
}

bool TextRows::SameRow(int row, const TextRows& other, int otherRow) const {
    for (int c = 0; c < kColumns; ++c) {
        const Rec& a = rows_[row][c];
        const Rec& b = other.rows_[otherRow][c];
        if (!a.IsLong() && !b.IsLong()) {
            if (!(a == b)) return false;
        } else if (!a.IsLong() || !b.IsLong() ||
                   arena_.View(a.Place(), a.Size()) != other.arena_.View(b.Place(), b.Size())) {
            return false;
        }
    }
    return true;
}

TextRows TextRows::Slice(int first, int count) const {
    TextRows out;
    out.AppendCopies(*this, first, count);
    return out;
}

void TextRows::AppendCopies(const TextRows& other, int first, int count) {
    if (count <= 0) return;
    const std::size_t from = rows_.size(), used = arena_.Used();
    rows_.Append(other.rows_.data() + first, static_cast<std::size_t>(count));
    try {
        OwnTexts(other.arena_, from);
    } catch (...) {
        rows_.resize(from);
        dead_ += arena_.Used() - used;  // the texts copied so far belong to no cell
        throw;
    }
}

void TextRows::Append(TextRows&& rows) {
    if (rows_.empty() && arena_.Empty()) {
        const bool shortage = shortage_;
        *this = std::move(rows);
        shortage_ = shortage_ || shortage;
        return;
    }
    rows_.Grow(rows.rows_.size());
    const std::uint64_t base = arena_.Adopt(std::move(rows.arena_));  // nothing below throws
    for (RecRow& row : rows.rows_)
        for (Rec& r : row)
            if (r.IsLong()) r.SetLong(r.Place() + base, r.Size());
    rows_.Append(rows.rows_.data(), rows.rows_.size());
    dead_ += rows.dead_;
    rows = TextRows();
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
    rows_.resize(static_cast<std::size_t>(first + count));
    rows_.Erase(0, static_cast<std::size_t>(first));
    MaybeCompact();
    return std::exchange(*this, TextRows());
}

TextRows TextRows::Splice(int first, int count, TextRows&& with) {
    if (first == 0 && count == RowCount()) {
        // The whole store changes hands: nothing is copied.
        const bool shortage = shortage_;
        TextRows out = std::exchange(*this, std::move(with));
        shortage_ = shortage_ || shortage;
        return out;
    }
    TextRows out = Slice(first, count);
    const std::size_t n = rows_.size(), k = with.rows_.size(), c = static_cast<std::size_t>(count);
    rows_.reserve(n - c + k);
    const std::uint64_t base = arena_.Adopt(std::move(with.arena_));  // nothing below throws
    for (RecRow& row : with.rows_)
        for (Rec& r : row)
            if (r.IsLong()) r.SetLong(r.Place() + base, r.Size());
    for (int r = first; r < first + count; ++r)
        for (const Rec& cell : rows_[r]) Release(cell);
    dead_ += with.dead_;
    const std::size_t at = static_cast<std::size_t>(first), common = std::min(c, k);
    std::copy_n(with.rows_.data(), common, rows_.data() + at);
    if (c > common)
        rows_.Erase(at + common, c - common);
    else
        rows_.Insert(at + common, with.rows_.data() + common, k - common);
    with = TextRows();
    MaybeCompact();
    return out;
}

void TextRows::Erase(int first, int count) {
    for (int r = first; r < first + count; ++r)
        for (const Rec& c : rows_[r]) Release(c);
    rows_.Erase(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    MaybeCompact();
}

void TextRows::Reorder(const std::vector<int>& order) {
    const std::size_t n = rows_.size(), m = order.size();
    std::vector<bool> named(n, false);
    for (int r : order)
        if (r >= 0) named[static_cast<std::size_t>(r)] = true;
    // Gathered into a new array the rows are read at random once and written
    // in order; without the memory for it they move in place.
    BigArray<RecRow> gathered;
    try {
        gathered.reserve(m);
    } catch (const std::bad_alloc&) {
        ReorderInPlace(order);
        return;
    }
    for (std::size_t r = 0; r < n; ++r)
        if (!named[r])
            for (const Rec& c : rows_[r]) Release(c);
    for (int r : order) gathered.push_back(r >= 0 ? rows_[static_cast<std::size_t>(r)] : RecRow{});
    rows_.swap(gathered);
    MaybeCompact();
}

void TextRows::ReorderInPlace(const std::vector<int>& order) {
    // The records move along the cycles of a permutation, with no second
    // array of records. The rows named go to their places; the others
    // (dropped rows, emptied first, and rows added) fill the places of -1 and
    // those past the new end, in order.
    const std::size_t n = rows_.size(), m = order.size(), total = std::max(n, m);
    std::vector<std::size_t> to(total, SIZE_MAX);  // to[row] = its place
    for (std::size_t k = 0; k < m; ++k)
        if (order[k] >= 0) to[static_cast<std::size_t>(order[k])] = k;
    std::vector<bool> placed(total, false);
    rows_.reserve(total);
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

void TextRows::ClearColumn(int col, int first, int count) {
    for (int r = first; r < first + count; ++r) {
        Release(rows_[r][col]);
        rows_[r][col] = Rec{};
    }
    MaybeCompact();
}

std::uint64_t TextRows::TextHash(int first, int columns) const {
    std::uint64_t h = 14695981039346656037u;
    columns = std::clamp(columns, 0, kColumns);
    for (std::size_t r = static_cast<std::size_t>(std::max(first, 0)); r < rows_.size(); ++r) {
        const RecRow& row = rows_[r];
        bool any = false;
        for (int c = 0; c < columns; ++c) any = any || !row[c].Empty();
        if (!any) continue;
        for (int c = 0; c < columns; ++c) h = row[c].Hash(h, arena_);
    }
    return h;
}

std::size_t TextRows::Bytes() const {
    return sizeof(*this) + rows_.capacity() * sizeof(RecRow) + arena_.Capacity();
}

// --- the table ---

std::vector<DataTable::Row> DataTable::Rows() const {
    std::vector<Row> out;
    out.reserve(static_cast<std::size_t>(RowCount()));
    for (int r = 0; r < RowCount(); ++r) out.push_back(RowAt(r));
    return out;
}

void DataTable::SetRowCount(int count) {
    ++revision_;
    count = std::max(count, 1);
    const int n = RowCount();
    if (journal_.depth == 0 || count == n) {
        rows_.Resize(count);
    } else if (count < n) {
        ReplaceRecorded(count, n - count, TextRows());
    } else {
        ReplaceRecorded(n, 0, TextRows(count - n));
    }
}

void DataTable::EraseRows(int first, int count) {
    ++revision_;
    first = std::max(first, 1);
    count = std::min(count, RowCount() - first);
    if (count <= 0) return;
    if (journal_.depth > 0)
        ReplaceRecorded(first, count, TextRows());
    else
        rows_.Erase(first, count);
}

void DataTable::ReorderRows(const std::vector<int>& order) {
    ++revision_;
    Touch(0, RowCount());
    rows_.Reorder(order);
    if (journal_.depth > 0 && !journal_.broken) journal_.shown = RowCount();  // the region is every row
}

void DataTable::MoveColumn(int from, int to) {
    ++revision_;
    Touch(0, RowCount());
    rows_.MoveColumn(from, to);
}

void DataTable::ClearColumn(int col, int first, int count) {
    ++revision_;
    if (count <= 0) return;
    Touch(first, first + count);
    rows_.ClearColumn(col, first, count);
}

void DataTable::ReplaceRows(int first, int count, TextRows&& with) {
    ++revision_;
    if (first == 0 && count == RowCount() && with.RowCount() == 0) with.Resize(1);  // the header row stays
    if (journal_.depth > 0)
        ReplaceRecorded(first, count, std::move(with));
    else
        rows_.Splice(first, count, std::move(with));
}

TextRows DataTable::SpliceRows(int first, int count, TextRows&& with) {
    if (journal_.depth == 0) {
        ++revision_;
        return rows_.Splice(first, count, std::move(with));
    }
    TextRows removed = rows_.Slice(first, count);
    ReplaceRows(first, count, std::move(with));
    return removed;
}

void DataTable::BeginChange() {
    if (journal_.depth++ > 0) return;
    journal_.any = false;
    journal_.broken = false;
    journal_.before = TextRows();
}

void DataTable::TouchRecorded(int lo, int hi) {
    Journal& j = journal_;
    if (j.broken || lo >= hi) return;
    if (!j.any) {
        j.before = rows_.Slice(lo, hi - lo);
        j.first = lo;
        j.shown = hi - lo;
        j.any = true;
        return;
    }
    if (lo < j.first) {
        TextRows left = rows_.Slice(lo, j.first - lo);
        left.Append(std::move(j.before));
        j.before = std::move(left);
        j.shown += j.first - lo;
        j.first = lo;
    }
    const int end = j.first + j.shown;
    if (hi > end) {
        j.before.AppendCopies(rows_, end, hi - end);
        j.shown = hi - j.first;
    }
}

// The region recorded so far and the rows replaced now may lie apart, meet or
// overlap. The new region covers both and the rows between them; its old rows
// are, in order: the replaced rows left of the region, the rows between (as
// they are: unchanged so far), the region's old rows, and likewise on the
// right. Replaced rows inside the region are dropped: its old rows stand for them.
void DataTable::ReplaceRecorded(int first, int count, TextRows&& with) {
    Journal& j = journal_;
    const int added = with.RowCount();
    if (j.broken) {
        rows_.Splice(first, count, std::move(with));
        return;
    }
    if (!j.any) {
        j.before = rows_.Splice(first, count, std::move(with));
        j.first = first;
        j.shown = added;
        j.any = true;
        return;
    }
    const int end = j.first + j.shown, last = first + count;
    TextRows gapLeft, gapRight;
    if (last < j.first) gapLeft = rows_.Slice(last, j.first - last);
    if (first > end) gapRight = rows_.Slice(end, first - end);
    TextRows removed = rows_.Splice(first, count, std::move(with));
    // The table has changed; should the record fail now, the change stays and no step can undo it.
    try {
        TextRows before;
        if (first < j.first) before.Append(removed.Slice(0, std::min(last, j.first) - first));
        before.Append(std::move(gapLeft));
        before.Append(std::move(j.before));
        before.Append(std::move(gapRight));
        if (last > end) {
            const int from = std::max(first, end) - first;
            before.Append(removed.Slice(from, count - from));
        }
        const int lo = std::min(first, j.first), hi = std::max(last, end);
        j.before = std::move(before);
        j.first = lo;
        j.shown = hi - lo - count + added;
    } catch (const std::bad_alloc&) {
        j.broken = true;
        j.before = TextRows();
    }
}

TableChange DataTable::EndChange() noexcept {
    TableChange change;
    if (journal_.depth == 0 || --journal_.depth > 0) return change;
    Journal& j = journal_;
    change.tableBytes = Bytes();
    if (j.broken) {
        change.complete = false;
    } else if (j.any) {
        // Rows that came out as they were, at either end of the region, are no part of the change.
        const int b = j.before.RowCount();
        int front = 0, back = 0;
        while (front < b && front < j.shown && j.before.SameRow(front, rows_, j.first + front)) ++front;
        while (back < b - front && back < j.shown - front &&
               j.before.SameRow(b - 1 - back, rows_, j.first + j.shown - 1 - back))
            ++back;
        if (j.first == 0 && j.shown == RowCount() && front < std::min(b, j.shown)) {
            // A change of every row is kept whole, header included, even where
            // the ends came out as they were: undo and redo then swap the
            // stores instead of copying the rows.
            front = back = 0;
        }
        if (front > 0 || back > 0) {
            try {
                j.before = std::move(j.before).Take(front, b - front - back);
            } catch (const std::bad_alloc&) {
                front = back = 0;  // Take leaves j.before whole when it finds no memory: kept as it is
            }
        }
        change.first = j.first + front;
        change.afterRows = j.shown - front - back;
        change.before = std::move(j.before);
    }
    j.any = false;
    j.broken = false;
    j.before = TextRows();
    return change;
}

}  // namespace kurv
