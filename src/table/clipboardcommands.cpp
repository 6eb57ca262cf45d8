// Exchanging the table and its columns with other programs as clipboard text.
#include <QClipboard>
#include <QGuiApplication>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/clipboard_text.h"
#include "table/stringgrid.h"
#include "table/tableedit.h"

using kurv::TextId;

namespace {

std::string ClipboardText() {
    const QClipboard* cb = QGuiApplication::clipboard();
    return cb ? cb->text().toStdString() : std::string();
}

}  // namespace

void TFormMain::itmTablCopyClick() {
    CopyAnsiStringToClipboard(QString::fromStdString(kurv::TableText(data_)));
}

void TFormMain::itmColCopyClick() {
    CopyAnsiStringToClipboard(
        QString::fromStdString(kurv::ColumnText(data_, table_.sgData->Selection().left)));
}

// The clipboard's text is taken before the recalculation; nothing to paste is
// said before it.
void TFormMain::PasteDone(kurv::PasteResult result, TableEdit& edit) {
    if (result == kurv::PasteResult::NoTokens)
        MessageBox(this, Text(TextId::ClipboardInvalid), Text(TextId::CannotPaste), MbOk, MsgIcon::None);
    edit.Done();
}

void TFormMain::itmTablPasteClick() {
    TableEdit edit(*this);
    PasteDone(kurv::PasteTable(data_, ClipboardText()), edit);
}

void TFormMain::itmAppendClick() {
    TableEdit edit(*this);
    PasteDone(kurv::AppendTable(data_, ClipboardText()), edit);
}

void TFormMain::itmColPasteClick() {
    TableEdit edit(*this);
    PasteDone(kurv::PasteColumn(data_, table_.sgData->Selection().left, ClipboardText()), edit);
}
