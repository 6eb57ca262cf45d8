#include "core/datafile_format.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "core/pairs_beside.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kurv {

namespace {

// The white space that separates the values of a line.
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// The first two tokens between `at` and `end`, either possibly empty.
void TakeTokens(const char* at, const char* end, std::string_view& y, std::string_view& x) {
    for (std::string_view* t : {&y, &x}) {
        while (at < end && IsBlank(*at)) ++at;
        const char* const from = at;
        while (at < end && !IsBlank(*at)) ++at;
        *t = std::string_view(from, static_cast<std::size_t>(at - from));
    }
}

// Windows-1251, bytes 0x80 .. 0xFF.
constexpr std::uint16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

}  // namespace

std::string DataFileBytes(const DataTable& table) {
    std::size_t size = 0;
    for (int r = 1; r < table.RowCount(); ++r) size += table.Cell(0, r).size() + table.Cell(1, r).size() + 2;
    std::string out;
    out.reserve(size);
    for (int r = 1; r < table.RowCount(); ++r) {
        if (table.CellEmpty(0, r) && table.CellEmpty(1, r)) continue;
        const CellText y = table.Cell(0, r), x = table.Cell(1, r);
        out += y.View();
        out += ' ';
        out += x.View();
        out += '\n';
    }
    return out;
}

DataFileRead DataFileLines::Open(std::string_view bytes) {
    if (!bytes.empty() && std::memchr(bytes.data(), '\0', bytes.size())) return DataFileRead::InvalidData;
    text_ = bytes;
    if (!IsValidUtf8(bytes)) {
        decoded_ = Cp1251ToUtf8(bytes);
        text_ = decoded_;
    }
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
    if (text_.empty()) return DataFileRead::Empty;
    // Lines end in LF (or CR LF). A file without any LF but with CRs has the old
    // CR-only line ends; read as one line it would lose all but its first pair.
    eol_ = text_.find('\n') == std::string_view::npos && text_.find('\r') != std::string_view::npos ? '\r'
                                                                                                    : '\n';
    return DataFileRead::Read;
}

std::size_t DataFileLines::LineStartFrom(std::size_t offset) const {
    if (offset == 0 || offset >= text_.size()) return std::min(offset, text_.size());
    const std::size_t eol = text_.find(eol_, offset - 1);
    return eol == std::string_view::npos ? text_.size() : eol + 1;
}

#if defined(__SSE2__)
namespace {

// Among the 64 bytes at `at`: a bit for each blank byte, and for each byte `eol`.
inline void Look64(const char* at, char eol, std::uint64_t& blank, std::uint64_t& eols) {
    blank = eols = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i));
        const __m128i fromTab = _mm_sub_epi8(b, _mm_set1_epi8('\t'));  // '\t' .. '\r' become 0 .. 4
        const __m128i isBlank =
            _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')),
                         _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab));
        blank |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(isBlank))} << (16 * i);
        eols |= std::uint64_t{static_cast<std::uint16_t>(
                    _mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_set1_epi8(eol))))}
                << (16 * i);
    }
}

// The first token at or after bit `from`, given the blank bits; gives the bit
// after it, or -1 when the look does not show where it ends.
inline int TokenIn(const char* at, std::uint64_t blank, int from, std::string_view& t) {
    const std::uint64_t chars = ~blank & (~std::uint64_t{0} << from);
    if (chars == 0) return -1;
    const int begin = std::countr_zero(chars);
    const std::uint64_t after = blank >> begin;
    if (after == 0) return -1;
    const int stop = begin + std::countr_zero(after);
    t = std::string_view(at + begin, static_cast<std::size_t>(stop - begin));
    return stop;
}

}  // namespace
#endif

bool DataFileLineReader::Next(std::string_view& y, std::string_view& x) {
    if (at_ >= end_) return false;
#if defined(__SSE2__)
    // A line that ends within the next 64 bytes, as nearly all do, is split in
    // one look.
    if (end_ - at_ >= 64) {
        std::uint64_t blank, eol;
        Look64(at_, eol_, blank, eol);
        if (eol != 0) {
            const int end = std::countr_zero(eol);
            blank |= ~std::uint64_t{0} << end;  // a token ends at the line's end
            const std::string_view none(at_ + end, 0);
            const int yEnd = TokenIn(at_, blank, 0, y);
            if (yEnd < 0) y = none;
            if (yEnd < 0 || TokenIn(at_, blank, yEnd, x) < 0) x = none;
            at_ += end + 1;
            return true;
        }
    }
#endif
    const void* found = std::memchr(at_, eol_, static_cast<std::size_t>(end_ - at_));
    const char* const lineEnd = found ? static_cast<const char*>(found) : end_;
    TakeTokens(at_, lineEnd, y, x);
    at_ = lineEnd + 1;
    return true;
}

void DataFileLineReader::TokensFrom(std::string_view text, std::size_t yStart, std::string_view& y,
                                    std::string_view& x) {
    const char* const at = text.data() + yStart;
#if defined(__SSE2__)
    if (text.size() - yStart >= 64) {
        std::uint64_t blank, unused;
        Look64(at, '\n', blank, unused);
        const int yEnd = TokenIn(at, blank, 0, y);
        if (yEnd >= 0 && TokenIn(at, blank, yEnd, x) >= 0) return;
    }
#endif
    TakeTokens(at, text.data() + text.size(), y, x);
}

DataFileRead ReadDataFile(DataTable& table, std::string_view bytes, Progress* progress, PairsAhead* ahead) {
    DataFileLines file;
    if (const DataFileRead opened = file.Open(bytes); opened != DataFileRead::Read) return opened;
    const std::string_view text = file.Text();
    PairsBeside beside(ahead, text.size(), [&file](auto take) {
        DataFileLineReader lines = file.Lines();
        for (std::string_view y, x; lines.Next(y, x);)
            if (!take(y, x)) return;
    });
    const char* const textEnd = text.data() + text.size();
    // Built aside, so that running out of memory or stopping leaves the table as it was.
    TextRows rows;
    rows.AppendRow(table.RowAt(0));
    std::uint64_t report = 0;
    DataFileLineReader lines = file.Lines();
    for (std::string_view y, x; lines.Next(y, x);) {
        if (rows.RowCount() > std::numeric_limits<int>::max() - 2) return DataFileRead::InvalidData;
        rows.AppendRow(y, x);
        const auto done = static_cast<std::uint64_t>(std::min(lines.At(), textEnd) - text.data());
        if (progress && done >= report) {
            report = done + kProgressStep;
            if (!progress->Advance(done, text.size())) return DataFileRead::Cancelled;
        }
    }
    rows.AppendRow();
    rows.ShrinkToFit();
    table.SetRows(std::move(rows));
    beside.Built(table);
    return DataFileRead::Read;
}

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        // Most files are ASCII: eight bytes at a time.
        for (std::uint64_t w; i + 8 <= n; i += 8) {
            std::memcpy(&w, s.data() + i, 8);
            if (w & 0x8080808080808080u) break;
        }
        if (i >= n) break;
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
        if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
        i += len;
    }
    return true;
}

std::string Cp1251ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
            continue;
        }
        const std::uint16_t cp = kCp1251High[b - 0x80];
        if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string FileTextToUtf8(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp1251ToUtf8(bytes);
}

}  // namespace kurv
