// Reading and writing the data file.
#include <QFile>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/datafile_format.h"
#include "table/stringgrid.h"
#include "table/undo.h"

namespace {

std::string PathBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

}  // namespace

int TFormMain::FileFailureBox(const QString& text, const QString& caption) {
    return MessageBox(nullptr, text, caption, MbAbort | MbRetry | MbIgnore, MsgIcon::Warning, MbRetry);
}

void TFormMain::itmReadClick() {
    const QString caption = Pick("Ошибка чтения файла", "Error reading file");
    std::string bytes;
    for (;;) {
        const QString name = dialogs_->OpenFileName(this, lastOpenName_);
        if (name.isEmpty()) return;
        lastOpenName_ = name;
        const kurv::FileReadResult r = kurv::ReadWholeFile(PathBytes(name), bytes, kurv::kDataFileMaxBytes);
        if (r == kurv::FileReadResult::Read) break;
        if (r == kurv::FileReadResult::TooLarge) {
            MessageBox(nullptr, Pick(kurv::kFileTooLarge.rus, kurv::kFileTooLarge.eng), caption, MbOk,
                       MsgIcon::Warning);
            return;
        }
        // Ignore ends the command like Abort: no file is open to read from.
        if (FileFailureBox(Pick(kurv::kFileCannotOpen.rus, kurv::kFileCannotOpen.eng), caption) != MbRetry)
            return;
    }
    const auto step = undo_->Begin();
    if (kurv::ReadDataFile(table_, bytes) == kurv::DataFileRead::InvalidData) {
        MessageBox(nullptr, Pick(kurv::kFileInvalidData.rus, kurv::kFileInvalidData.eng), caption, MbOk,
                   MsgIcon::Warning);
        return;
    }
    dataFiles_.read = {lastOpenName_.toStdString(), kurv::DataFingerprint(table_)};
    TableChanged();
    sgDataClick();
}

void TFormMain::itmWriteClick() {
    const QString caption = Pick("Ошибка записи файла", "Error writing file");
    const std::string bytes = kurv::DataFileBytes(table_);
    for (;;) {
        const QString name = dialogs_->SaveFileName(this, lastSaveName_);
        if (name.isEmpty()) return;
        lastSaveName_ = name;
        const kurv::FileWriteResult r = kurv::WriteFileSafely(PathBytes(name), bytes);
        if (r == kurv::FileWriteResult::Written) {
            dataFiles_.written = {name.toStdString(), kurv::DataFingerprint(table_)};
            return;
        }
        const QString text = r == kurv::FileWriteResult::OpenFailed
                                 ? Pick(kurv::kFileCannotOpen.rus, kurv::kFileCannotOpen.eng)
                                 : Pick(kurv::kFileCannotWrite.rus, kurv::kFileCannotWrite.eng);
        if (FileFailureBox(text, caption) != MbRetry) return;
    }
}
