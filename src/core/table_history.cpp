#include "core/table_history.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

namespace kurv {

TableChange DiffTables(DataTable&& before, const DataTable& after) {
    auto& old = before.Rows();
    const auto& now = after.Rows();
    const int nb = static_cast<int>(old.size());
    const int na = static_cast<int>(now.size());
    int first = 1;
    while (first < nb && first < na && old[first] == now[first]) ++first;
    int tail = 0;
    const int maxTail = std::max(0, std::min(nb, na) - first);
    while (tail < maxTail && old[nb - 1 - tail] == now[na - 1 - tail]) ++tail;

    TableChange change;
    change.first = first;
    const int end = std::max(first, nb - tail);
    if (first < end)
        change.before.assign(std::make_move_iterator(old.begin() + first),
                             std::make_move_iterator(old.begin() + end));
    change.afterRows = std::max(0, na - tail - first);
    return change;
}

std::size_t RowBytes(const DataTable::Row& row) {
    static const std::size_t kInline = std::string().capacity();
    std::size_t bytes = 0;
    for (const std::string& s : row)
        if (s.capacity() > kInline) bytes += s.capacity() + 1;
    return bytes;
}

void TableHistory::Record(TableChange change, const TableCursor& before, const TableCursor& after) {
    if (change.Empty()) return;  // nothing to take back
    for (const Step& s : redo_) bytes_ -= s.bytes;
    redo_.clear();
    Step s;
    s.first = change.first;
    s.rows = std::move(change.before);
    s.shownRows = change.afterRows;
    s.before = before;
    s.after = after;
    s.bytes = StepBytes(s);
    bytes_ += s.bytes;
    undo_.push_back(std::move(s));
    Trim();
}

std::size_t TableHistory::StepBytes(const Step& s) {
    std::size_t bytes = sizeof(Step) + s.rows.capacity() * sizeof(DataTable::Row);
    for (const DataTable::Row& r : s.rows) bytes += RowBytes(r);
    return bytes;
}

bool TableHistory::Swap(Step& s, DataTable& table) {
    auto& rows = table.Rows();
    const int count = static_cast<int>(rows.size());
    if (s.first < 1 || s.first + s.shownRows > count) return false;
    const auto begin = rows.begin() + s.first;
    const int stored = static_cast<int>(s.rows.size());
    if (stored == s.shownRows) {
        std::swap_ranges(begin, begin + stored, s.rows.begin());
    } else {
        std::vector<DataTable::Row> shown(std::make_move_iterator(begin),
                                          std::make_move_iterator(begin + s.shownRows));
        rows.erase(begin, begin + s.shownRows);
        rows.insert(rows.begin() + s.first, std::make_move_iterator(s.rows.begin()),
                    std::make_move_iterator(s.rows.end()));
        s.rows = std::move(shown);
        s.shownRows = stored;
    }
    return true;
}

bool TableHistory::Undo(DataTable& table, TableCursor& cursor) {
    if (undo_.empty()) return false;
    Step s = std::move(undo_.back());
    undo_.pop_back();
    bytes_ -= s.bytes;
    if (!Swap(s, table)) {
        Clear();
        return false;
    }
    cursor = s.before;
    s.bytes = StepBytes(s);
    bytes_ += s.bytes;
    redo_.push_back(std::move(s));
    Trim();
    return true;
}

bool TableHistory::Redo(DataTable& table, TableCursor& cursor) {
    if (redo_.empty()) return false;
    Step s = std::move(redo_.back());
    redo_.pop_back();
    bytes_ -= s.bytes;
    if (!Swap(s, table)) {
        Clear();
        return false;
    }
    cursor = s.after;
    s.bytes = StepBytes(s);
    bytes_ += s.bytes;
    undo_.push_back(std::move(s));
    Trim();
    return true;
}

void TableHistory::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

// The oldest undo steps go first, then the redo steps farthest ahead; a
// step too large for the budget by itself does not stay either.
void TableHistory::Trim() {
    while (bytes_ > budget_ && !undo_.empty()) {
        bytes_ -= undo_.front().bytes;
        undo_.pop_front();
    }
    while (bytes_ > budget_ && !redo_.empty()) {
        bytes_ -= redo_.front().bytes;
        redo_.pop_front();
    }
}

}  // namespace kurv
