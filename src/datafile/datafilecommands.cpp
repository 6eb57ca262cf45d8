// Reading and writing the data file: the File menu's first two items.
#include <QFile>
#include <QMenu>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "app/longwork.h"
#include "core/datafile_format.h"
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
}

void TFormMain::itmReadClick() {
    const QString caption = Pick("Ошибка чтения файла", "Error reading file");
    std::string bytes;
    for (;;) {
        const QString name = dialogs_->OpenFileName(this, datafile_.lastOpenName);
        if (name.isEmpty()) return;
        datafile_.lastOpenName = name;
        const kurv::FileReadResult r = kurv::ReadWholeFile(PathBytes(name), bytes, kurv::kDataFileMaxBytes);
        if (r == kurv::FileReadResult::Read) break;
        if (r == kurv::FileReadResult::TooLarge) {
            MessageBox(nullptr, Pick(kurv::kFileTooLarge), caption, MbOk, MsgIcon::Warning);
            return;
        }
        // Ignore ends the command like Abort: no file is open to read from.
        if (FileFailureBox(Pick(kurv::kFileCannotOpen), caption) != MbRetry) return;
    }
    TableEdit edit(*this);
    kurv::DataFileRead read;
    {
        LongWork work(*this, kReading);
        read = kurv::ReadDataFile(data_, bytes, work.Progress());
    }
    bytes = std::string();  // the rows hold the texts now
    if (read == kurv::DataFileRead::Cancelled) return edit.Unchanged();
    if (read == kurv::DataFileRead::InvalidData) {
        // The table is as it was.
        MessageBox(nullptr, Pick(kurv::kFileInvalidData), caption, MbOk, MsgIcon::Warning);
        return;
    }
    datafile_.files.read = {datafile_.lastOpenName.toStdString(), kurv::DataFingerprint(data_)};
    edit.Done();
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
