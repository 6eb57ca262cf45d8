// Exchanging the table and its columns with other programs as clipboard text.
#include <QClipboard>
#include <QGuiApplication>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/longwork.h"
#include "core/clipboard_text.h"
#include "table/stringgrid.h"
#include "table/tableedit.h"

using kurv::TextId;

namespace {

constexpr kurv::TextPair kPasting{"Вставка из буфера обмена…", "Pasting from the clipboard…"};

// The clipboard's text as Qt holds it: the core reads UTF-16 itself, so a
// text of hundreds of megabytes is not converted and held twice.
QString ClipboardText() {
    const QClipboard* cb = QGuiApplication::clipboard();
    return cb ? cb->text() : QString();
}

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
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
// said before it. A paste stopped by Cancel leaves everything as it was.
void TFormMain::Paste(const std::function<kurv::PasteResult(std::u16string_view, kurv::Progress*)>& paste) {
    const QString text = ClipboardText();
    TableEdit edit(*this);
    kurv::PasteResult result;
    {
        LongWork work(*this, kPasting);
        result = paste(View(text), work.Progress());
    }
    if (result == kurv::PasteResult::Cancelled) return edit.Unchanged();
    if (result == kurv::PasteResult::NoTokens)
        MessageBox(this, Text(TextId::ClipboardInvalid), Text(TextId::CannotPaste), MbOk, MsgIcon::None);
    edit.Done();
}

void TFormMain::itmTablPasteClick() {
    Paste([this](std::u16string_view text, kurv::Progress* p) { return kurv::PasteTable(data_, text, p); });
}

void TFormMain::itmAppendClick() {
    Paste([this](std::u16string_view text, kurv::Progress* p) { return kurv::AppendTable(data_, text, p); });
}

void TFormMain::itmColPasteClick() {
    const int left = table_.sgData->Selection().left;
    Paste([this, left](std::u16string_view text, kurv::Progress* p) {
        return kurv::PasteColumn(data_, left, text, p);
    });
}
