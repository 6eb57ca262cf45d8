// Cell entry, the table's keyboard commands, clearing, deleting and sorting.
// The row operations themselves live in the core; these handlers read the
// widgets, call the core and refresh the view.
#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/qtext.h"
#include "core/errors.h"
#include "core/fit.h"
#include "core/numbers.h"
#include "core/table_ops.h"
#include "table/keys.h"
#include "table/stringgrid.h"
#include "table/tableedit.h"
#include "table/undo.h"

using kurv::TextId;

void TFormMain::sgDataSetEditText(int col, int row, const QString&) {
    TStringGrid* grid = table_.sgData;
    // The cell holds every edit already; the editor's text of a long cell is
    // cut, so the cell is what is judged, and the box quotes a part of it.
    const kurv::CellText cell = data_.Cell(col, row);
    const std::string_view text = cell;
    if (kurv::IsPartialNumberText(text)) return;
    if (!kurv::ParseNumber(text, sep_))
        MessageBox(this, Q(kurv::QuotedForMessage(text)) + Text(TextId::NotANumberSuffix),
                   Text(TextId::InvalidNumberCaption), MbOk, MsgIcon::None);
    // Typing into the last row keeps a row to type into below it.
    if (row == grid->RowCount() - 1) grid->SetRowCount(grid->RowCount() + 1);
}

void TFormMain::sgDataKeyPress(QChar key) {
    TStringGrid* grid = table_.sgData;
    if (key != QChar('\r')) return;
    if (grid->Row() == grid->RowCount() - 1) return;
    if (grid->Col() == 0) {
        grid->SetCol(1);
    } else {
        grid->SetRow(grid->Row() + 1);
        grid->SetCol(0);
    }
}

void TFormMain::sgDataKeyDown(int key, Qt::KeyboardModifiers shift) {
    if (key != kVkF || !(shift & (Qt::ControlModifier | Qt::AltModifier))) return;

    // The fill command: the selected rows' Y from the curve fitted to the others.
    TableEdit edit(*this);
    const TGridRect block = table_.sgData->Selection();
    for (int r = block.top; r <= block.bottom; ++r) data_.SetCell(0, r, "");
    table_.sgData->CellsChanged(0, block.top, block.bottom);
    sgDataClick();  // an error here ends the command, the rows' Y left empty

    for (int r = block.top; r <= block.bottom; ++r) {
        const std::string xText(data_.Cell(1, r));
        std::string y;
        if (!kurv::IsPartialNumberText(xText) && kurv::ParseNumber(xText, sep_)) {
            const double x = Number(xText);  // beyond the double range: an arithmetic error
            const double v = kurv::EvaluateNested(FitCoefficients, x);
            if (v != 0) y = kurv::CurveValueText(v, sep_);
        }
        data_.SetCell(0, r, y);
    }
    edit.Done();
}

void TFormMain::sgDataColumnMoved(int fromIndex, int toIndex) {
    table_.undo->ColumnMoved(fromIndex, toIndex);
    data_.SetCell(0, 0, Text(TextId::HeaderTrueY).toStdString());
    data_.SetCell(1, 0, Text(TextId::HeaderGaugeX).toStdString());
    table_.sgData->HeaderChanged();
    sgDataClick();
}

void TFormMain::itmClearClick() {
    if (MessageBox(this, Pick("Очистить данные в таблице?", "Clear data in the table?"), ApplicationTitle(),
                   MbYes | MbNo, MsgIcon::None) != MbYes)
        return;
    TableEdit edit(*this);
    kurv::ClearTable(data_);
    edit.Done();
}

void TFormMain::itmClearColClick() {
    if (MessageBox(this, Pick("Очистить колонку?", "Clear data in the column?"), ApplicationTitle(),
                   MbYes | MbNo, MsgIcon::None) != MbYes)
        return;
    TableEdit edit(*this);
    kurv::ClearColumn(data_, table_.sgData->Selection().left);
    edit.Done();
}

// Deleting and sorting leave the results as they are.
void TFormMain::itmDeleteClick() {
    TableEdit edit(*this);
    const TGridRect block = table_.sgData->Selection();
    kurv::DeleteRows(data_, block.top, block.bottom);
    edit.Done(TableEdit::Then::KeepResults);
}

void TFormMain::itmSortClick() {
    TableEdit edit(*this, TableEdit::Kind::Reorder);
    edit.Reordered(kurv::SortRows(data_, table_.sgData->Col(), sep_));
    edit.Done(TableEdit::Then::KeepResults);
}
