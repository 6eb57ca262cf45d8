// Cell entry, the table's keyboard commands, clearing, deleting and sorting.
// The row operations themselves live in the core; these handlers read the
// widgets, call the core and refresh the view.
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/fit.h"
#include "core/numbers.h"
#include "core/table_ops.h"
#include "table/keys.h"
#include "table/stringgrid.h"
#include "table/undo.h"

using kurv::TextId;

void TFormMain::sgDataSetEditText(int, int row, const QString& value) {
    const std::string text = value.toStdString();
    if (kurv::IsPartialNumberText(text)) return;
    if (!kurv::ParseNumber(text, sep_))
        MessageBox(this, value + Text(TextId::NotANumberSuffix), Text(TextId::InvalidNumberCaption), MbOk,
                   MsgIcon::None);
    // Typing into the last row keeps a row to type into below it.
    if (row == sgData->RowCount() - 1) sgData->SetRowCount(sgData->RowCount() + 1);
}

void TFormMain::sgDataKeyPress(QChar key) {
    if (key != QChar('\r')) return;
    if (sgData->Row() == sgData->RowCount() - 1) return;
    if (sgData->Col() == 0) {
        sgData->SetCol(1);
    } else {
        sgData->SetRow(sgData->Row() + 1);
        sgData->SetCol(0);
    }
}

void TFormMain::sgDataKeyDown(int key, Qt::KeyboardModifiers shift) {
    if (key != kVkF || !(shift & (Qt::ControlModifier | Qt::AltModifier))) return;

    // The fill command: the selected rows' Y from the curve fitted to the others.
    const auto step = undo_->Begin();
    const TGridRect block = sgData->Selection();
    for (int r = block.top; r <= block.bottom; ++r) table_.SetCell(0, r, "");
    sgData->CellsChanged(0, block.top, block.bottom);
    sgDataClick();  // an error here ends the command, the rows' Y left empty

    for (int r = block.top; r <= block.bottom; ++r) {
        const std::string xText(table_.Cell(1, r));
        std::string y;
        if (!kurv::IsPartialNumberText(xText) && kurv::ParseNumber(xText, sep_)) {
            const double x = Number(xText);  // beyond the double range: an arithmetic error
            const double v = kurv::EvaluateNested(FitCoefficients, x);
            if (v != 0) y = kurv::CurveValueText(v, sep_);
        }
        table_.SetCell(0, r, y);
    }
    sgData->CellsChanged(0, block.top, block.bottom);
    sgDataClick();
}

void TFormMain::sgDataColumnMoved(int fromIndex, int toIndex) {
    undo_->ColumnMoved(fromIndex, toIndex);
    table_.SetCell(0, 0, Text(TextId::HeaderTrueY).toStdString());
    table_.SetCell(1, 0, Text(TextId::HeaderGaugeX).toStdString());
    sgData->HeaderChanged();
    sgDataClick();
}

void TFormMain::itmClearClick() {
    if (MessageBox(this, Pick("Очистить данные в таблице?", "Clear data in the table?"), appTitle_,
                   MbYes | MbNo, MsgIcon::None) != MbYes)
        return;
    const auto step = undo_->Begin();
    kurv::ClearTable(table_);
    TableChanged();
    sgDataClick();
}

void TFormMain::itmClearColClick() {
    if (MessageBox(this, Pick("Очистить колонку?", "Clear data in the column?"), appTitle_, MbYes | MbNo,
                   MsgIcon::None) != MbYes)
        return;
    const auto step = undo_->Begin();
    kurv::ClearColumn(table_, sgData->Selection().left);
    TableChanged();
    sgDataClick();
}

void TFormMain::itmDeleteClick() {
    const auto step = undo_->Begin();
    const TGridRect block = sgData->Selection();
    kurv::DeleteRows(table_, block.top, block.bottom);
    TableChanged();
}

void TFormMain::itmSortClick() {
    auto step = undo_->BeginReorder();
    step.Done(kurv::SortRows(table_, sgData->Col(), sep_));
    TableChanged();
}
