#include "core/table_history.h"

#include <unistd.h>

#include <algorithm>
#include <new>
#include <utility>

namespace kurv {

TableChange DiffTables(DataTable&& before, const DataTable& after) {
    const int nb = before.RowCount();
    const int na = after.RowCount();
    int first = 0;
    while (first < nb && first < na && before.SameRow(first, after, first)) ++first;
    int tail = 0;
    const int maxTail = std::max(0, std::min(nb, na) - first);
    while (tail < maxTail && before.SameRow(nb - 1 - tail, after, na - 1 - tail)) ++tail;

    TableChange change;
    change.first = first;
    const int end = std::max(first, nb - tail);
    if (first < end) change.before = std::move(before).TakeRows(first, end - first);
    change.afterRows = std::max(0, na - tail - first);
    change.tableBytes = after.Bytes();
    return change;
}

std::size_t MachineMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGE_SIZE);
    return pages > 0 && size > 0 ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(size) : 0;
}

std::size_t HistoryBudget(std::size_t tableBytes, std::size_t machineBytes) {
    constexpr std::size_t kLeast = std::size_t{64} << 20;
    const std::size_t most = machineBytes > 0 ? machineBytes / 8 : SIZE_MAX;
    return std::max(kLeast, std::min(tableBytes > SIZE_MAX / 2 ? SIZE_MAX : 2 * tableBytes, most));
}

TableHistory::TableHistory(std::size_t budgetBytes)
    : fixedBudget_(budgetBytes),
      budget_(budgetBytes == kFollowTable ? HistoryBudget(0, MachineMemoryBytes()) : budgetBytes) {}

void TableHistory::FollowTable(std::size_t tableBytes) {
    if (fixedBudget_ == kFollowTable) budget_ = HistoryBudget(tableBytes, MachineMemoryBytes());
}

void TableHistory::Record(TableChange change, const TableCursor& before, const TableCursor& after) noexcept {
    if (!change.complete) {
        Clear();  // the table changed with no step to take it back: the older ones no longer fit
        return;
    }
    if (change.Empty()) return;  // nothing to take back
    if (change.tableBytes > 0) FollowTable(change.tableBytes);
    Step s;
    s.first = change.first;
    s.rows = std::move(change.before);
    s.shownRows = change.afterRows;
    s.before = before;
    s.after = after;
    Push(std::move(s));
}

void TableHistory::RecordReorder(std::vector<int> order, int rowsBefore, const TableCursor& before,
                                 const TableCursor& after) noexcept {
    if (order.empty()) return;  // the rows were in order: nothing changed
    Step s;
    s.order = std::move(order);
    s.rowsBefore = rowsBefore;
    s.before = before;
    s.after = after;
    Push(std::move(s));
}

void TableHistory::Push(Step s) noexcept {
    for (const Step& r : redo_) bytes_ -= r.bytes;
    redo_.clear();
    s.rows.ShrinkToFit();
    const std::size_t bytes = s.bytes = StepBytes(s);
    try {
        undo_.push_back(std::move(s));
    } catch (const std::bad_alloc&) {
        Clear();  // the change stands with no step to take it back: the older ones no longer fit
        return;
    }
    bytes_ += bytes;
    Trim();
}

std::size_t TableHistory::StepBytes(const Step& s) {
    return sizeof(Step) + s.rows.Bytes() + s.order.capacity() * sizeof(int);
}

// Undoes or redoes a reorder: the rows go back to their places before it
// (the rows it dropped were empty) or through the order once more.
bool TableHistory::Turn(Step& s, DataTable& table) {
    const int shown = s.reordered ? static_cast<int>(s.order.size()) : s.rowsBefore;
    if (table.RowCount() != shown) return false;
    if (s.reordered) {
        std::vector<int> back(static_cast<std::size_t>(s.rowsBefore), -1);
        for (std::size_t k = 0; k < s.order.size(); ++k)
            if (s.order[k] >= 0) back[static_cast<std::size_t>(s.order[k])] = static_cast<int>(k);
        table.ReorderRows(back);
    } else {
        table.ReorderRows(s.order);
    }
    s.reordered = !s.reordered;
    return true;
}

bool TableHistory::Apply(Step& s, DataTable& table) {
    try {
        return s.order.empty() ? Swap(s, table) : Turn(s, table);
    } catch (...) {
        Clear();  // without memory for the step the older ones would no longer fit the table
        throw;
    }
}

bool TableHistory::Swap(Step& s, DataTable& table) {
    if (s.first < 0 || s.first + s.shownRows > table.RowCount()) return false;
    const int stored = s.rows.RowCount();
    s.rows = table.SpliceRows(s.first, s.shownRows, std::move(s.rows));
    s.shownRows = stored;
    return true;
}

bool TableHistory::Undo(DataTable& table, TableCursor& cursor) {
    return Move(undo_, redo_, table, cursor, &Step::before);
}

bool TableHistory::Redo(DataTable& table, TableCursor& cursor) {
    return Move(redo_, undo_, table, cursor, &Step::after);
}

bool TableHistory::Move(std::deque<Step>& from, std::deque<Step>& to, DataTable& table, TableCursor& cursor,
                        TableCursor Step::*reached) {
    if (from.empty()) return false;
    Step s = std::move(from.back());
    from.pop_back();
    bytes_ -= s.bytes;
    if (!Apply(s, table)) {
        Clear();
        return false;
    }
    cursor = s.*reached;
    FollowTable(table.Bytes());
    s.rows.ShrinkToFit();
    s.bytes = StepBytes(s);
    if (s.bytes > budget_ && &to == &redo_) {
        // It cannot be kept, and the steps beyond it no longer fit the table
        // without it. The steps on the other side still do. (A redo's step
        // stays whatever its size: it is the newest undo step.)
        for (const Step& t : to) bytes_ -= t.bytes;
        to.clear();
        Trim();
        return true;
    }
    const std::size_t bytes = s.bytes;
    try {
        to.push_back(std::move(s));
    } catch (const std::bad_alloc&) {
        Clear();  // the table has moved; without its step the others no longer fit
        return true;
    }
    bytes_ += bytes;
    Trim();
    return true;
}

void TableHistory::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

// The oldest undo steps go first, then the redo steps farthest ahead. The
// newest undo step stays whatever its size: it was the table a moment ago,
// so keeping it costs no memory the command did not already hold, and a
// command that leaves a small table in place of one larger than the budget
// (a short paste or read over ten million rows, or most of them deleted) can
// still be undone.
void TableHistory::Trim() {
    while (bytes_ > budget_ && undo_.size() > 1) {
        bytes_ -= undo_.front().bytes;
        undo_.pop_front();
    }
    while (bytes_ > budget_ && !redo_.empty()) {
        bytes_ -= redo_.front().bytes;
        redo_.pop_front();
    }
}

}  // namespace kurv
