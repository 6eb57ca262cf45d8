#include "core/about_info.h"

#include <cstdio>

#include "build_version.h"
#include "core/uitext.h"

namespace kurv {

namespace {

bool English(int language) {
    return language == 1;
}

bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

constexpr std::string_view kTranslationPath = "\\VarFileInfo\\Translation";
constexpr std::string_view kStringTable = "\\StringFileInfo\\";

// The build's string table. Language 0x0419 in code page 0x04E3 (1251).
constexpr std::string_view kBuildTranslation{"\x19\x04\xE3\x04", 4};
constexpr const char* kBuildKey = "041904E3";
constexpr const char* kInternalName = "Kurvilon";
constexpr const char* kLegalCopyright = "(C) 2026 Разработчики Kurvilon";

}  // namespace

std::size_t BuildVersionSource::InfoSize() {
    return 1;
}

bool BuildVersionSource::Load() {
    return true;
}

std::optional<std::string> BuildVersionSource::Query(std::string_view path) {
    if (SamePath(path, kTranslationPath)) return std::string(kBuildTranslation);
    const std::string table = std::string(kStringTable) + kBuildKey + "\\";
    if (path.size() <= table.size() || !SamePath(path.substr(0, table.size()), table)) return std::nullopt;
    std::string_view name = path.substr(table.size());
    if (SamePath(name, "InternalName")) return kInternalName;
    if (SamePath(name, "FileVersion")) return KURVILON_VERSION_STRING;
    if (SamePath(name, "LegalCopyright")) return kLegalCopyright;
    return std::nullopt;
}

const char* BuildDate() {
#ifdef KURVILON_BUILD_DATE
    return KURVILON_BUILD_DATE;
#else
    return __DATE__;
#endif
}

std::optional<BuildDateParts> SplitBuildDate(std::string_view date) {
    // The fields are scanned as "%3s %2s %4s" would: a long word runs on into
    // the next field, and a NUL ends the text.
    const std::string text(date.substr(0, date.find('\0')));
    char month[4] = {}, day[3] = {}, year[5] = {};
    if (std::sscanf(text.c_str(), "%3s %2s %4s", month, day, year) != 3) return std::nullopt;
    return BuildDateParts{month, day, year};
}

std::string DateSuffix(const BuildDateParts& date, int language) {
    if (English(language)) return ", " + date.day + " " + date.month + " " + date.year;
    static constexpr const char* kMonths[12][2] = {
        {"Jan", " января "},   {"Feb", " февраля "}, {"Mar", " марта "},  {"Apr", " апреля "},
        {"May", " мая "},      {"Jun", " июня "},    {"Jul", " июля "},   {"Aug", " августа "},
        {"Sep", " сентября "}, {"Oct", " октября "}, {"Nov", " ноября "}, {"Dec", " декабря "}};
    const char* name = kMonths[0][1];
    for (const auto& m : kMonths)
        if (date.month == m[0]) name = m[1];
    return " от " + date.day + name + date.year + " г.";
}

std::optional<std::string> VersionKey(std::string_view translation) {
    if (translation.size() < 4) return std::nullopt;
    auto byte = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(translation[i]));
    };
    const unsigned lang = byte(0) | byte(1) << 8;
    const unsigned codePage = byte(2) | byte(3) << 8;
    char key[9];
    std::snprintf(key, sizeof key, "%04X%04X", lang, codePage);
    return std::string(key);
}

AboutTexts ComposeAboutTexts(VersionSource& source, std::string_view buildDate, int language) {
    AboutTexts t;
    const bool eng = English(language);
    if (source.InfoSize() == 0) return t;  // no version information: the design stays

    t.productName = UiText(TextId::AppTitle, eng ? 1 : 0);
    t.labelFax = eng ? "Phone/Fax:" : "тел./факс.:";
    t.labelMulti = eng ? "(multi-line)" : "(многоканальный)";
    t.labelSite = eng ? "Site:" : "Сайт:";
    t.labelInfo = eng ? "General questions:" : "Общие вопросы:";
    t.labelTech = eng ? "Technical Support:" : "Техподдержка:";

    const std::optional<BuildDateParts> date = SplitBuildDate(buildDate);
    if (!date) return t;
    const std::string suffix = DateSuffix(*date, language);

    if (!source.Load()) return t;
    const std::optional<std::string> translation = source.Query(kTranslationPath);
    const std::optional<std::string> key = translation ? VersionKey(*translation) : std::nullopt;
    if (!key) return t;
    const std::string table = std::string(kStringTable) + *key + "\\";

    if (auto v = source.Query(table + "InternalName")) t.caption = (eng ? "About " : "О программе ") + *v;
    if (auto v = source.Query(table + "FileVersion"))
        t.version = (eng ? "Version " : "Версия ") + *v + suffix;
    // The resource's copyright is Russian; English shows a fixed line instead.
    if (auto v = source.Query(table + "LegalCopyright")) t.copyright = eng ? about::kCopyrightEnglish : *v;
    return t;
}

std::string MailLinkText(std::string_view address, std::string_view title) {
    if (address.empty()) return {};  // a letter to nobody is nothing to open
    std::string s = "mailto:";
    s.append(address);
    s.append("?Subject=");
    s.append(title);
    return s;
}

std::string WebLinkText(std::string_view address) {
    return std::string(address);
}

}  // namespace kurv
