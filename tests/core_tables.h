// Building tables and reading their data rows back, for the core's tests.
#pragma once

#include <vector>

#include "core/datatable.h"

using Rows = std::vector<kurv::DataTable::Row>;

// A table of `rowCount` rows: a header, then `data`, then empty rows.
inline kurv::DataTable TableOf(const Rows& data, int rowCount) {
    kurv::DataTable t(rowCount);
    t.SetRow(0, {"Y", "X", "F"});
    for (std::size_t i = 0; i < data.size(); ++i) t.SetRow(static_cast<int>(i) + 1, data[i]);
    return t;
}

// The header, `data`, and `emptyRows` empty rows after them.
inline kurv::DataTable Make(const Rows& data, int emptyRows = 0) {
    return TableOf(data, 1 + static_cast<int>(data.size()) + emptyRows);
}

inline Rows DataRows(const kurv::DataTable& t) {
    Rows all = t.Rows();
    all.erase(all.begin());
    return all;
}
