#include "core/numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/errors.h"
#include "core/fit.h"

namespace kurv {

namespace {

// Powers of ten that a long double holds exactly (5^27 < 2^64).
constexpr long double kPow10L[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                   1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                   1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
constexpr int kMaxExactPow10 = 27;

constexpr auto kPow10U = [] {
    std::array<std::uint64_t, 20> p{};
    std::uint64_t v = 1;
    for (auto& x : p) {
        x = v;
        v *= 10;  // wraps once, after 10^19, unused
    }
    return p;
}();

// Every uint64 below 10^19 holds 19 digits; more would not fit.
constexpr int kMaxMantissaDigits = 19;

inline bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// The digits at p taken eight bytes at a time while they fit the mantissa:
// m = m * 10^n + the value of the n digits, sig += n. Gives n, 0 when fewer
// than eight bytes remain or the run would not fit; the byte loop after it
// reads what is left. A run shorter than eight ends the chunk.
inline int TakeDigitChunk(const char* p, const char* end, std::uint64_t& m, int& sig) {
    if (end - p < 8) return 0;
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    // A byte is a digit when its high half is 3 and adding 6 keeps it so; a
    // carry out of a byte only disturbs the bytes after it.
    const std::uint64_t high = 0xF0F0F0F0F0F0F0F0u;
    const std::uint64_t other =
        ((w & high) | (((w + 0x0606060606060606u) & high) >> 4)) ^ 0x3333333333333333u;
    const int n = other == 0 ? 8 : std::countr_zero(other) / 8;
    if (n == 0 || sig + n > kMaxMantissaDigits) return 0;
    // The first byte is the first digit: shifting the run to the top puts
    // zeros in front of it, and the byte pairs, quads and halves are joined.
    std::uint64_t v = (w - 0x3030303030303030u) << (8 * (8 - n));
    v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
    v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
    m = m * kPow10U[static_cast<std::size_t>(n)] + v;
    sig += n;
    return n;
}

locale_t CLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// The rare texts: too many significant digits or a large power of ten. The
// text is rebuilt in the plain "C" form and handed to the library's correctly
// rounded conversion, independent of the process locale.
long double ConvertSlow(const char* intBegin, const char* intEnd, const char* fracBegin, const char* fracEnd,
                        int exponent) {
    std::string s;
    s.reserve(static_cast<std::size_t>((intEnd - intBegin) + (fracEnd - fracBegin)) + 16);
    if (intBegin == intEnd) s += '0';
    s.append(intBegin, intEnd);
    const std::size_t point = s.size();
    s += '.';
    s.append(fracBegin, fracEnd);
    s += 'e';
    s += std::to_string(exponent);
    if (locale_t loc = CLocale()) return strtold_l(s.c_str(), nullptr, loc);
    // No "C" locale object (newlocale fails only without memory): write the
    // process locale's separator instead.
    const char* dp = localeconv()->decimal_point;
    if (dp && dp[0] && !dp[1]) s[point] = dp[0];
    return std::strtold(s.c_str(), nullptr);
}

}  // namespace

namespace {

// ParseNumber's work, inlined into TextToNumber: false when not a number.
[[gnu::always_inline]] inline bool Parse(std::string_view text, char sep, long double& out) {
    const char* p = text.data();
    const char* const end = p + text.size();

    while (p != end && *p == ' ') ++p;
    bool neg = false;
    if (p != end && (*p == '+' || *p == '-')) {
        neg = *p == '-';
        ++p;
    }

    // value = m * 10^(scale + exponent); `inexact` once a non-zero digit did not fit in m.
    std::uint64_t m = 0;
    int sig = 0;
    long long scale = 0;
    bool inexact = false;

    const char* const intBegin = p;
    while (p != end && *p == '0') ++p;
    for (int n; (n = TakeDigitChunk(p, end, m, sig)) > 0;) {
        p += n;
        if (n < 8) break;
    }
    for (; p != end && IsDigit(*p); ++p) {
        const unsigned d = static_cast<unsigned>(*p - '0');
        if (sig < kMaxMantissaDigits) {
            m = m * 10 + d;
            ++sig;
        } else {
            ++scale;
            inexact |= d != 0;
        }
    }
    const char* const intEnd = p;

    // The first '.' of the text stands for the separator; the separator can only
    // appear here, so a '.' met here is the first one.
    const char* fracBegin = p;
    const char* fracEnd = p;
    bool hasSep = false;
    if (p != end && (*p == sep || *p == '.')) {
        hasSep = true;
        fracBegin = ++p;
        if (sig == 0)
            for (; p != end && *p == '0'; ++p) --scale;
        for (int n; (n = TakeDigitChunk(p, end, m, sig)) > 0;) {
            p += n;
            scale -= n;
            if (n < 8) break;
        }
        for (; p != end && IsDigit(*p); ++p) {
            const unsigned d = static_cast<unsigned>(*p - '0');
            if (sig < kMaxMantissaDigits) {
                m = m * 10 + d;
                ++sig;
                --scale;
            } else {
                inexact |= d != 0;
            }
        }
        fracEnd = p;
    }
    if (intBegin == intEnd && !hasSep) return false;

    int exponent = 0;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool expNeg = false;
        if (p != end && (*p == '+' || *p == '-')) {
            expNeg = *p == '-';
            ++p;
        }
        while (p != end && *p == '0') ++p;
        int expDigits = 0;
        for (; p != end && IsDigit(*p); ++p) {
            if (++expDigits > 4) return false;
            exponent = exponent * 10 + (*p - '0');
        }
        if (exponent >= 5000) return false;
        if (expNeg) exponent = -exponent;
    }

