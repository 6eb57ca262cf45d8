// The table's clipboard texts. Out: tab-separated lines ending in CR LF. In: a
// flat sequence of tokens separated by any run of TAB, CR and LF, taken in
// pairs (Y, X) or one per row for a column. Cell texts pass unchanged both ways.
//
// A paste reads the text once, straight into new rows built beside the
// table, which then replace the table's rows: the rows replaced go to the
// change being recorded (DataTable::BeginChange) rather than being copied,
// and a paste that stops (Progress) leaves the table as it was. The text may
// be UTF-8 or, as a window's clipboard holds it, UTF-16.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/datatable.h"
#include "core/progress.h"

namespace kurv {

struct PairsAhead;

// Every data row as "Y<TAB>X<CR><LF>", empty rows included; no header, no column 2.
std::string TableText(const DataTable& table);

// Every data row's cell of the operand column (see OperandColumn) followed by CR LF.
std::string ColumnText(const DataTable& table, int blockLeftColumn);

// The tokens of a pasted text, in order: maximal runs of characters other than
// TAB, CR and LF. The whole text is read and no token is cut. The views point
// into `text`.
std::vector<std::string_view> ClipboardTokens(std::string_view text);

enum class PasteResult {
    Pasted,     // the table was changed
    NoTokens,   // nothing to paste; the table is unchanged (show texts 58 and 59)
    Cancelled,  // stopped through `progress`; the table is unchanged
};

// Replaces the table by the pairs of the text from row 1 on, all three columns
// of the data rows emptied first; one empty row follows the last pair. Given
// `ahead`, a long text's pairs are read into it beside (see PairsBeside).
PasteResult PasteTable(DataTable& table, std::string_view text, Progress* progress = nullptr,
                       PairsAhead* ahead = nullptr);
PasteResult PasteTable(DataTable& table, std::u16string_view text, Progress* progress = nullptr,
                       PairsAhead* ahead = nullptr);

// Adds the pairs of the text from the last row on, or from a new row when the
// last row's Y or X is not empty; one empty row follows the last pair.
PasteResult AppendTable(DataTable& table, std::string_view text, Progress* progress = nullptr);
PasteResult AppendTable(DataTable& table, std::u16string_view text, Progress* progress = nullptr);

// Replaces the operand column by the tokens of the text, one per row from row 1
// on, with column 2 emptied; the other input column stays. The table grows when
// the tokens need it (one empty row after the last) and never shrinks.
PasteResult PasteColumn(DataTable& table, int blockLeftColumn, std::string_view text,
                        Progress* progress = nullptr);
PasteResult PasteColumn(DataTable& table, int blockLeftColumn, std::u16string_view text,
                        Progress* progress = nullptr);

}  // namespace kurv
