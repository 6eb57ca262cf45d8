#include "core/clipboard_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "core/pairs_beside.h"
#include "core/table_ops.h"

namespace kurv {

namespace {

template <class Char>
bool IsSeparator(Char ch) {
    // TAB, LF and CR in one test.
    const auto c = static_cast<std::make_unsigned_t<Char>>(ch);
    return c <= 13 && ((0x2600u >> c) & 1u);
}

// Appends the UTF-8 form of UTF-16 text; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            else
                c = 0xFFFD;
        }
        if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
        } else {
            if (c < 0x10000) {
                out += static_cast<char>(0xE0 | (c >> 12));
            } else {
                out += static_cast<char>(0xF0 | (c >> 18));
                out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            }
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The tokens of a text in order, each as UTF-8. A token stays valid while
// the next one is read (a UTF-16 text's tokens take turns in two buffers).
template <class Char>
class TokenReader {
  public:
    explicit TokenReader(std::basic_string_view<Char> text) : text_(text) {}

    bool Next(std::string_view& token) {
        const std::size_t n = text_.size();
        while (at_ < n && IsSeparator(text_[at_])) ++at_;
        const std::size_t start = at_;
        if constexpr (std::is_same_v<Char, char>) SkipWords();
        while (at_ < n && !IsSeparator(text_[at_])) ++at_;
        if (at_ == start) return false;
        if constexpr (std::is_same_v<Char, char>) {
            token = text_.substr(start, at_ - start);
        } else {
            std::string& out = utf8_[turn_ ^= 1];
            out.clear();
            AppendUtf8(out, text_.substr(start, at_ - start));
            token = out;
        }
        return true;
    }
    std::size_t Position() const { return at_; }
    std::size_t Size() const { return text_.size(); }

  private:
    // Skips eight bytes at a time while none of them is below 14 (so no TAB,
    // CR or LF), as in the texts of numbers.
    void SkipWords() {
        for (std::uint64_t w; at_ + 8 <= text_.size(); at_ += 8) {
            std::memcpy(&w, text_.data() + at_, 8);
            if ((w - 0x0E0E0E0E0E0E0E0Eu) & ~w & 0x8080808080808080u) return;
        }
    }

    std::basic_string_view<Char> text_;
    std::size_t at_ = 0;
    std::string utf8_[2];
    int turn_ = 0;
};

// Reports now and then; false when the work is to stop.
template <class Char>
class Reporter {
  public:
    Reporter(Progress* progress, const TokenReader<Char>& tokens) : progress_(progress), tokens_(tokens) {}
    bool Going() {
        if (!progress_ || tokens_.Position() < next_) return true;
        next_ = tokens_.Position() + kProgressStep;
        return progress_->Advance(tokens_.Position(), tokens_.Size());
    }

  private:
    Progress* progress_;
    const TokenReader<Char>& tokens_;
    std::size_t next_ = 0;
};

enum class Read { Some, None, Stopped };

// Appends the tokens to `rows` in pairs (Y, X), the last pair's X empty when
// the count is odd.
template <class Char>
Read ReadPairs(std::basic_string_view<Char> text, TextRows& rows, Progress* progress) {
    TokenReader<Char> tokens(text);
    Reporter<Char> reporter(progress, tokens);
    std::string_view y, x;
    bool any = false;
    while (tokens.Next(y)) {
        any = true;
        if (!tokens.Next(x)) x = {};
        rows.AppendRow(y, x);
        if (!reporter.Going()) return Read::Stopped;
    }
    return any ? Read::Some : Read::None;
}

template <class Char>
PasteResult PasteTableFrom(DataTable& table, std::basic_string_view<Char> text, Progress* progress,
                           PairsAhead* ahead) {
    PairsBeside beside(ahead, text.size() * sizeof(Char), [text](auto take) {
        TokenReader<Char> tokens(text);
        std::string_view y, x;
        while (tokens.Next(y)) {
            if (!tokens.Next(x)) x = {};
            if (!take(y, x)) return;
        }
    });
    TextRows rows;
    rows.AppendRow(table.RowAt(0));
    const Read read = ReadPairs(text, rows, progress);
    if (read != Read::Some) return read == Read::None ? PasteResult::NoTokens : PasteResult::Cancelled;
    rows.AppendRow();  // every data row emptied, one empty row after the last pair
    rows.ShrinkToFit();
    table.SetRows(std::move(rows));
    beside.Built(table);
    return PasteResult::Pasted;
}

template <class Char>
PasteResult AppendTableFrom(DataTable& table, std::basic_string_view<Char> text, Progress* progress) {
    const int n = table.RowCount();
    int first = std::max(n - 1, 1);
    if (first < n && !(table.CellEmpty(0, first) && table.CellEmpty(1, first))) ++first;
    TextRows rows;
    const Read read = ReadPairs(text, rows, progress);
    if (read != Read::Some) return read == Read::None ? PasteResult::NoTokens : PasteResult::Cancelled;
    if (first < n) {
        const CellText fitted = table.Cell(2, first);  // the row written over keeps its column 2
        rows.SetCell(2, 0, fitted);
    }
    rows.AppendRow();
    rows.ShrinkToFit();
    table.ReplaceRows(first, n - first, std::move(rows));
    return PasteResult::Pasted;
}

template <class Char>
PasteResult PasteColumnFrom(DataTable& table, int blockLeftColumn, std::basic_string_view<Char> text,
                            Progress* progress) {
    const int c = OperandColumn(blockLeftColumn), kept = 1 - c, n = table.RowCount();
    // Row r of the new rows: the token, the other input column's text as it
    // was, column 2 empty.
    TextRows rows;
    rows.AppendRow(table.RowAt(0));
    auto append = [&](std::string_view token) {
        const int r = rows.RowCount();
        const CellText other = r < n ? table.Cell(kept, r) : CellText();
        if (c == 0)
            rows.AppendRow(token, other);
        else
            rows.AppendRow(other, token);
    };
    TokenReader<Char> tokens(text);
    Reporter<Char> reporter(progress, tokens);
    std::string_view token;
    while (tokens.Next(token)) {
        append(token);
        if (!reporter.Going()) return PasteResult::Cancelled;
    }
    if (rows.RowCount() == 1) return PasteResult::NoTokens;
    const int total = std::max(n, rows.RowCount() + 1);
    while (rows.RowCount() < total) append({});
    rows.ShrinkToFit();
    table.SetRows(std::move(rows));
    return PasteResult::Pasted;
}

}  // namespace

