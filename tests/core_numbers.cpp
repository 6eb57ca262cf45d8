#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/numbers.h"
#include "numbers_reference.h"

using namespace kurv;

namespace {

constexpr char kBoth = 0;  // a table row that holds for either separator
constexpr char kSeps[] = {'.', ','};

std::string WithSep(std::string s, char sep) {
    for (char& c : s)
        if (c == '.') c = sep;
    return s;
}

long double StrtoldC(const std::string& s) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtold_l(s.c_str(), nullptr, c);
}

bool SameValue(long double a, long double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

// ---------------------------------------------------------------------------
// The text form

struct TextCase {
    const char* text;
    char sep;
    bool accepted;
    long double value;
};

const TextCase kTextForm[] = {
    // The locale separator and the first '.'
    {"0,25", ',', true, 0.25L},
    {"0.25", ',', true, 0.25L},
    {"0.25", '.', true, 0.25L},
    {"0,25", '.', false, 0},
    {"1.5", ',', true, 1.5L},
    {"1,5", ',', true, 1.5L},
    {"1.5.5", kBoth, false, 0},
    {"1,5.5", ',', false, 0},
    {"1.5,5", ',', false, 0},
    {"1,000.5", kBoth, false, 0},
    {"1..5", kBoth, false, 0},
    {"1e5.", kBoth, false, 0},
    {",", ',', true, 0},
    {",", '.', false, 0},
    {"+,", ',', true, 0},
    {"-15,74e4", ',', true, -157400},
    // Blanks: spaces only, outside the number only
    {" 12 ", kBoth, true, 12},
    {"   -3.25e1  ", kBoth, true, -32.5L},
    {"1 000", kBoth, false, 0},
    {"- 1", kBoth, false, 0},
    {"1 e5", kBoth, false, 0},
    {"1e 5", kBoth, false, 0},
    {"\t1", kBoth, false, 0},
    {"1\t", kBoth, false, 0},
    {"1\n", kBoth, false, 0},
    {"   ", kBoth, false, 0},
    // Sign, digits and separator
    {"", kBoth, false, 0},
    {"-", kBoth, false, 0},
    {"+", kBoth, false, 0},
    {".", kBoth, true, 0},
    {"-.", kBoth, true, -0.0L},
    {"-0", kBoth, true, -0.0L},
    {".5", kBoth, true, 0.5L},
    {"5.", kBoth, true, 5},
    {"+15638e-5", kBoth, true, 0.15638L},
    {"--1", kBoth, false, 0},
    {"+-1", kBoth, false, 0},
    {"12a", kBoth, false, 0},
    {"0x10", kBoth, false, 0},
    {"inf", kBoth, false, 0},
    {"nan", kBoth, false, 0},
    {"1\xef\xbc\x91", kBoth, false, 0},  // a full-width digit
    // The exponent: optional sign, possibly empty digits, magnitude below 5000
    {"1e", kBoth, true, 1},
    {"1e+", kBoth, true, 1},
    {"1E-", kBoth, true, 1},
    {"2E3", kBoth, true, 2000},
    {".e5", kBoth, true, 0},
    {"1.e5", kBoth, true, 1e5L},
    {"e5", kBoth, false, 0},
    {"-e5", kBoth, false, 0},
    {"1e+-5", kBoth, false, 0},
    {"1e5e5", kBoth, false, 0},
    {"1e0000000000000000000002", kBoth, true, 100},
    {"0e4999", kBoth, true, 0},
    {"0e5000", kBoth, false, 0},
    {"1e5000", kBoth, false, 0},
    {"1e-5000", kBoth, false, 0},
    {"1e99999999999999999999", kBoth, false, 0},
    // The 80-bit range: overflow rejected, underflow accepted as 0
    {"1e400", kBoth, true, 1e400L},
    {"-1e400", kBoth, true, -1e400L},
    {"1e4932", kBoth, true, 1e4932L},
    {"1.18973149535723176502e4932", kBoth, true, LDBL_MAX},
    {"1.19e4932", kBoth, false, 0},
    {"1e4999", kBoth, false, 0},
    {"1e04999", kBoth, false, 0},
    {"100000e4928", kBoth, false, 0},
    {"1e-4999", kBoth, true, 0},
    {"-1e-4999", kBoth, true, -0.0L},
    {"3.6e-4951", kBoth, true, LDBL_TRUE_MIN},
    // Long texts leave the short exact route
    {"12345678901234567890123", kBoth, true, 12345678901234567890123.0L},
    {"0.000000000000000000000000000000000000001", kBoth, true, 1e-39L},
    {"1000000000000000000000000000000000000000000000", kBoth, true, 1e45L},
    {"00000000000000000000000000000000000000000001.5", kBoth, true, 1.5L},
};

TEST(TextForm, AcceptsExactlyTheNumberGrammar) {
    for (const auto& c : kTextForm) {
        for (char sep : kSeps) {
            if (c.sep != kBoth && c.sep != sep) continue;
            SCOPED_TRACE(std::string("'") + c.text + "' with separator '" + sep + "'");
            const auto v = ParseNumber(c.text, sep);
            ASSERT_EQ(v.has_value(), c.accepted);
            if (v) {
                EXPECT_TRUE(SameValue(*v, c.value)) << static_cast<double>(*v);
            }
        }
    }
}

TEST(TextForm, PartialTextsAreOnlyEmptyAndSigns) {
    for (const char* t : {"", "-", "+"}) EXPECT_TRUE(IsPartialNumberText(t)) << t;
    for (const char* t : {" ", ".", "-1", "+-", "--", "e"}) EXPECT_FALSE(IsPartialNumberText(t)) << t;
}

// The decimal text is rounded to 80 bits and only then to double.
struct DoubleCase {
    const char* text;
    double value;
};

const DoubleCase kToDouble[] = {
    {"0.002877", 0x1.791819d2391d6p-9},  // the nearest double is ...d5
    {"1.94", 1.94},
    {"-0.15", -0.15},
    {"1.7976931348623158e308", DBL_MAX},  // rounds down to the largest double
    {"-1.7976931348623158e308", -DBL_MAX},
    {"1e-400", 0},
    {"4.9406564584124654e-324", 0x1p-1074},
    {"2.4703282292062328e-324", 0x1p-1074},  // just above half the smallest subnormal
};

TEST(TextToNumber, RoundsThroughTheExtendedValue) {
    for (char sep : kSeps) {
        for (const auto& c : kToDouble) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(TextToNumber(WithSep(c.text, sep), sep), c.value);
        }
    }
    EXPECT_NE(TextToNumber("0.002877", '.'), std::strtod("0.002877", nullptr));
}

