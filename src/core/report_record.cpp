#include "core/report_record.h"

#include <new>

#include "core/file_io.h"
#include "core/ini_file.h"

namespace kurv {

namespace {

struct FieldText {
    const char* key;  // empty: not remembered
    const char* rus;
    const char* eng;
};

constexpr FieldText kFields[kRecordFieldCount] = {
    {"Laboratory", "Лаборатория", "Laboratory"},
    {"Number", "Номер отчёта", "Report number"},
    {"Instrument", "Средство измерений", "Instrument"},
    {"Serial", "Заводской номер", "Serial number"},
    {"Standard", "Эталон", "Reference standard"},
    {"Certificate", "Свидетельство эталона", "Standard's certificate"},
    {"UnitY", "Единица Y", "Unit of Y"},
    {"UnitX", "Единица X", "Unit of X"},
    {"Conditions", "Условия", "Conditions"},
    {"Operator", "Исполнитель", "Operator"},
    {"CheckedBy", "Проверил", "Checked by"},
    {"", "Дата градуировки", "Date of calibration"},
    {"", "Действителен до", "Valid until"},
};

const FieldText& Of(RecordField f) {
    const int i = static_cast<int>(f);
    return kFields[i >= 0 && i < kRecordFieldCount ? i : 0];
}

// Settings files beyond this are not ours (the settings reader's own limit).
constexpr std::uint64_t kSettingsMaxBytes = std::uint64_t{64} << 20;

// At most `max` bytes, never ending inside a UTF-8 sequence.
std::string CutText(std::string text, std::size_t max) {
    if (text.size() <= max) return text;
    std::size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

}  // namespace

std::string RecordFieldLabel(RecordField f, int language) {
    return language == 1 ? Of(f).eng : Of(f).rus;
}

bool RecordFieldRemembered(RecordField f) {
    return *Of(f).key != '\0';
}

std::string RecordFieldKey(RecordField f) {
    return Of(f).key;
}

std::string SettingsValueText(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c != '\r' && c != '\0')
            out += c;
    }
    out += '"';
    return out;
}

std::string SettingsTextValue(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c == '\\' && i + 1 < stored.size() && (stored[i + 1] == '\\' || stored[i + 1] == 'n')) {
            out += stored[++i] == 'n' ? '\n' : '\\';
        } else if (c != '\0') {
            out += c;
        }
    }
    return out;
}

ReportRecord ReadReportRecord(const std::string& settingsPath) {
    ReportRecord r;
    try {
        std::string content;
        if (ReadWholeFile(settingsPath, content, kSettingsMaxBytes) != FileReadResult::Read) return r;
        for (int i = 0; i < kRecordFieldCount; ++i) {
            const auto f = static_cast<RecordField>(i);
            if (!RecordFieldRemembered(f)) continue;
            if (auto v = ProfileLookup(content, kRecordSection, RecordFieldKey(f)))
                r[f] = CutText(SettingsTextValue(*v), kRecordFieldMaxBytes);
        }
    } catch (const std::bad_alloc&) {
        return ReportRecord{};
    }
    return r;
}

bool WriteReportRecord(const std::string& settingsPath, const ReportRecord& record) {
    try {
        std::string content;
        const FileReadResult read = ReadWholeFile(settingsPath, content, kSettingsMaxBytes);
        if (read != FileReadResult::Read && read != FileReadResult::Missing)
            return false;  // never replace what could not be read
        std::string updated = content;
        for (int i = 0; i < kRecordFieldCount; ++i) {
            const auto f = static_cast<RecordField>(i);
            if (!RecordFieldRemembered(f)) continue;
            updated = ProfileWithValue(updated, kRecordSection, RecordFieldKey(f),
                                       SettingsValueText(CutText(record[f], kRecordFieldMaxBytes)));
        }
        if (read == FileReadResult::Read && updated == content) return true;
        return WriteFileSafely(settingsPath, updated) == FileWriteResult::Written;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace kurv
