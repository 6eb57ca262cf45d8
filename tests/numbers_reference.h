// The exact formatter the number texts were first built on: every double is
// expanded to its exact decimal digits with a big integer and rounded there,
// ties away from zero. Slow but plainly right; the tests prove the fast
// formatters equal to it.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

namespace kurv::ref {

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
inline Decimal ExactDecimal(double v) {
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
inline void RoundDigits(Decimal& d, long long keep) {
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

inline char DigitAt(const Decimal& d, long long i) {
    return i >= 0 && i < static_cast<long long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)]
                                                                 : '0';
}

// Fixed notation of an already rounded value, with at least `minFrac` decimals.
inline std::string WriteFixed(const Decimal& d, int minFrac, char sep) {
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

inline std::string NonFiniteText(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

// d.ddd...e±x with `decimals` digits after the separator and at least
// `expDigits` exponent digits.
inline std::string FormatExp(Decimal d, int decimals, int expDigits, char sep) {
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

inline std::string GeneralNumberText(Decimal d, char sep) {
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

// The four display patterns and the general form of one expansion.
struct Texts {
    std::string general, fixed7, exp7, upTo3, exp3;
};

inline Texts AllTexts(double v, char sep) {
    if (!std::isfinite(v)) {
        const std::string t = NonFiniteText(v);
        return {t, t, t, t, t};
    }
    const Decimal exact = ExactDecimal(v);
    Texts t;
    auto fixed = [&](int decimals, bool fixedDecimals) {
        Decimal d = exact;
        RoundDigits(d, static_cast<long long>(d.point) + decimals);
        return WriteFixed(d, fixedDecimals ? decimals : 0, sep);
    };
    t.fixed7 = fixed(7, true);
    t.upTo3 = fixed(3, false);
    t.exp7 = FormatExp(exact, 7, 1, sep);
    t.exp3 = FormatExp(exact, 3, 2, sep);
    t.general = GeneralNumberText(exact, sep);
    return t;
}

}  // namespace kurv::ref