TEST(TextToNumber, RejectsTextsAndValuesBeyondTheDoubleRange) {
    for (char sep : kSeps) {
        for (const char* t : {"1e400", "-1e400", "1.7976931348623159e308", "1e4932"}) {
            SCOPED_TRACE(t);
            EXPECT_THROW(TextToNumber(t, sep), ArithmeticError);
        }
        for (const char* t : {"", "-", "abc", "1e4999", "1 000", "1,5.5"}) {
            SCOPED_TRACE(t);
            EXPECT_THROW(TextToNumber(t, sep), ConvertError);
        }
    }
    try {
        TextToNumber("12a", ',');
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
    }
    EXPECT_STREQ(ArithmeticError().what(), "Floating point overflow.");
}

// The short exact route must agree bit for bit with the library conversion.
// The texts cluster where the route's limits are: 19 and 20 significant
// digits, powers of ten around 10^±27, runs of 0 and 9.
TEST(TextForm, AgreesWithTheLibraryConversion) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kTexts = 400000;
#else
    constexpr int kTexts = 4000000;
#endif
    std::mt19937_64 rng(20240611);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string text, plain;
    int fast = 0;
    for (int i = 0; i < kTexts; ++i) {
        const char sep = kSeps[i & 1];
        text.clear();
        if (pick(4) == 0) text += pick(2) ? '-' : '+';
        if (pick(8) == 0) text.append(static_cast<std::size_t>(pick(4)), '0');
        const int digits = pick(3) ? 1 + pick(21) : 15 + pick(7);
        const int point = pick(4) ? pick(digits + 1) : -1;
        const int style = pick(6);  // 0: runs of 9, 1: runs of 0, else random digits
        int significant = 0;
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            char c = static_cast<char>('0' + pick(10));
            if (style == 0 && pick(4)) c = '9';
            if (style == 1 && pick(4)) c = '0';
            if (d == 0 && c == '0' && pick(2)) c = '1';
            text += c;
            if (c != '0' || significant) ++significant;
        }
        if (point == digits) text += '.';
        int e = 0;
        if (pick(3)) {
            const int range = pick(16);
            if (range < 7)
                e = pick(61) - 30;
            else if (range < 13)
                e = pick(21) + (pick(2) ? 17 : -37);
            else if (range < 15)
                e = pick(701) - 350;
            else
                e = pick(9901) - 4950;  // the library is slow here: fewer of these
            text += pick(2) ? 'e' : 'E';
            if (e < 0 || pick(2)) text += e < 0 ? '-' : '+';
            text += std::to_string(e < 0 ? -e : e);
        }
        if (significant <= 19 && e > -40 && e < 40) ++fast;
        plain = WithSep(text, '.');
        text = WithSep(text, sep);
        const auto v = ParseNumber(text, sep);
        const long double ref = StrtoldC(plain);
        if (std::isinf(ref)) {
            ASSERT_FALSE(v.has_value()) << text;
        } else {
            ASSERT_TRUE(v.has_value()) << text;
            ASSERT_TRUE(SameValue(*v, ref)) << text;
        }
    }
    EXPECT_GT(fast, kTexts / 3);
}