    while (p != end && *p == ' ') ++p;
    if (p != end) return false;

    if (m == 0) {  // every digit is zero
        out = neg ? -0.0L : 0.0L;
        return true;
    }

    long double v;
    const long long e10 = scale + exponent;
    if (!inexact && e10 >= 0 && e10 <= kMaxExactPow10) {
        v = static_cast<long double>(m) * kPow10L[e10];
    } else if (!inexact && e10 < 0 && e10 >= -kMaxExactPow10) {
        v = static_cast<long double>(m) / kPow10L[-e10];
    } else if (!inexact && e10 > kMaxExactPow10 && e10 - kMaxExactPow10 <= kMaxMantissaDigits &&
               m <= UINT64_MAX / kPow10U[e10 - kMaxExactPow10]) {
        // A short mantissa with a large power: move the excess power into the
        // mantissa while it stays exact.
        v = static_cast<long double>(m * kPow10U[e10 - kMaxExactPow10]) * kPow10L[kMaxExactPow10];
    } else {
        v = ConvertSlow(intBegin, intEnd, fracBegin, fracEnd, exponent);
        if (std::isinf(v)) return false;  // beyond the extended range
    }
    out = neg ? -v : v;
    return true;
}

}  // namespace

std::optional<long double> ParseNumber(std::string_view text, char sep) {
    long double v;
    if (!Parse(text, sep, v)) return std::nullopt;
    return v;
}

namespace {

// Rounds to double; false when the value lies beyond the double range (it
// would become an infinity) or is not a number.
bool FitsDouble(long double v, double& out) {
    if (!(std::fabs(v) < kDoubleLimit)) return false;
    out = static_cast<double>(v);
    return true;
}

}  // namespace

double TextToNumber(std::string_view text, char sep) {
    long double v;
    if (!Parse(text, sep, v)) throw ConvertError(std::string(text));
    double d;
    if (!FitsDouble(v, d)) throw ArithmeticError();
    return d;
}

bool IsPartialNumberText(std::string_view t) {
    return t.empty() || t == "-" || t == "+";
}

// ---------------------------------------------------------------------------
// Number texts. The library's conversions round to nearest on the exact binary
// value, so they give our digits everywhere but at an exact tie, where we round
// away from zero. A double m * 2^e (m odd) is halfway between two multiples of
// 10^q only when 2 * m * 2^e / 10^q is an odd integer, which needs q = e + 1
// (and 5^q dividing m when q > 0): one position per double, found from its
// bits, and the digits there are plain integers.

namespace {

std::string NonFiniteText(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

// |v| = m * 2^e with m odd, for a finite non-zero v.
struct Binary {
    std::uint64_t m;
    int e;
};

Binary Decompose(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const int field = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int e = -1074;
    if (field != 0) {
        m |= std::uint64_t{1} << 52;
        e = field - 1075;
    }
    const int z = std::countr_zero(m);
    return {m >> z, e + z};
}

constexpr auto kPow5U = [] {
    std::array<std::uint64_t, 28> p{};  // 5^27 < 2^64
    std::uint64_t v = 1;
    for (auto& x : p) {
        x = v;
        v *= 5;
    }
    return p;
}();

__extension__ typedef unsigned __int128 Uint128;

// Writes the decimal digits of v, returns the end.
char* WriteUnsigned(char* p, Uint128 v) {
    char tmp[40];
    int n = 0;
    do {
        tmp[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v);
    while (n) *p++ = tmp[--n];
    return p;
}

char* WriteExponent(char* p, int x, int minDigits) {
    *p++ = x < 0 ? '-' : '+';
    char tmp[8];
    const auto r = std::to_chars(tmp, tmp + sizeof tmp, x < 0 ? -x : x);
    for (auto n = r.ptr - tmp; n < minDigits; ++n) *p++ = '0';
    return std::copy(tmp, r.ptr, p);
}

// Reads a "[-]d[.ddd]e±x" text of the library: its mantissa digits into
// `digits` (returns how many) and its exponent into x.
int ReadScientific(const char* p, const char* end, char* digits, int& x) {
    if (*p == '-') ++p;
    digits[0] = *p++;
    int n = 1;
    if (*p == '.')
        for (++p; *p != 'e'; ++p) digits[n++] = *p;
    const bool negative = p[1] == '-';
    x = 0;
    for (p += 2; p != end; ++p) x = x * 10 + (*p - '0');
    if (negative) x = -x;
    return n;
}

// The first `count` (at most 15) significant digits of |v|, finite and non-zero,
// rounded to nearest with ties away from zero; returns the decimal exponent of
// the first digit.
int RoundedDigits(double v, int count, char* digits) {
    // A tie: |v| = (k + 1/2) * 10^q with k of `count` digits.
    const Binary b = Decompose(v);
    const int q = b.e + 1;
    std::uint64_t twice = 0;  // 2|v| / 10^q = 2k + 1
    if (q <= 0) {
        if (-q < static_cast<int>(kPow5U.size()) &&
            b.m <= kPow10U[count] * 2 / kPow5U[static_cast<std::size_t>(-q)])
            twice = b.m * kPow5U[static_cast<std::size_t>(-q)];
    } else if (q < static_cast<int>(kPow5U.size()) && b.m % kPow5U[static_cast<std::size_t>(q)] == 0) {
        twice = b.m / kPow5U[static_cast<std::size_t>(q)];
    }
    const std::uint64_t k = twice / 2;
    if (k >= kPow10U[count - 1] && k < kPow10U[count]) {
        int x = q + count - 1;
        std::uint64_t up = k + 1;
        if (up == kPow10U[count]) {
            up = kPow10U[count - 1];
            ++x;
        }
        WriteUnsigned(digits, up);
        return x;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, count - 1);
    int x;
    ReadScientific(buf, r.ptr, digits, x);
    return x;
}

std::string FormatFixed(double v, int decimals, bool fixedDecimals, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    char buf[400];  // DBL_MAX has 309 digits
    char* end;
    const Binary b = v != 0 ? Decompose(v) : Binary{0, 0};
    if (v != 0 && b.e == -decimals - 1) {
        // A tie: |v| * 10^decimals = k + 1/2 = (m * 5^decimals) / 2.
        const Uint128 up = (Uint128{b.m} * kPow5U[static_cast<std::size_t>(decimals)]) / 2 + 1;
        char digits[48];
        const int len = static_cast<int>(WriteUnsigned(digits, up) - digits);
        char* o = buf;
        if (v < 0) *o++ = '-';
        if (len <= decimals) {
            *o++ = '0';
            *o++ = '.';
            o = std::fill_n(o, decimals - len, '0');
        } else {
            o = std::copy(digits, digits + len - decimals, o);
            *o++ = '.';
        }
        end = std::copy(digits + std::max(0, len - decimals), digits + len, o);
    } else {
        end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals).ptr;
    }
    char* const point = std::find(buf, end, '.');
    if (!fixedDecimals) {
        while (end[-1] == '0') --end;
        if (end[-1] == '.') --end;
    }
    if (point != end) *point = sep;
    const char* start = buf;
    if (buf[0] == '-' && std::all_of(buf + 1, end, [sep](char c) { return c == '0' || c == sep; })) ++start;
    return std::string(start, static_cast<const char*>(end));
}

// d.ddd...e±x with `decimals` digits after the separator and at least
// `expDigits` exponent digits.
std::string FormatExp(double v, int decimals, int expDigits, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    char buf[32];
    char* p = buf;
    if (v == 0 || Decompose(v).e >= -23) {
        // Zero or possibly a tie (2|v| / 10^(e+1) below 2^64 needs e + 1 >= -22).
        char digits[16];
        int x = 0;
        if (v != 0) {
            x = RoundedDigits(v, decimals + 1, digits);
        } else {
            std::fill_n(digits, decimals + 1, '0');
        }
        if (v < 0) *p++ = '-';
        *p++ = digits[0];
        *p++ = sep;
        p = std::copy(digits + 1, digits + decimals + 1, p);
        *p++ = 'e';
        p = WriteExponent(p, x, expDigits);
        return std::string(buf, p);
    }
    // The library's "d.ddde±xx" is ours but for the separator and the
    // exponent's width.
    p = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, decimals).ptr;
    buf[v < 0 ? 2 : 1] = sep;
    if (expDigits < 2 && p[-2] == '0' && (p[-3] == '+' || p[-3] == '-')) {
        p[-2] = p[-1];
        --p;
    }
    return std::string(buf, p);
}

}  // namespace

namespace {

// |v|'s first 15 significant digits as an integer, rounded on the exact value
// with ties away from zero, and the decimal exponent of the first: by integer
// arithmetic, exact in 128 bits, for 1e-13 <= |v| < 1e15 (most values a
// calibration shows). False elsewhere.
bool Digits15(double v, std::uint64_t& digits, int& x) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    const int field = static_cast<int>((bits >> 52) & 0x7ff);
    if (field == 0 || field == 0x7ff) return false;
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int e = field - 1075;  // |v| = m * 2^e and 2^(e + 52) <= |v| < 2^(e + 53)
    // |v| / 10^(guess - 14), rounded: m * 5^(14 - guess) shifted by e + 14 - guess.
    const auto rounded = [&](int guess, std::uint64_t& n) {
        const int q = guess - 14;
        if (q > 0 || -q >= static_cast<int>(kPow5U.size())) return false;
        const Uint128 scaled = Uint128{m} * kPow5U[static_cast<std::size_t>(-q)];
        const int shift = e - q;
        if (shift >= 0) {  // an integer below 10^16
            n = static_cast<std::uint64_t>(scaled << shift);
            return true;
        }
        if (shift <= -128) return false;
        const Uint128 whole = scaled >> -shift;
        const Uint128 rest = scaled - (whole << -shift);
        n = static_cast<std::uint64_t>(whole) + (rest >= (Uint128{1} << (-shift - 1)) ? 1 : 0);
        return true;
    };
    // floor(log10 2^(e + 52)): x is this or one more.
    x = ((e + 52) * 78913) >> 18;
    if (!rounded(x, digits)) return false;
    if (digits >= kPow10U[15]) {
        if (!rounded(++x, digits)) return false;
        if (digits == kPow10U[15]) {
            digits = kPow10U[14];
            ++x;
        }
    }
    return true;
}

}  // namespace

