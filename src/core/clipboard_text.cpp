#include "core/clipboard_text.h"

#include <algorithm>

#include "core/table_ops.h"

namespace kurv {

namespace {

bool IsSeparator(char ch) {
    return ch == '\t' || ch == '\r' || ch == '\n';
}

// Writes the tokens in pairs from column 0 of row `first`; the table is first
// sized to hold them with one empty row after the last pair.
void WritePairs(DataTable& table, int first, const std::vector<std::string_view>& tokens) {
    const int lastRow = first + static_cast<int>((tokens.size() + 1) / 2) - 1;
    table.SetRowCount(lastRow + 2);
    auto& rows = table.Rows();
    for (std::size_t k = 0; k < tokens.size(); ++k) rows[first + k / 2][k % 2].assign(tokens[k]);
}

}  // namespace

std::string TableText(const DataTable& table) {
    const auto& rows = table.Rows();
    std::size_t size = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) size += rows[r][0].size() + rows[r][1].size() + 3;
    std::string text;
    text.reserve(size);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        text += rows[r][0];
        text += '\t';
        text += rows[r][1];
        text += "\r\n";
    }
    return text;
}

std::string ColumnText(const DataTable& table, int blockLeftColumn) {
    const int c = OperandColumn(blockLeftColumn);
    const auto& rows = table.Rows();
    std::size_t size = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) size += rows[r][c].size() + 2;
    std::string text;
    text.reserve(size);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        text += rows[r][c];
        text += "\r\n";
    }
    return text;
}

std::vector<std::string_view> ClipboardTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && IsSeparator(text[i])) ++i;
        const std::size_t start = i;
        while (i < n && !IsSeparator(text[i])) ++i;
        if (i > start) tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

PasteResult PasteTable(DataTable& table, std::string_view text) {
    const auto tokens = ClipboardTokens(text);
    if (tokens.empty()) return PasteResult::NoTokens;
    table.SetRowCount(1);  // every data row emptied
    WritePairs(table, 1, tokens);
    return PasteResult::Pasted;
}

PasteResult AppendTable(DataTable& table, std::string_view text) {
    const auto tokens = ClipboardTokens(text);
    if (tokens.empty()) return PasteResult::NoTokens;
    int first = std::max(table.RowCount() - 1, 1);
    if (first < table.RowCount() && (!table.Cell(0, first).empty() || !table.Cell(1, first).empty())) ++first;
    WritePairs(table, first, tokens);
    return PasteResult::Pasted;
}

PasteResult PasteColumn(DataTable& table, int blockLeftColumn, std::string_view text) {
    const auto tokens = ClipboardTokens(text);
    if (tokens.empty()) return PasteResult::NoTokens;
    const int c = OperandColumn(blockLeftColumn);
    auto& rows = table.Rows();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        rows[r][c].clear();
        rows[r][2].clear();
    }
    const int needed = static_cast<int>(tokens.size()) + 2;
    if (needed > table.RowCount()) table.SetRowCount(needed);
    for (std::size_t k = 0; k < tokens.size(); ++k) rows[k + 1][c].assign(tokens[k]);
    return PasteResult::Pasted;
}

}  // namespace kurv