// The process locale (a Qt application sets it from the environment) must
// not change the conversion.
TEST(TextForm, IgnoresTheProcessLocale) {
    const char* old = setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "ru_RU.utf8"})
        if (setlocale(LC_NUMERIC, name)) {
            comma = name;
            break;
        }
    if (!comma) GTEST_SKIP() << "no locale with a comma separator installed";
    const auto a = ParseNumber("1.2345678901234567890123e-300", '.');
    const auto b = ParseNumber("1,2345678901234567890123e-300", ',');
    setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(*a, StrtoldC("1.2345678901234567890123e-300"));
}

// ---------------------------------------------------------------------------
// The display patterns. Expected texts are written with '.', and every row is
// checked with both separators.

using Formatter = std::string (*)(double, char);

struct FormatCase {
    Formatter fn;
    const char* name;
    double v;
    const char* text;
};

#define F(fn) fn, #fn

const FormatCase kPatterns[] = {
    // "0.0000000"
    {F(FormatFixed7), 1.00390625, "1.0039063"},  // an exact tie goes away from zero
    {F(FormatFixed7), -1.00390625, "-1.0039063"},
    {F(FormatFixed7), 9.99999999, "10.0000000"},
    {F(FormatFixed7), 9.99999995, "9.9999999"},  // below the tie in binary
    {F(FormatFixed7), 0.00000025, "0.0000002"},
    {F(FormatFixed7), 1.0000000500000001, "1.0000001"},
    {F(FormatFixed7), 1.94, "1.9400000"},
    {F(FormatFixed7), -2, "-2.0000000"},
    {F(FormatFixed7), 0, "0.0000000"},
    {F(FormatFixed7), -0.0, "0.0000000"},
    {F(FormatFixed7), -0.00000004, "0.0000000"},
    {F(FormatFixed7), 1e20, "100000000000000000000.0000000"},
    {F(FormatFixed7), 123456789012345678.0, "123456789012345680.0000000"},
    {F(FormatFixed7), 5e-324, "0.0000000"},
    // "0.0000000e+0"
    {F(FormatExp7), 0.15, "1.5000000e-1"},
    {F(FormatExp7), 10, "1.0000000e+1"},
    {F(FormatExp7), -10, "-1.0000000e+1"},
    {F(FormatExp7), 0.5, "5.0000000e-1"},
    {F(FormatExp7), 0.999999999, "1.0000000e+0"},
    {F(FormatExp7), 12345.678, "1.2345678e+4"},
    {F(FormatExp7), 100.390625, "1.0039063e+2"},
    {F(FormatExp7), 1000, "1.0000000e+3"},
    {F(FormatExp7), 0.001, "1.0000000e-3"},
    {F(FormatExp7), 1e100, "1.0000000e+100"},
    {F(FormatExp7), 1e-300, "1.0000000e-300"},
    {F(FormatExp7), DBL_MAX, "1.7976931e+308"},
    {F(FormatExp7), 5e-324, "4.9406565e-324"},
    {F(FormatExp7), 0, "0.0000000e+0"},
    {F(FormatExp7), -0.0, "0.0000000e+0"},
    // "0.###"
    {F(FormatUpTo3), 0.0625, "0.063"},
    {F(FormatUpTo3), -0.0625, "-0.063"},
    {F(FormatUpTo3), 1.0625, "1.063"},
    {F(FormatUpTo3), 1.0005, "1"},  // 1.000499999...
    {F(FormatUpTo3), 0.1245, "0.124"},
    {F(FormatUpTo3), 2.0005, "2.001"},
    {F(FormatUpTo3), 1234567.8915, "1234567.891"},
    {F(FormatUpTo3), 0.9995, "1"},
    {F(FormatUpTo3), 0.0149, "0.015"},
    {F(FormatUpTo3), 0.23, "0.23"},
    {F(FormatUpTo3), 2.5, "2.5"},
    {F(FormatUpTo3), 2, "2"},
    {F(FormatUpTo3), 0.0005, "0.001"},
    {F(FormatUpTo3), 0.0004, "0"},
    {F(FormatUpTo3), -0.0004, "0"},
    {F(FormatUpTo3), 1e20, "100000000000000000000"},
    // "0.000e+00"
    {F(FormatExp3), 0.01, "1.000e-02"},
    {F(FormatExp3), 0.001, "1.000e-03"},
    {F(FormatExp3), 0.0078125, "7.813e-03"},
    {F(FormatExp3), 9.9996e-3, "1.000e-02"},
    {F(FormatExp3), -2.5e-3, "-2.500e-03"},
    {F(FormatExp3), 1e5, "1.000e+05"},
    {F(FormatExp3), 1e-100, "1.000e-100"},
    {F(FormatExp3), 5e-324, "4.941e-324"},
    {F(FormatExp3), 0, "0.000e+00"},
    // The general form: 15 digits, the notation chosen from the rounded value
    {F(GeneralNumberText), 0, "0"},
    {F(GeneralNumberText), -0.0, "0"},
    {F(GeneralNumberText), 0.5, "0.5"},
    {F(GeneralNumberText), -1.5, "-1.5"},
    {F(GeneralNumberText), 100, "100"},
    {F(GeneralNumberText), 0.1 + 0.2, "0.3"},
    {F(GeneralNumberText), 2.0 / 3, "0.666666666666667"},
    {F(GeneralNumberText), 100000000000000.5, "100000000000001"},
    {F(GeneralNumberText), 999999999999999, "999999999999999"},
    {F(GeneralNumberText), 999999999999999.9, "1E15"},
    {F(GeneralNumberText), 1e15, "1E15"},
    {F(GeneralNumberText), 1e20, "1E20"},
    {F(GeneralNumberText), 123456789012345678.0, "1.23456789012346E17"},
    {F(GeneralNumberText), 0.0001, "0.0001"},
    {F(GeneralNumberText), 0.00009999999999999999, "0.0001"},
    {F(GeneralNumberText), 0.00012345678901234567, "0.000123456789012346"},
    {F(GeneralNumberText), 0.00001, "1E-5"},
    {F(GeneralNumberText), 1.5e-7, "1.5E-7"},
    {F(GeneralNumberText), -1.25e-5, "-1.25E-5"},
    {F(GeneralNumberText), 1234567.8915, "1234567.8915"},
    {F(GeneralNumberText), DBL_MAX, "1.79769313486232E308"},
    {F(GeneralNumberText), 5e-324, "4.94065645841247E-324"},
    // A coefficient: fixed for 1 <= |a| < 10, chosen before rounding
    {F(CoefficientText), 0, "0"},
    {F(CoefficientText), -0.0, "0"},
    {F(CoefficientText), 1, "1.0000000"},
    {F(CoefficientText), -1, "-1.0000000"},
    {F(CoefficientText), 10, "1.0000000e+1"},
    {F(CoefficientText), -10, "-1.0000000e+1"},
    {F(CoefficientText), 0.5, "5.0000000e-1"},
    {F(CoefficientText), 1.94, "1.9400000"},
    {F(CoefficientText), 0.15, "1.5000000e-1"},
    {F(CoefficientText), 9.99999999, "10.0000000"},
    {F(CoefficientText), -9.99999999, "-10.0000000"},
    {F(CoefficientText), 0.999999999, "1.0000000e+0"},
    {F(CoefficientText), -0.999999999, "-1.0000000e+0"},
    // The error measures: "0.###" above the double 0.01
    {F(ErrorMeasureText), 0, "0"},
    {F(ErrorMeasureText), 0.01, "1.000e-02"},
    {F(ErrorMeasureText), 0.010000000000000002, "0.01"},
    {F(ErrorMeasureText), 0.0149, "0.015"},
    {F(ErrorMeasureText), 0.005, "5.000e-03"},
    {F(ErrorMeasureText), 1e-20, "1.000e-20"},
    {F(ErrorMeasureText), 0.23, "0.23"},
    {F(ErrorMeasureText), 2, "2"},
    // A value read off the curve: fixed inside (0.001, 1000) and its mirror
    {F(CurveValueText), 0, "0"},
    {F(CurveValueText), -0.0, "0"},
    {F(CurveValueText), 0.5, "0.5000000"},
    {F(CurveValueText), 1000, "1.0000000e+3"},
    {F(CurveValueText), -1000, "-1.0000000e+3"},
    {F(CurveValueText), 0.001, "1.0000000e-3"},
    {F(CurveValueText), -0.001, "-1.0000000e-3"},
    {F(CurveValueText), 0.0010000000000000002, "0.0010000"},
    {F(CurveValueText), 0.0005, "5.0000000e-4"},
    {F(CurveValueText), 999.99, "999.9900000"},
    {F(CurveValueText), 999.99999999, "1000.0000000"},
    {F(CurveValueText), -999.99999999, "-1000.0000000"},
    {F(CurveValueText), 12345.678, "1.2345678e+4"},
};

