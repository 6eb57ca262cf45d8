// The calibration record a laboratory fills in before the report is made:
// who calibrated what, against which standard, in which units. The dialog
// and the page share the fields' labels; the settings file remembers the
// fields that carry over from one report to the next.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kurv {

enum class RecordField : int {
    Laboratory,
    ReportNumber,
    InstrumentType,
    InstrumentSerial,
    Standard,
    Certificate,
    UnitY,
    UnitX,
    Conditions,
    Operator,
    CheckedBy,
    CalibrationDate,  // the texts as the page shows them
    ValidUntil,
};
inline constexpr int kRecordFieldCount = 13;

struct ReportRecord {
    std::array<std::string, kRecordFieldCount> values;

    std::string& operator[](RecordField f) { return values[static_cast<std::size_t>(f)]; }
    const std::string& operator[](RecordField f) const { return values[static_cast<std::size_t>(f)]; }
};

// The field's label in the language (0 Russian, 1 English), without a colon.
std::string RecordFieldLabel(RecordField f, int language);

// The dates are not remembered: a report is dated the day it is made, and a
// "valid until" of the last instrument must not pass to the next one.
bool RecordFieldRemembered(RecordField f);

// The settings file's section for the record; a field's key is its English
// label's letters ("UnitY", "CheckedBy").
inline constexpr const char* kRecordSection = "Report";
std::string RecordFieldKey(RecordField f);

// Longest text a field keeps, in bytes (cut at a character's start): a
// settings file edited by hand cannot fill the page with one field.
inline constexpr std::size_t kRecordFieldMaxBytes = 2000;

// A value as the settings file holds it: quoted, so that blanks at either end
// survive, with backslash escapes for line breaks and backslashes; NUL bytes
// and carriage returns are dropped. SettingsTextValue reads it back.
std::string SettingsValueText(std::string_view value);
std::string SettingsTextValue(std::string_view stored);

// The remembered fields from the settings file (the others empty); a missing
// or unreadable file gives an empty record.
ReportRecord ReadReportRecord(const std::string& settingsPath);
// Writes the remembered fields in one safe replacement of the file, keeping
// every other line. False, with the file as it was, when it cannot be written.
bool WriteReportRecord(const std::string& settingsPath, const ReportRecord& record);

}  // namespace kurv
