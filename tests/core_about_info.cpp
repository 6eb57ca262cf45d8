#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "build_version.h"
#include "core/about_info.h"

using namespace std::string_literals;

namespace {

// A version resource with the answers and faults a test asks for.
class FakeVersions : public kurv::VersionSource {
  public:
    std::size_t size = 100;
    bool loads = true;
    std::optional<std::string> translation = "\x19\x04\xE3\x04"s;
    std::map<std::string, std::string> strings = {
        {"\\StringFileInfo\\041904E3\\InternalName", "Kurvilon"},
        {"\\StringFileInfo\\041904E3\\FileVersion", "1.9.2.27"},
        {"\\StringFileInfo\\041904E3\\LegalCopyright", "(C) Разработчики"},
    };
    std::vector<std::string> asked;

    std::size_t InfoSize() override { return size; }
    bool Load() override { return loads; }
    std::optional<std::string> Query(std::string_view path) override {
        asked.emplace_back(path);
        if (path == "\\VarFileInfo\\Translation") return translation;
        auto it = strings.find(std::string(path));
        if (it == strings.end()) return std::nullopt;
        return it->second;
    }
};

using Texts = kurv::AboutTexts;
const std::optional<std::string> kKeep;

void ExpectTexts(const Texts& t, std::optional<std::string> caption, std::optional<std::string> product,
                 std::optional<std::string> version, std::optional<std::string> copyright) {
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.productName, product);
    EXPECT_EQ(t.version, version);
    EXPECT_EQ(t.copyright, copyright);
}

}  // namespace

TEST(AboutTexts, RussianAndEnglish) {
    FakeVersions v;
    Texts rus = kurv::ComposeAboutTexts(v, "Dec 17 2018", 0);
    ExpectTexts(rus, "О программе Kurvilon", "Аппроксимация экспериментальных данных",
                "Версия 1.9.2.27 от 17 декабря 2018 г.", "(C) Разработчики");
    EXPECT_EQ(rus.labelFax, "тел./факс.:");
    EXPECT_EQ(rus.labelMulti, "(многоканальный)");
    EXPECT_EQ(rus.labelSite, "Сайт:");
    EXPECT_EQ(rus.labelInfo, "Общие вопросы:");
    EXPECT_EQ(rus.labelTech, "Техподдержка:");

    Texts eng = kurv::ComposeAboutTexts(v, "Dec 17 2018", 1);
    ExpectTexts(eng, "About Kurvilon", "Approximation of the experimental data",
                "Version 1.9.2.27, 17 Dec 2018", kurv::about::kCopyrightEnglish);
    EXPECT_EQ(eng.labelFax, "Phone/Fax:");
    EXPECT_EQ(eng.labelMulti, "(multi-line)");
    EXPECT_EQ(eng.labelSite, "Site:");
    EXPECT_EQ(eng.labelInfo, "General questions:");
    EXPECT_EQ(eng.labelTech, "Technical Support:");

    // An index beyond English reads as Russian, as everywhere else.
    EXPECT_EQ(kurv::ComposeAboutTexts(v, "Dec 17 2018", 2).caption, "О программе Kurvilon");
}

TEST(AboutTexts, KeyComesFromTheFirstTranslation) {
    FakeVersions v;
    v.translation = "\x09\x04\xB0\x04\x19\x04\xE3\x04"s;
    v.strings = {{"\\StringFileInfo\\040904B0\\FileVersion", "2.0"}};
    Texts t = kurv::ComposeAboutTexts(v, "Jan  5 2024", 1);
    EXPECT_EQ(t.version, "Version 2.0, 5 Jan 2024");
    EXPECT_EQ(v.asked,
              (std::vector<std::string>{
                  "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\InternalName",
                  "\\StringFileInfo\\040904B0\\FileVersion", "\\StringFileInfo\\040904B0\\LegalCopyright"}));
}

TEST(AboutTexts, NoVersionInformationKeepsEveryDesignedText) {
    FakeVersions v;
    v.size = 0;
    Texts t = kurv::ComposeAboutTexts(v, "Dec 17 2018", 1);
    ExpectTexts(t, kKeep, kKeep, kKeep, kKeep);
    EXPECT_FALSE(t.labelFax || t.labelMulti || t.labelSite || t.labelInfo || t.labelTech);
    EXPECT_TRUE(v.asked.empty());
}

// Faults after the captions: the product name and the five captions change, nothing else.
struct FaultCase {
    const char* name;
    const char* date;
    bool loads;
    std::optional<std::string> translation;
};

class AboutFault : public testing::TestWithParam<FaultCase> {};

TEST_P(AboutFault, KeepsCaptionVersionAndCopyright) {
    FakeVersions v;
    v.loads = GetParam().loads;
    v.translation = GetParam().translation;
    Texts t = kurv::ComposeAboutTexts(v, GetParam().date, 1);
    ExpectTexts(t, kKeep, "Approximation of the experimental data", kKeep, kKeep);
    EXPECT_EQ(t.labelTech, "Technical Support:");
}

INSTANTIATE_TEST_SUITE_P(Cases, AboutFault,
                         testing::Values(FaultCase{"DateWithTwoFields", "Dec 17", true, "\x19\x04\xE3\x04"s},
                                         FaultCase{"EmptyDate", "", true, "\x19\x04\xE3\x04"s},
                                         FaultCase{"ReadFails", "Dec 17 2018", false, "\x19\x04\xE3\x04"s},
                                         FaultCase{"NoTranslation", "Dec 17 2018", true, std::nullopt},
                                         FaultCase{"ShortTranslation", "Dec 17 2018", true, "\x19\x04\xE3"s}),
                         [](const testing::TestParamInfo<FaultCase>& i) {
                             return std::string(i.param.name);
                         });