TEST(NumberText, Patterns) {
    for (char sep : kSeps) {
        for (const auto& c : kPatterns) {
            SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(c.v) + " with '" + sep + "'");
            EXPECT_EQ(c.fn(c.v, sep), WithSep(c.text, sep));
        }
    }
}

TEST(NumberText, EveryFormatterIsTotal) {
    const Formatter all[] = {FormatFixed7,    FormatExp7,       FormatUpTo3,    FormatExp3,
                             CoefficientText, ErrorMeasureText, CurveValueText, GeneralNumberText};
    const double inf = std::numeric_limits<double>::infinity();
    for (Formatter fn : all) {
        EXPECT_EQ(fn(inf, ','), "INF");
        EXPECT_EQ(fn(-inf, ','), "-INF");
        EXPECT_EQ(fn(std::numeric_limits<double>::quiet_NaN(), ','), "NAN");
    }
}

// Away from exact ties the library's printf rounds correctly, so it checks the
// exact digits over the whole range. A value m * 2^e2 with m odd and e2 < 0
// has exactly -e2 decimals, and with m >= 2^52 at least 17 significant digits:
// no tie at 8 or 15 digits, and at 7 decimals only for e2 = -8. An integer
// m * 2^e2 (e2 >= 0) can tie at 8 digits only when 5^8 divides m.
std::string PrintfExp7(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7e", v);
    std::string s(buf);
    const auto e = s.find('e');
    const int x = std::stoi(s.substr(e + 1));
    return s.substr(0, e) + (x < 0 ? "e-" : "e+") + std::to_string(std::abs(x));
}

