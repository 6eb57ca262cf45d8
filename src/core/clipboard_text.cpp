#include "core/clipboard_text.h"

#include <algorithm>

#include "core/table_ops.h"

namespace kurv {

namespace {

bool IsSeparator(char ch) {
    return ch == '\t' || ch == '\r' || ch == '\n';
}

// Calls fn with every token of the text, in order. Walked twice by a paste
// (count, then write) rather than collected: a million pairs' list of views
// would cost more memory than their cells.
template <typename Fn>
void ForEachToken(std::string_view text, Fn&& fn) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && IsSeparator(text[i])) ++i;
        const std::size_t start = i;
        while (i < n && !IsSeparator(text[i])) ++i;
        if (i > start) fn(text.substr(start, i - start));
    }
}

struct TokenCount {
    std::size_t tokens = 0;
};

TokenCount CountTokens(std::string_view text) {
    TokenCount n;
    ForEachToken(text, [&](std::string_view) { ++n.tokens; });
    return n;
}

// Writes the tokens in pairs from column 0 of row `first`; the table is first
// sized to hold them with one empty row after the last pair.
void WritePairs(DataTable& table, int first, std::string_view text, TokenCount n) {
    const int lastRow = first + static_cast<int>((n.tokens + 1) / 2) - 1;
    table.SetRowCount(lastRow + 2);
    std::size_t k = 0;
    ForEachToken(text, [&](std::string_view token) {
        table.SetCell(static_cast<int>(k % 2), first + static_cast<int>(k / 2), token);
        ++k;
    });
}

}  // namespace

std::string TableText(const DataTable& table) {
    std::size_t size = 0;
    for (int r = 1; r < table.RowCount(); ++r) size += table.Cell(0, r).size() + table.Cell(1, r).size() + 3;
    std::string text;
    text.reserve(size);
    for (int r = 1; r < table.RowCount(); ++r) {
        text += table.Cell(0, r);
        text += '\t';
        text += table.Cell(1, r);
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
        text += table.Cell(c, r);
        text += "\r\n";
    }
    return text;
}

std::vector<std::string_view> ClipboardTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    ForEachToken(text, [&](std::string_view token) { tokens.push_back(token); });
    return tokens;
}

PasteResult PasteTable(DataTable& table, std::string_view text) {
    const TokenCount tokens = CountTokens(text);
    if (tokens.tokens == 0) return PasteResult::NoTokens;
    table.SetRowCount(1);  // every data row emptied
    WritePairs(table, 1, text, tokens);
    return PasteResult::Pasted;
}

PasteResult AppendTable(DataTable& table, std::string_view text) {
    const TokenCount tokens = CountTokens(text);
    if (tokens.tokens == 0) return PasteResult::NoTokens;
    int first = std::max(table.RowCount() - 1, 1);
    if (first < table.RowCount() && (!table.Cell(0, first).empty() || !table.Cell(1, first).empty())) ++first;
    WritePairs(table, first, text, tokens);
    return PasteResult::Pasted;
}

PasteResult PasteColumn(DataTable& table, int blockLeftColumn, std::string_view text) {
    const TokenCount tokens = CountTokens(text);
    if (tokens.tokens == 0) return PasteResult::NoTokens;
    const int c = OperandColumn(blockLeftColumn);
    for (int r = 1; r < table.RowCount(); ++r) {
        table.SetCell(c, r, {});
        table.SetCell(2, r, {});
    }
    const int needed = static_cast<int>(tokens.tokens) + 2;
    if (needed > table.RowCount()) table.SetRowCount(needed);
    int row = 1;
    ForEachToken(text, [&](std::string_view token) { table.SetCell(c, row++, token); });
    return PasteResult::Pasted;
}

}  // namespace kurv
