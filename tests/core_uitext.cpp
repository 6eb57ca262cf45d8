#include <gtest/gtest.h>

#include <cstring>

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

// The table's first, middle and last ids name their texts: a text added or
// dropped without its id shifts one of them.
TEST(UiText, IdsLineUpWithTheirTexts) {
    EXPECT_STREQ(UiText(TextId::AppTitle, 1), "Approximation of the experimental data");
    EXPECT_STREQ(UiText(TextId::HelpLast, 0), "введенным данным.");
    EXPECT_STREQ(UiText(TextId::CannotPaste, 1), "Can not insert data from the clipboard");
    // Each language is offered under its own name in both languages.
    for (int language : {0, 1}) {
        EXPECT_STREQ(UiText(TextId::ItemRussian, language), "Русский");
        EXPECT_STREQ(UiText(TextId::ItemEnglish, language), "English");
    }
}

TEST(UiText, OutOfRangeIdIsEmpty) {
    EXPECT_STREQ(UiText(-1, 0), "");
    EXPECT_STREQ(UiText(kurv::kUiTextCount, 1), "");
}

TEST(UiText, UnknownLanguageIsRussian) {
    EXPECT_STREQ(UiText(TextId::ItemExit, 2), "Выход");
    EXPECT_STREQ(UiText(TextId::ItemExit, 255), "Выход");
}
