#include "core/numbers.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/errors.h"

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

std::optional<long double> ParseNumber(std::string_view text, char sep) {
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
    if (intBegin == intEnd && !hasSep) return std::nullopt;

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
            if (++expDigits > 4) return std::nullopt;
            exponent = exponent * 10 + (*p - '0');
        }
        if (exponent >= 5000) return std::nullopt;
        if (expNeg) exponent = -exponent;
    }

    while (p != end && *p == ' ') ++p;
    if (p != end) return std::nullopt;

    if (m == 0) return neg ? -0.0L : 0.0L;  // every digit is zero

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
        if (std::isinf(v)) return std::nullopt;  // beyond the extended range
    }
    return neg ? -v : v;
}

namespace {

// Rounds to double; false when the value lies beyond the double range (it
// would become an infinity) or is not a number.
bool FitsDouble(long double v, double& out) {
    // Below 2^1024 - 2^970 a value rounds to at most DBL_MAX.
    constexpr long double kLimit = 0x1.fffffffffffffp1023L + 0x1p970L;
    if (!(std::fabs(v) < kLimit)) return false;
    out = static_cast<double>(v);
    return true;
}

}  // namespace

double TextToNumber(std::string_view text, char sep) {
    const auto v = ParseNumber(text, sep);
    if (!v) throw ConvertError(std::string(text));
    double d;
    if (!FitsDouble(*v, d)) throw ArithmeticError();
    return d;
}

bool IsPartialNumberText(std::string_view t) {
    return t.empty() || t == "-" || t == "+";
}

// ---------------------------------------------------------------------------
// Exact decimal digits of a double and rounding on them.

namespace {

// The value is 0.d1d2d3... * 10^point, digits without trailing zeros; no
// digits means zero.
struct Decimal {
    bool neg = false;
    std::string digits;
    int point = 0;
};

// Little-endian base 10^9 big integer, big enough for 2^53 * 5^1074.
class BigDec {
  public:
    explicit BigDec(std::uint64_t v) {
        while (v) {
            limb_[n_++] = static_cast<std::uint32_t>(v % kBase);
            v /= kBase;
        }
    }
    void Mul(std::uint32_t f) {
        std::uint64_t carry = 0;
        for (int i = 0; i < n_; ++i) {
            const std::uint64_t t = std::uint64_t{limb_[i]} * f + carry;
            limb_[i] = static_cast<std::uint32_t>(t % kBase);
            carry = t / kBase;
        }
        while (carry) {
            limb_[n_++] = static_cast<std::uint32_t>(carry % kBase);
            carry /= kBase;
        }
    }
    void MulPow2(int e) {
        for (; e >= 28; e -= 28) Mul(1u << 28);
        if (e > 0) Mul(1u << e);
    }
    void MulPow5(int e) {
        constexpr std::uint32_t k5p13 = 1220703125u;  // 5^13
        for (; e >= 13; e -= 13) Mul(k5p13);
        std::uint32_t f = 1;
        for (; e > 0; --e) f *= 5;
        if (f > 1) Mul(f);
    }
    std::string Digits() const {
        std::string s = std::to_string(limb_[n_ - 1]);
        char buf[9];
        for (int i = n_ - 2; i >= 0; --i) {
            std::uint32_t v = limb_[i];
            for (int k = 8; k >= 0; --k) {
                buf[k] = static_cast<char>('0' + v % 10);
                v /= 10;
            }
            s.append(buf, 9);
        }
        return s;
    }