std::string TableText(const DataTable& table) {
    std::size_t size = 0;
    for (int r = 1; r < table.RowCount(); ++r) size += table.Cell(0, r).size() + table.Cell(1, r).size() + 3;
    std::string text;
    text.reserve(size);
    for (int r = 1; r < table.RowCount(); ++r) {
        const CellText y = table.Cell(0, r), x = table.Cell(1, r);
        text += y.View();
        text += '\t';
        text += x.View();
        text += "\r\n";
    }
    return text;
}

std::string ColumnText(const DataTable& table, int blockLeftColumn) {
    const int c = OperandColumn(blockLeftColumn);
    std::size_t size = 0;
    for (int r = 1; r < table.RowCount(); ++r) size += table.Cell(c, r).size() + 2;
    std::string text;
    text.reserve(size);
    for (int r = 1; r < table.RowCount(); ++r) {
        const CellText cell = table.Cell(c, r);
        text += cell.View();
        text += "\r\n";
    }
    return text;
}

std::vector<std::string_view> ClipboardTokens(std::string_view text) {
    std::vector<std::string_view> out;
    TokenReader<char> tokens(text);
    for (std::string_view token; tokens.Next(token);) out.push_back(token);
    return out;
}

PasteResult PasteTable(DataTable& table, std::string_view text, Progress* progress, PairsAhead* ahead) {
    return PasteTableFrom(table, text, progress, ahead);
}

PasteResult PasteTable(DataTable& table, std::u16string_view text, Progress* progress, PairsAhead* ahead) {
    return PasteTableFrom(table, text, progress, ahead);
}

PasteResult AppendTable(DataTable& table, std::string_view text, Progress* progress) {
    return AppendTableFrom(table, text, progress);
}

PasteResult AppendTable(DataTable& table, std::u16string_view text, Progress* progress) {
    return AppendTableFrom(table, text, progress);
}

PasteResult PasteColumn(DataTable& table, int blockLeftColumn, std::string_view text, Progress* progress) {
    return PasteColumnFrom(table, blockLeftColumn, text, progress);
}

PasteResult PasteColumn(DataTable& table, int blockLeftColumn, std::u16string_view text, Progress* progress) {
    return PasteColumnFrom(table, blockLeftColumn, text, progress);
}

}  // namespace kurv