TEST(NumberText, AgreesWithPrintfAwayFromTies) {
    std::mt19937_64 rng(77);
    char buf[512];
    const std::uint64_t top = std::uint64_t{1} << 52;
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t m = (rng() & (top - 1)) | top | 1;
        const int e2 = -1 - static_cast<int>(rng() % 1074);
        const double v = std::ldexp(static_cast<double>(m), e2) * ((i & 1) ? -1 : 1);
        SCOPED_TRACE(v);
        ASSERT_EQ(FormatExp7(v, '.'), PrintfExp7(v));

        std::snprintf(buf, sizeof buf, "%.15G", v);
        std::string ref(buf);
        if (const auto e = ref.find('E'); e != std::string::npos)
            ref = ref.substr(0, e) + "E" + std::to_string(std::stoi(ref.substr(e + 1)));
        ASSERT_EQ(GeneralNumberText(v, '.'), ref);

        if (e2 != -8 && std::fabs(v) > 1e-7) {  // printf keeps the sign of a rounded zero
            std::snprintf(buf, sizeof buf, "%.7f", v);
            ASSERT_EQ(FormatFixed7(v, '.'), std::string(buf));
        }
    }
    for (int i = 0; i < 50000; ++i) {
        const std::uint64_t m = (rng() & (top - 1)) | top;
        const double big = std::ldexp(static_cast<double>(m), static_cast<int>(rng() % 972));
        const double tiny = std::ldexp(static_cast<double>((rng() & (top - 1)) | 1), -1074);  // subnormal
        if (m % 390625 != 0) {
            ASSERT_EQ(FormatExp7(big, '.'), PrintfExp7(big)) << big;
        }
        ASSERT_EQ(FormatExp7(tiny, '.'), PrintfExp7(tiny)) << tiny;
    }
}