TEST(AboutTexts, EachFailedQueryKeepsOnlyItsText) {
    const char* names[] = {"InternalName", "FileVersion", "LegalCopyright"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        FakeVersions v;
        v.strings.erase("\\StringFileInfo\\041904E3\\"s + name);
        Texts t = kurv::ComposeAboutTexts(v, "Dec 17 2018", 0);
        EXPECT_EQ(t.caption.has_value(), name != names[0]);
        EXPECT_EQ(t.version.has_value(), name != names[1]);
        EXPECT_EQ(t.copyright.has_value(), name != names[2]);
    }
}

TEST(AboutTexts, EmptyInternalNameKeepsTheTrailingSpace) {
    FakeVersions v;
    v.strings["\\StringFileInfo\\041904E3\\InternalName"] = "";
    EXPECT_EQ(kurv::ComposeAboutTexts(v, "Dec 17 2018", 0).caption, "О программе ");
    EXPECT_EQ(kurv::ComposeAboutTexts(v, "Dec 17 2018", 1).caption, "About ");
}

TEST(AboutTexts, BuildSourceAnswersForTheBuild) {
    kurv::BuildVersionSource v;
    Texts t = kurv::ComposeAboutTexts(v, "Mar  3 2025", 0);
    EXPECT_EQ(t.caption, "О программе Kurvilon");
    EXPECT_EQ(t.version, "Версия "s + KURVILON_VERSION_STRING + " от 3 марта 2025 г.");
    ASSERT_TRUE(t.copyright);
    EXPECT_FALSE(t.copyright->empty());
    EXPECT_EQ(v.Query("\\StringFileInfo\\041904E3\\Comments"), std::nullopt);
    EXPECT_TRUE(kurv::SplitBuildDate(kurv::BuildDate()));
}

struct DateCase {
    const char* date;
    const char* rus;  // nullptr: the date does not split
    const char* eng;
};

class BuildDateSuffix : public testing::TestWithParam<DateCase> {};

TEST_P(BuildDateSuffix, Reads) {
    auto parts = kurv::SplitBuildDate(GetParam().date);
    if (!GetParam().rus) {
        EXPECT_FALSE(parts);
        return;
    }
    ASSERT_TRUE(parts);
    EXPECT_EQ(kurv::DateSuffix(*parts, 0), GetParam().rus);
    EXPECT_EQ(kurv::DateSuffix(*parts, 1), GetParam().eng);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildDateSuffix,
    testing::Values(DateCase{"Jan  1 2020", " от 1 января 2020 г.", ", 1 Jan 2020"},
                    DateCase{"Feb 29 2024", " от 29 февраля 2024 г.", ", 29 Feb 2024"},
                    DateCase{"Mar 10 2021", " от 10 марта 2021 г.", ", 10 Mar 2021"},
                    DateCase{"Apr 11 2021", " от 11 апреля 2021 г.", ", 11 Apr 2021"},
                    DateCase{"May 12 2021", " от 12 мая 2021 г.", ", 12 May 2021"},
                    DateCase{"Jun 13 2021", " от 13 июня 2021 г.", ", 13 Jun 2021"},
                    DateCase{"Jul 14 2021", " от 14 июля 2021 г.", ", 14 Jul 2021"},
                    DateCase{"Aug 15 2021", " от 15 августа 2021 г.", ", 15 Aug 2021"},
                    DateCase{"Sep 16 2021", " от 16 сентября 2021 г.", ", 16 Sep 2021"},
                    DateCase{"Oct 17 2021", " от 17 октября 2021 г.", ", 17 Oct 2021"},
                    DateCase{"Nov 18 2021", " от 18 ноября 2021 г.", ", 18 Nov 2021"},
                    DateCase{"Dec  9 2018", " от 9 декабря 2018 г.", ", 9 Dec 2018"},
                    // The month is compared exactly; anything else is January in Russian.
                    DateCase{"dec 17 2018", " от 17 января 2018 г.", ", 17 dec 2018"},
                    // Fields are cut as the scan pattern cuts them.
                    DateCase{"December 17 2018", " от em декабря ber г.", ", em Dec ber"},
                    DateCase{"Dec 170 20189", " от 17 декабря 0 г.", ", 17 Dec 0"},
                    DateCase{"\t Dec\t17\n2018 ", " от 17 декабря 2018 г.", ", 17 Dec 2018"},
                    DateCase{"Dec 17", nullptr, nullptr}, DateCase{"   ", nullptr, nullptr},
                    DateCase{"", nullptr, nullptr}));

TEST(VersionKey, FromTheFirstPair) {
    EXPECT_EQ(kurv::VersionKey("\x19\x04\xE3\x04"s), "041904E3");
    EXPECT_EQ(kurv::VersionKey("\x09\x04\xB0\x04\x19\x04\xE3\x04"s), "040904B0");
    EXPECT_EQ(kurv::VersionKey("\x00\x00\x00\x00"s), "00000000");
    EXPECT_EQ(kurv::VersionKey("\xFF\xFF\xFF\xFF"s), "FFFFFFFF");
    EXPECT_EQ(kurv::VersionKey("\x19\x04\xE3"s), std::nullopt);
}

TEST(AboutLinks, TextsAsHandedToTheShell) {
    EXPECT_EQ(kurv::MailLinkText("info@example.com", "Approximation of the experimental data"),
              "mailto:info@example.com?Subject=Approximation of the experimental data");
    EXPECT_EQ(kurv::MailLinkText("", "Approximation of the experimental data"), "");
    EXPECT_EQ(kurv::WebLinkText(kurv::about::kWebMain), kurv::about::kWebMain);
}
