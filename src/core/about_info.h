// What the About box shows: the texts it fills from the version information
// and the build date, its design data (contacts, designed texts) and the
// texts of its mail and web links. Languages: 1 English, anything else Russian.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kurv {

// The program's version information as a version resource answers it.
class VersionSource {
  public:
    virtual ~VersionSource() = default;
    // Size of the version information in bytes; 0 when there is none.
    virtual std::size_t InfoSize() = 0;
    // Reads the information; false when the read fails.
    virtual bool Load() = 0;
    // The value under `path`, or nothing when the query fails. Paths are
    // "\VarFileInfo\Translation" (pairs of 16-bit little-endian language and
    // code page, raw bytes) and "\StringFileInfo\<key>\<name>" (text, UTF-8).
    virtual std::optional<std::string> Query(std::string_view path) = 0;
};

// The version information of this build: Russian in code page 1251
// (key "041904E3"), internal name, the project's version and the copyright.
class BuildVersionSource : public VersionSource {
  public:
    std::size_t InfoSize() override;
    bool Load() override;
    std::optional<std::string> Query(std::string_view path) override;
};

// The date of this build, "Mmm dd yyyy" (a single-digit day after two spaces):
// the day SOURCE_DATE_EPOCH names when it was set for the build, so that two
// builds of one commit are the same program; else the compiler's date.
const char* BuildDate();

struct BuildDateParts {
    std::string month;  // at most 3 characters
    std::string day;    // at most 2
    std::string year;   // at most 4
};

// Splits a build date into three whitespace-separated fields of at most 3, 2
// and 4 characters (a longer word runs on into the next field); nothing
// unless all three are there.
std::optional<BuildDateParts> SplitBuildDate(std::string_view date);

// " от 17 декабря 2018 г." / ", 17 Dec 2018". An unknown month is January in Russian.
std::string DateSuffix(const BuildDateParts& date, int language);

// The string table key of the first translation: "041904E3" for Russian in
// code page 1251. Nothing when the list holds less than one pair.
std::optional<std::string> VersionKey(std::string_view translation);

// The texts the box fills when it is created; an empty field keeps the designed text.
struct AboutTexts {
    std::optional<std::string> caption;
    std::optional<std::string> productName;
    std::optional<std::string> version;
    std::optional<std::string> copyright;
    std::optional<std::string> labelFax;
    std::optional<std::string> labelMulti;
    std::optional<std::string> labelSite;
    std::optional<std::string> labelInfo;
    std::optional<std::string> labelTech;
};

AboutTexts ComposeAboutTexts(VersionSource& source, std::string_view buildDate, int language);

// "mailto:" + address + "?Subject=" + title, as it is handed to the shell;
// nothing without an address.
std::string MailLinkText(std::string_view address, std::string_view title);
// The web address as it is handed to the shell.
std::string WebLinkText(std::string_view address);

// The box's design data.
namespace about {

inline constexpr const char* kCaption = "About";
inline constexpr const char* kProductName = "Product Name";
inline constexpr const char* kVersion = "Version";
inline constexpr const char* kCopyright = "Copyright";
inline constexpr const char* kLabelFax = "тел./факс.:";
inline constexpr const char* kLabelMulti = "(многоканальный)";
inline constexpr const char* kLabelSite = "Сайт:";
inline constexpr const char* kLabelInfo = "Общие вопросы:";
inline constexpr const char* kLabelTech = "Техподдержка:";

// The project has no telephone, mail address or web page of its own to give:
// the lines stay with their captions and hold nothing, and nothing is opened.
inline constexpr const char* kPhones = "";
inline constexpr const char* kWebMain = "";
inline constexpr const char* kWebSecond = "";
inline constexpr const char* kMailGeneral = "";
inline constexpr const char* kMailSupport = "";
inline constexpr const char* kMailHint = "Написать письмо";
inline constexpr const char* kWebHint = "";
inline constexpr const char* kCopyrightEnglish = "Copyright (C) 2026 Kurvilon developers";

}  // namespace about

}  // namespace kurv