// ---------------------------------------------------------------------------
// The fast formatters against the exact expansion they replaced, and the
// full-precision text read back. The values cluster where a fast route can go
// wrong: every exact tie of a shown digit, the doubles next to each rounding
// boundary and power of ten, the ends of the range and the subnormals, random
// bit patterns and short decimals as typed.
//
// CI checks a million values (fewer under the sanitizers). For the long
// proof run by hand: KURVILON_LONG_PROOF=1 build/tests/core_numbers
// --gtest_filter='*Reference*' checks 300 million (KURVILON_LONG_PROOF=n with
// n > 1 checks n million).

class ValueSource {
  public:
    double Next() {
        const double v = Pick();
        return (rng_() & 1) ? -v : v;
    }

  private:
    std::uint64_t Below(std::uint64_t n) { return rng_() % n; }
    int Between(int lo, int hi) {
        return lo + static_cast<int>(Below(static_cast<std::uint64_t>(hi - lo + 1)));
    }
    static std::uint64_t Pow(std::uint64_t b, int e) {
        std::uint64_t r = 1;
        while (e-- > 0) r *= b;
        return r;
    }
    double Near(double v) {  // v or one of its nearest neighbours
        for (int k = Between(-2, 2); k != 0; k += k < 0 ? 1 : -1)
            v = std::nextafter(v, k < 0 ? 0.0 : std::numeric_limits<double>::infinity());
        return v;
    }
    double Decimal(std::uint64_t digits, int exponent) {
        return std::strtod((std::to_string(digits) + "e" + std::to_string(exponent)).c_str(), nullptr);
    }
    // An exact tie at the last of `shown` significant digits:
    // (k + 1/2) * 10^q = m * 2^(q - 1) with m = (2k + 1) * 5^-q.
    double Tie(int shown) {
        const std::uint64_t lo = 2 * Pow(10, shown - 1), hi = 2 * Pow(10, shown);
        for (;;) {
            const int q = Between(-22, 22);
            if (q <= 0) {
                const std::uint64_t f = Pow(5, -q), mLo = (lo + f - 1) / f, mHi = hi / f;
                if (mHi <= mLo) continue;
                return std::ldexp(static_cast<double>((mLo + Below(mHi - mLo)) | 1), q - 1);
            }
            const std::uint64_t m = ((lo + Below(hi - lo)) | 1) * Pow(5, q);
            if (m >> 53) continue;
            return std::ldexp(static_cast<double>(m), q - 1);
        }
    }
    double Pick() {
        const int shownDigits[] = {4, 8, 15};
        switch (Below(10)) {
            case 0: {  // any finite bit pattern
                const std::uint64_t bits = rng_() & ~(std::uint64_t{1} << 63);
                return (bits >> 52) == 0x7ff ? 0.0 : std::bit_cast<double>(bits);
            }
            case 1:  // a tie at the 7th or 3rd decimal: an odd multiple of 2^-8 or 2^-4
                return std::ldexp(static_cast<double>((rng_() >> Between(11, 63)) | 1), Below(2) ? -8 : -4);
            case 2:
                return Near(Tie(shownDigits[Below(3)]));
            case 3:  // a power of ten and its neighbours
                return Near(Decimal(1, Between(-323, 308)));
            case 4: {  // next to a rounding boundary of shown digits ...5
                const int shown = shownDigits[Below(3)];
                const std::uint64_t k = Pow(10, shown - 1) + Below(9 * Pow(10, shown - 1));
                return Near(Decimal(k * 10 + 5, Between(-330, 290)));
            }
            case 5: {  // next to a boundary of the fixed patterns
                const std::uint64_t k = Below(Pow(10, static_cast<int>(Below(12))));
                return Near(Decimal(k * 10 + 5, Below(2) ? -8 : -4));
            }
            case 6: {  // the ends of the range
                const double ends[] = {DBL_MIN, DBL_MAX, DBL_TRUE_MIN, DBL_MIN - DBL_TRUE_MIN, 1, 0};
                return Near(ends[Below(6)]);
            }
            case 7:  // a subnormal
                return std::bit_cast<double>(rng_() >> (12 + Below(52)));
            default:  // a short decimal as typed
                return Decimal(Below(Pow(10, Between(1, 7))), Between(-12, 12));
        }
    }

