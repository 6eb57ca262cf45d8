// Exchanging the table and its columns with other programs as clipboard text.
#include <QClipboard>
#include <QGuiApplication>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/clipboard_text.h"
#include "table/stringgrid.h"
#include "table/undo.h"

using kurv::TextId;

namespace {

std::string ClipboardText() {
    const QClipboard* cb = QGuiApplication::clipboard();
    return cb ? cb->text().toStdString() : std::string();
}

}  // namespace

void TFormMain::itmTablCopyClick() {
    CopyAnsiStringToClipboard(QString::fromStdString(kurv::TableText(table_)));
}

void TFormMain::itmColCopyClick() {
    CopyAnsiStringToClipboard(QString::fromStdString(kurv::ColumnText(table_, sgData->Selection().left)));
}

void TFormMain::PasteDone(int result) {
    if (result == static_cast<int>(kurv::PasteResult::NoTokens))
        MessageBox(this, Text(TextId::ClipboardInvalid), Text(TextId::CannotPaste), MbOk, MsgIcon::None);
    TableChanged();
    sgDataClick();
}

void TFormMain::itmTablPasteClick() {
    const auto step = undo_->Begin();
    // The clipboard's copy goes before the recalculation.
    const auto result = kurv::PasteTable(table_, ClipboardText());
    PasteDone(static_cast<int>(result));
}

void TFormMain::itmAppendClick() {
    const auto step = undo_->Begin();
    // The clipboard's copy goes before the recalculation.
    const auto result = kurv::AppendTable(table_, ClipboardText());
    PasteDone(static_cast<int>(result));
}

void TFormMain::itmColPasteClick() {
    const auto step = undo_->Begin();
    // The clipboard's copy goes before the recalculation.
    const auto result = kurv::PasteColumn(table_, sgData->Selection().left, ClipboardText());
    PasteDone(static_cast<int>(result));
}