char* WriteGeneralNumberText(double v, char sep, char* p) {
    if (!std::isfinite(v)) {
        const std::string text = NonFiniteText(v);
        return std::copy(text.begin(), text.end(), p);
    }
    if (v == 0) {
        *p++ = '0';
        return p;
    }
    char digits[24];
    int x;
    int n = 15;
    if (std::uint64_t d; Digits15(v, d, x)) {
        static constexpr auto kPairs = [] {
            std::array<char, 200> t{};
            for (int i = 0; i < 100; ++i) {
                t[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
                t[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
            }
            return t;
        }();
        for (int i = 13; i > 0; i -= 2, d /= 100) std::memcpy(digits + i, &kPairs[2 * (d % 100)], 2);
        digits[0] = static_cast<char>('0' + d);
    } else {
        // The shortest form S that reads back to v decides v's rounding to 15
        // digits for a normal v:
        // - S of at most 15 digits is that rounding, padded with zeros: its
        //   distance to v, at most half an ulp, is below a tenth of the 15-digit
        //   step, so no other 15-digit number and no tie is nearer;
        // - a longer S lies on v's side of every 15-digit rounding boundary B (a
        //   16-digit number ending in 5): were B between them, B would be as short
        //   as S or shorter and nearer to v, and the library would give B.
        //   Only S = B itself leaves the side open, and the exact value decides.
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
        n = ReadScientific(buf, r.ptr, digits, x);
        if (std::fabs(v) < DBL_MIN || (n == 16 && digits[15] == '5')) {
            x = RoundedDigits(v, 15, digits);
            n = 15;
        } else if (n > 15) {
            const bool up = digits[15] >= '5';
            n = 15;
            if (up) {
                int i = 14;
                while (i >= 0 && digits[i] == '9') digits[i--] = '0';
                if (i >= 0) {
                    ++digits[i];
                } else {
                    digits[0] = '1';
                    ++x;
                }
            }
        }
    }
    while (n > 1 && digits[n - 1] == '0') --n;

    if (v < 0) *p++ = '-';
    if (x >= 0 && x < 15) {
        for (int i = 0; i <= x; ++i) *p++ = i < n ? digits[i] : '0';
        if (n > x + 1) {
            *p++ = sep;
            p = std::copy(digits + x + 1, digits + n, p);
        }
    } else if (x < 0 && x >= -4) {
        *p++ = '0';
        *p++ = sep;
        for (int i = -1; i > x; --i) *p++ = '0';
        p = std::copy(digits, digits + n, p);
    } else {
        *p++ = digits[0];
        if (n > 1) {
            *p++ = sep;
            p = std::copy(digits + 1, digits + n, p);
        }
        *p++ = 'E';
        p = std::to_chars(p, p + 8, x).ptr;
    }
    return p;
}

std::string GeneralNumberText(double v, char sep) {
    char buf[kGeneralNumberChars];
    return std::string(buf, WriteGeneralNumberText(v, sep, buf));
}

namespace {

// The text of digits[0, n) * 10^(x - n + 1), fixed or with an exponent,
// whichever is shorter (fixed on a draw).
std::string PlainText(bool neg, const char* digits, int n, int x, char sep) {
    while (n > 1 && digits[n - 1] == '0') --n;
    std::string fixed, sci;
    if (neg) fixed = sci = "-";
    if (x >= 0) {
        for (int i = 0; i <= x; ++i) fixed += i < n ? digits[i] : '0';
        if (n > x + 1) (fixed += sep).append(digits + x + 1, digits + n);
    } else {
        ((fixed += '0') += sep).append(static_cast<std::size_t>(-x - 1), '0').append(digits, digits + n);
    }
    sci += digits[0];
    if (n > 1) (sci += sep).append(digits + 1, digits + n);
    (sci += 'e') += std::to_string(x);
    return sci.size() < fixed.size() ? sci : fixed;
}

bool ReadsBackTo(const std::string& text, char sep, double v) {
    const auto l = ParseNumber(text, sep);
    double d;
    return l && FitsDouble(*l, d) && std::bit_cast<std::uint64_t>(d) == std::bit_cast<std::uint64_t>(v);
}

}  // namespace

std::string FullPrecisionText(double v, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    if (v == 0) return std::signbit(v) ? "-0" : "0";
    // The texts that read back to v form an interval around v, so when any text
    // of n digits does, one of the two n-digit neighbours of v does: the
    // nearest, which the library gives, and the one on its other side.
    const bool neg = v < 0;
    for (int n = 1; n <= 17; ++n) {
        char buf[40], digits[24];
        int x;
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, n - 1);
        ReadScientific(buf, r.ptr, digits, x);
        std::string text = PlainText(neg, digits, n, x, sep);
        if (ReadsBackTo(text, sep, v)) return text;
        char up[24], down[24];
        std::copy(digits, digits + n, up);
        std::copy(digits, digits + n, down);
        int upX = x, downX = x, i = n - 1;
        for (; i >= 0 && up[i] == '9'; --i) up[i] = '0';
        if (i >= 0) {
            ++up[i];
        } else {
            up[0] = '1';
            ++upX;
        }
        for (i = n - 1; i >= 0 && down[i] == '0'; --i) down[i] = '9';
        if (i == 0 && down[0] == '1') {  // 10...0 - 1 unit = 99...9 one decade lower
            std::fill_n(down, n, '9');
            --downX;
        } else {
            --down[i];
        }
        for (const auto& [d, dx] : {std::pair<const char*, int>{up, upX}, {down, downX}}) {
            text = PlainText(neg, d, n, dx, sep);
            if (ReadsBackTo(text, sep, v)) return text;
        }
    }
    return PlainText(neg, "0", 1, 0, sep);  // not reached: 17 digits always read back
}

std::string FormatFixed7(double v, char sep) {
    return FormatFixed(v, 7, true, sep);
}
std::string FormatExp7(double v, char sep) {
    return FormatExp(v, 7, 1, sep);
}
std::string FormatUpTo3(double v, char sep) {
    return FormatFixed(v, 3, false, sep);
}
std::string FormatExp3(double v, char sep) {
    return FormatExp(v, 3, 2, sep);
}

std::string CoefficientText(double a, char sep) {
    if (a == 0) return "0";
    return ((a > -10 && a <= -1) || (a >= 1 && a < 10)) ? FormatFixed7(a, sep) : FormatExp7(a, sep);
}

std::string ErrorMeasureText(double v, char sep) {
    if (v > 0.01) return FormatUpTo3(v, sep);
    if (v == 0) return "0";
    return FormatExp3(v, sep);
}

std::string CurveValueText(double y, char sep) {
    if (y == 0) return "0";
    return ((y > -1000 && y < -0.001) || (y > 0.001 && y < 1000)) ? FormatFixed7(y, sep) : FormatExp7(y, sep);
}

}  // namespace kurv
