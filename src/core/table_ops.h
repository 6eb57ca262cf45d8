// The operations that change the data table as a whole: clearing, deleting
// a block of rows and sorting by one column. Rows move as a whole (all three
// cells); row 0, the header, is never touched.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "core/datatable.h"

namespace kurv {

// The column a column command acts on: 1 when the selected block starts in
// column 1, otherwise 0 (a block starting in column 2 acts on column 0).
int OperandColumn(int blockLeftColumn);

// Empties columns 0 and 1 of every data row; column 2 and RowCount stay.
void ClearTable(DataTable& table);

// Empties the operand column (see OperandColumn) of every data row.
void ClearColumn(DataTable& table, int blockLeftColumn);

// Deletes the data rows top .. bottom (the selected block's first and last
// row); the rows below move up. The table keeps at least one data row:
// deleting all of them leaves one empty row to type into.
void DeleteRows(DataTable& table, int topRow, int bottomRow);

// Sorts the data rows in ascending order of the numbers in column keyColumn
// (the column of the current cell), with the order of the table's exchange
// sort: equal keys are never swapped with each other, but a swap may carry a
// row past rows of the same key. A row whose key is not a number (ParseNumber
// with `sep`) is taken out of the order: removed when all three of its cells
// are empty, otherwise moved behind the sorted rows, keeping the order in
// which such rows stood. One empty row is added at the end. Keys beyond the
// double range sort by their extended value. Gives the order applied by
// DataTable::ReorderRows: row k now is the row order[k] was (-1: the new empty
// row); rows not named were wholly empty. An empty order: the rows were in
// that order already, and the table is left untouched (no change, no undo
// step). The table is unchanged should this throw.
std::vector<int> SortRows(DataTable& table, int keyColumn, char sep);

// The order in which the exchange sort leaves the keys: result[p] is the index
// into `keys` of the key that ends at place p. O(n log n).
std::vector<std::size_t> ExchangeSortOrder(std::span<const long double> keys);

}  // namespace kurv