    std::mt19937_64 rng_{20240612};
};

long long ProofCount() {
    if (const char* env = std::getenv("KURVILON_LONG_PROOF")) {
        const long long n = std::atoll(env);
        return (n > 1 ? n : 300) * 1000000LL;
    }
#if defined(__SANITIZE_ADDRESS__)
    return 100000;
#else
    return 1000000;
#endif
}

TEST(NumberText, EqualsTheExactReferenceAndReadsBack) {
    ValueSource source;
    const long long count = ProofCount();
    for (long long i = 0; i < count; ++i) {
        const double v = source.Next();
        const char sep = kSeps[i & 1];
        const ref::Texts want = ref::AllTexts(v, sep);
        ASSERT_EQ(GeneralNumberText(v, sep), want.general) << std::hexfloat << v;
        ASSERT_EQ(FormatFixed7(v, sep), want.fixed7) << std::hexfloat << v;
        ASSERT_EQ(FormatExp7(v, sep), want.exp7) << std::hexfloat << v;
        ASSERT_EQ(FormatUpTo3(v, sep), want.upTo3) << std::hexfloat << v;
        ASSERT_EQ(FormatExp3(v, sep), want.exp3) << std::hexfloat << v;
        if (i % 8 == 0 && std::isfinite(v)) {
            const std::string full = FullPrecisionText(v, sep);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(TextToNumber(full, sep)), std::bit_cast<std::uint64_t>(v))
                << full;
        }
    }
    if (std::getenv("KURVILON_LONG_PROOF")) std::printf("checked %lld values\n", count);
}

// The shortest text that reads back, also where the library's shortest does
// not (its last digit meets our double rounding).
TEST(NumberText, FullPrecision) {
    const struct {
        double v;
        const char* text;
    } cases[] = {
        {0, "0"},
        {-0.0, "-0"},
        {0.1, "0.1"},
        {-1.5, "-1.5"},
        {1e20, "1e20"},
        {123456789012345678.0, "123456789012345680"},
        {1.5e-7, "1.5e-7"},
        {0.0001, "1e-4"},
        {0.001, "1e-3"},
        {0.01, "0.01"},
        {2.0 / 3, "0.6666666666666666"},
        {DBL_MAX, "1.7976931348623157e308"},
        {DBL_TRUE_MIN, "5e-324"},
        {DBL_MIN, "2.2250738585072014e-308"},
        {0x1.791819d2391d5p-9, "0.0028769999999999998"},  // "0.002877" reads as the next double
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (char sep : kSeps)
        for (const auto& c : cases) EXPECT_EQ(FullPrecisionText(c.v, sep), WithSep(c.text, sep)) << c.text;
}

}  // namespace
