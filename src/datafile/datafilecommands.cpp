// Reading and writing the data file: the File menu's first two items, a file
// named on the command line and a file dropped onto the window.
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/longwork.h"
#include "core/datafile_format.h"
#include "fit/sparedpairs.h"
#include "table/tableedit.h"

namespace {

constexpr kurv::TextPair kReading{"Чтение файла…", "Reading the file…"};

std::string PathBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace

void TFormMain::BuildDataFile() {
    // Above the separator over Exit.
    FillMenu(app_.itmFile,
             {{"itmRead", kurv::TextId::ItemRead, "Ctrl+L", &TFormMain::itmReadClick},
              {"itmWrite", kurv::TextId::ItemWrite, "Ctrl+S", &TFormMain::itmWriteClick}},
             Qt::WindowShortcut, app_.itmFile->actions().value(0));

    // A data file dropped onto the window is read as File / Read reads it;
    // anything else is refused without a word. Controls that take drops of
    // their own (the edits) keep them.
    setAcceptDrops(true);
    OnEvent(this, [this](QEvent* e) {
        switch (e->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(e);
                if (DroppedFile(drag->mimeData()).isEmpty())
                    drag->ignore();
                else
                    drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(e);
                const QString name = DroppedFile(drop->mimeData());
                if (name.isEmpty()) {
                    drop->ignore();
                    return true;
                }
                drop->acceptProposedAction();
                OpenDataFile(name);
                return true;
            }
            default:
                return false;
        }
    });
}

// One local file that is not a folder; nothing for several, a folder, a
// remote address or no file at all.
QString TFormMain::DroppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString name = urls.front().toLocalFile();
    return QFileInfo(name).isDir() ? QString() : name;
}

void TFormMain::itmReadClick() {
    for (;;) {
        const QString name = dialogs_->OpenFileName(this, datafile_.lastOpenName);
        if (name.isEmpty()) return;
        datafile_.lastOpenName = name;
        if (ReadDataFileNamed(name) != DataFileOutcome::Retry) return;
    }
}

bool TFormMain::OpenDataFile(const QString& name) {
    DataFileOutcome outcome = DataFileOutcome::Failed;
    Guarded([&] {
        datafile_.lastOpenName = name;
        do outcome = ReadDataFileNamed(name);
        while (outcome == DataFileOutcome::Retry);
    });
    return outcome == DataFileOutcome::Read;
}

TFormMain::DataFileOutcome TFormMain::ReadDataFileNamed(const QString& name) {
    const QString caption = Pick("Ошибка чтения файла", "Error reading file");
    kurv::BigArray<char> bytes;
    const kurv::FileReadResult r = kurv::ReadWholeFile(PathBytes(name), bytes, kurv::kDataFileMaxBytes);
    if (r == kurv::FileReadResult::TooLarge) {
        MessageBox(nullptr, Pick(kurv::kFileTooLarge), caption, MbOk, MsgIcon::Warning);
        return DataFileOutcome::Failed;
    }
    if (r != kurv::FileReadResult::Read) {
        // Ignore ends the command like Abort: no file is open to read from.
        return FileFailureBox(Pick(kurv::kFileCannotOpen), caption) == MbRetry ? DataFileOutcome::Retry
                                                                               : DataFileOutcome::Failed;
    }
    TableEdit edit(*this);
    kurv::DataFileRead read;
    {
        SparedPairs spared(*this);
        LongWork work(*this, kReading);
        read = kurv::ReadDataFile(data_, std::string_view(bytes.data(), bytes.size()), work.Progress(),
                                  spared.Ahead());
    }
    bytes = kurv::BigArray<char>();  // the rows hold the texts now
    if (read == kurv::DataFileRead::Cancelled) {
        edit.Unchanged();
        return DataFileOutcome::Failed;
    }
    if (read == kurv::DataFileRead::InvalidData) {
        // The table is as it was.
        MessageBox(nullptr, Pick(kurv::kFileInvalidData), caption, MbOk, MsgIcon::Warning);
        return DataFileOutcome::Failed;
    }
    datafile_.files.read = {name.toStdString(), kurv::DataFingerprint(data_)};
    edit.Done();
    return DataFileOutcome::Read;
}

void TFormMain::itmWriteClick() {
    const QString caption = Pick("Ошибка записи файла", "Error writing file");
    const std::string bytes = kurv::DataFileBytes(data_);
    for (;;) {
        const QString name = dialogs_->SaveFileName(this, datafile_.lastSaveName);
        if (name.isEmpty()) return;
        datafile_.lastSaveName = name;
        const kurv::FileWriteResult r = kurv::WriteFileSafely(PathBytes(name), bytes);
        if (r == kurv::FileWriteResult::Written) {
            datafile_.files.written = {name.toStdString(), kurv::DataFingerprint(data_)};
            return;
        }
        const QString text = r == kurv::FileWriteResult::OpenFailed ? Pick(kurv::kFileCannotOpen)
                                                                    : Pick(kurv::kFileCannotWrite);
        if (FileFailureBox(text, caption) != MbRetry) return;
    }
}
