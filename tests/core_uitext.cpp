#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/uitext.h"

using kurv::UiText;

TEST(UiText, EveryIdHasBothLanguages) {
    for (int id = 0; id < kurv::kUiTextCount; ++id) {
        SCOPED_TRACE(id);
        ASSERT_NE(UiText(id, 0), nullptr);
        ASSERT_NE(UiText(id, 1), nullptr);
        EXPECT_GT(std::strlen(UiText(id, 0)), 0u);
        EXPECT_GT(std::strlen(UiText(id, 1)), 0u);
    }
}

using kurv::TextId;

struct Entry {
    TextId id;
    const char* rus;
    const char* eng;
};

class UiTextEntry : public testing::TestWithParam<Entry> {};

TEST_P(UiTextEntry, IsExact) {
    const Entry& e = GetParam();
    EXPECT_EQ(std::string(UiText(e.id, 0)), e.rus);
    EXPECT_EQ(std::string(UiText(e.id, 1)), e.eng);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, UiTextEntry,
    testing::Values(
        Entry{TextId::AppTitle, "Аппроксимация экспериментальных данных",
              "Approximation of the experimental data"},
        Entry{TextId::MenuLanguage, "Язык (Language)", "Language (Язык)"},
        // Each language is offered under its own name in both languages.
        Entry{TextId::ItemRussian, "Русский", "Русский"}, Entry{TextId::ItemEnglish, "English", "English"},
        Entry{TextId::InsufficientData, "Недостаточно данных", "insufficient data"},
        Entry{TextId::CopyChartItem, "Копировать", "Copy graph"},
        Entry{TextId::HelpLast, "введенным данным.", "to the input data."},
        Entry{
            TextId::NotANumberSuffix,
            " не является правильным числом\nПримеры правильного ввода:\n   0,25\n   -15,74e4\n   +15638e-5",
            " is not a valid number\nExamples of valid input:\n   0,25\n   -15,74e4\n   +15638e-5"},
        Entry{TextId::CannotPaste, "Невозможно вставить данные из буфера обмена",
              "Can not insert data from the clipboard"}));

TEST(UiText, OutOfRangeIdIsEmpty) {
    EXPECT_STREQ(UiText(-1, 0), "");
    EXPECT_STREQ(UiText(kurv::kUiTextCount, 1), "");
}

TEST(UiText, UnknownLanguageIsRussian) {
    EXPECT_STREQ(UiText(TextId::ItemExit, 2), "Выход");
    EXPECT_STREQ(UiText(TextId::ItemExit, 255), "Выход");
}
