#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"

using namespace std::string_literals;

TEST(QuotedForMessage, ShortVisibleAndCutOnCharacters) {
    const std::string hundredCyrillic = [] {
        std::string s;
        for (int i = 0; i < 100; ++i) s += "\xD0\xAF";
        return s;
    }();
    struct Case {
        const char* name;
        std::string text;
        std::string quoted;
    };
    const Case cases[] = {
        {"plain", "abc", "abc"},
        {"NUL and other controls shown", "a\0b\t\x7F"s, "a\u2400b\u2409\u2421"},
        {"exactly the cap stays whole", hundredCyrillic, hundredCyrillic},
        {"one more is cut after whole characters", hundredCyrillic + "x", hundredCyrillic + "\u2026"},
        {"bytes that are not UTF-8", "1\xFF\xD0", "1\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) EXPECT_EQ(kurv::QuotedForMessage(c.text), c.quoted) << c.name;
}

TEST(ConvertError, QuotesAHugeTokenShortly) {
    const std::string what = kurv::ConvertError(std::string(5 << 20, 'z')).what();
    EXPECT_EQ(what, "'" + std::string(100, 'z') + "\u2026' is not a valid floating point value");
    EXPECT_EQ(std::string(kurv::ConvertError("a\0b"s).what()),
              "'a\u2400b' is not a valid floating point value");
}
