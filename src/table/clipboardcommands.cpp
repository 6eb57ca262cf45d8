// Exchanging the table and its columns with other programs as clipboard text.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <optional>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/longwork.h"
#include "core/clipboard_text.h"
#include "fit/sparedpairs.h"
#include "table/stringgrid.h"
#include "table/tableedit.h"

using kurv::TextId;

namespace {

constexpr kurv::TextPair kPasting{"Вставка из буфера обмена…", "Pasting from the clipboard…"};

// The clipboard's text: its UTF-8 bytes when it offers them, which the core
// reads as they are (a text of hundreds of megabytes is then neither
// converted nor held twice), otherwise Qt's UTF-16 text, which the core reads too.
class ClipboardText {
  public:
    ClipboardText() {
        const QClipboard* cb = QGuiApplication::clipboard();
        const QMimeData* data = cb ? cb->mimeData() : nullptr;
        if (!data) return;
        if (data->hasFormat(kUtf8)) bytes_ = data->data(kUtf8);
        if (bytes_.isEmpty()) text_ = data->text();
    }
    // `paste` of the text as a std::string_view or a std::u16string_view.
    template <class Paste>
    kurv::PasteResult Into(Paste&& paste) const {
        if (!bytes_.isEmpty())
            return paste(std::string_view(bytes_.constData(), static_cast<std::size_t>(bytes_.size())));
        return paste(std::u16string_view(reinterpret_cast<const char16_t*>(text_.utf16()),
                                         static_cast<std::size_t>(text_.size())));
    }

  private:
    static constexpr const char* kUtf8 = "text/plain;charset=utf-8";
    QByteArray bytes_;
    QString text_;
};

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
void TFormMain::Paste(const std::function<kurv::PasteResult(kurv::Progress*, kurv::PairsAhead*)>& paste,
                      bool wholeTable) {
    TableEdit edit(*this);
    kurv::PasteResult result;
    {
        std::optional<SparedPairs> spared;
        if (wholeTable) spared.emplace(*this);
        LongWork work(*this, kPasting);
        result = paste(work.Progress(), spared ? spared->Ahead() : nullptr);
    }
    if (result == kurv::PasteResult::Cancelled) return edit.Unchanged();
    if (result == kurv::PasteResult::NoTokens)
        MessageBox(this, Text(TextId::ClipboardInvalid), Text(TextId::CannotPaste), MbOk, MsgIcon::None);
    edit.Done();
}

void TFormMain::itmTablPasteClick() {
    const ClipboardText clip;
    Paste(
        [&](kurv::Progress* p, kurv::PairsAhead* ahead) {
            return clip.Into([&](auto text) { return kurv::PasteTable(data_, text, p, ahead); });
        },
        true);
}

void TFormMain::itmAppendClick() {
    const ClipboardText clip;
    Paste([&](kurv::Progress* p, kurv::PairsAhead*) {
        return clip.Into([&](auto text) { return kurv::AppendTable(data_, text, p); });
    });
}

void TFormMain::itmColPasteClick() {
    const ClipboardText clip;
    const int left = table_.sgData->Selection().left;
    Paste([&](kurv::Progress* p, kurv::PairsAhead*) {
        return clip.Into([&](auto text) { return kurv::PasteColumn(data_, left, text, p); });
    });
}
