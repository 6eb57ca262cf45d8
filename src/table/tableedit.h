// One command's change of the table, held for the command's run: the undo step
// begins when the edit is made; Done() at the command's normal end shows the
// new table in the grid, records the step and (unless told otherwise) runs the
// recalculation; Unchanged() ends a command that left the table alone. A
// command that ends early or by an exception reaches neither: the destructor
// then brings the grid in line with the table and records what changed, or
// empties the history when it cannot. Nothing there throws.
//
// Edits nest: an edit made inside another one joins it, and the outer one
// records the step.
#pragma once

#include <vector>

#include "app/formmain.h"

class TFormMain::TableEdit {
  public:
    enum class Kind {
        Rows,     // any change of the cells or the row count
        Reorder,  // rows reordered, empty ones dropped: give the order to Reordered
    };
    enum class Then { Recalculate, KeepResults };

    explicit TableEdit(TFormMain& form, Kind kind = Kind::Rows);
    ~TableEdit();
    TableEdit(const TableEdit&) = delete;
    TableEdit& operator=(const TableEdit&) = delete;

    // The order DataTable::ReorderRows applied, for a Reorder edit.
    void Reordered(std::vector<int> order);
    void Done(Then then = Then::Recalculate);
    // The command stopped before it changed anything (Cancel): the grid, the
    // history and the displays stay as they are.
    void Unchanged();

  private:
    TFormMain& form_;
    bool outermost_;
    bool done_ = false;
};