  private:
    static constexpr std::uint32_t kBase = 1000000000u;
    std::uint32_t limb_[96] = {};
    int n_ = 0;
};

// Exact decimal expansion of a finite double.
Decimal ExactDecimal(double v) {
    Decimal d;
    const auto bits = std::bit_cast<std::uint64_t>(v);
    d.neg = (bits >> 63) != 0;
    const int field = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mant = bits & ((std::uint64_t{1} << 52) - 1);
    int e2;
    if (field == 0) {
        e2 = -1074;
    } else {
        mant |= std::uint64_t{1} << 52;
        e2 = field - 1075;
    }
    if (mant == 0) return d;  // zero, also -0
    while ((mant & 1) == 0 && e2 < 0) {
        mant >>= 1;
        ++e2;
    }
    BigDec big(mant);
    if (e2 >= 0) {
        big.MulPow2(e2);
        d.digits = big.Digits();
        d.point = static_cast<int>(d.digits.size());
    } else {
        // mant * 2^e2 = mant * 5^-e2 / 10^-e2
        big.MulPow5(-e2);
        d.digits = big.Digits();
        d.point = static_cast<int>(d.digits.size()) + e2;
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps the first `keep` digits, rounding to nearest with ties away from zero.
// On exact digits that is: round up when the first dropped digit is 5 or more.
void RoundDigits(Decimal& d, long long keep) {
    const auto n = static_cast<long long>(d.digits.size());
    if (keep >= n) return;
    if (keep < 0) {
        d.digits.clear();
        d.point = 0;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        while (!d.digits.empty() && d.digits.back() == '9') d.digits.pop_back();
        if (d.digits.empty()) {
            d.digits = "1";
            ++d.point;
        } else {
            ++d.digits.back();
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.point = 0;
}

char DigitAt(const Decimal& d, long long i) {
    return i >= 0 && i < static_cast<long long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)]
                                                                 : '0';
}

// Fixed notation of an already rounded value, with at least `minFrac` decimals.
std::string WriteFixed(const Decimal& d, int minFrac, char sep) {
    std::string s;
    if (d.neg && !d.digits.empty()) s += '-';
    if (d.point <= 0) {
        s += '0';
    } else {
        for (int i = 0; i < d.point; ++i) s += DigitAt(d, i);
    }
    const long long frac = std::max<long long>(minFrac, static_cast<long long>(d.digits.size()) - d.point);
    if (frac > 0) {
        s += sep;
        for (long long i = 0; i < frac; ++i) s += DigitAt(d, d.point + i);
    }
    return s;
}

std::string NonFiniteText(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

std::string FormatFixed(double v, int decimals, bool fixedDecimals, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    Decimal d = ExactDecimal(v);
    RoundDigits(d, static_cast<long long>(d.point) + decimals);
    return WriteFixed(d, fixedDecimals ? decimals : 0, sep);
}

// d.ddd...e±x with `decimals` digits after the separator and at least
// `expDigits` exponent digits.
std::string FormatExp(double v, int decimals, int expDigits, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    Decimal d = ExactDecimal(v);
    RoundDigits(d, 1 + decimals);
    std::string s;
    if (d.neg && !d.digits.empty()) s += '-';
    s += DigitAt(d, 0);
    s += sep;
    for (int i = 1; i <= decimals; ++i) s += DigitAt(d, i);
    const int x = d.digits.empty() ? 0 : d.point - 1;
    s += 'e';
    s += x < 0 ? '-' : '+';
    std::string ex = std::to_string(x < 0 ? -x : x);
    if (static_cast<int>(ex.size()) < expDigits)
        s.append(static_cast<std::size_t>(expDigits) - ex.size(), '0');
    s += ex;
    return s;
}

}  // namespace

std::string GeneralNumberText(double v, char sep) {
    if (!std::isfinite(v)) return NonFiniteText(v);
    Decimal d = ExactDecimal(v);
    RoundDigits(d, 15);
    if (d.digits.empty()) return "0";
    const int x = d.point - 1;
    if (x >= -4 && x < 15) return WriteFixed(d, 0, sep);
    std::string s;
    if (d.neg) s += '-';
    s += d.digits[0];
    if (d.digits.size() > 1) {
        s += sep;
        s.append(d.digits, 1);
    }
    s += 'E';
    s += std::to_string(x);
    return s;
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
