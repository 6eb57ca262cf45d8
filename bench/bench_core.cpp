// The numeric core: the fit over a million pairs and the number text form over
// a million texts and values, each next to the plainest loop doing the same work
// (the ratio is our speed over the plain loop's).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench.h"
#include "core/fit.h"
#include "core/numbers.h"

namespace {

constexpr int kRuns = 7;
constexpr int kCount = 1000000;

double PerSecond(double seconds) {
    return kCount / seconds / 1e6;
}

struct Pairs {
    std::vector<double> x, y;
};

Pairs MakePairs() {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> reading(0, 100), noise(-0.05, 0.05);
    Pairs p;
    p.x.reserve(kCount);
    p.y.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
        const double x = reading(rng);
        p.x.push_back(x);
        p.y.push_back(0.002 * x * x * x - 0.1 * x * x + 1.94 * x + 0.15 + noise(rng));
    }
    return p;
}

}  // namespace

KURVILON_BENCH("core: fit") {
    const Pairs p = MakePairs();
    static const char* const kNames[] = {"linear", "quadratic", "cubic"};
    double fitSeconds[3] = {};
    for (int kind = 0; kind < 3; ++kind) {
        double sigma = 0;
        const double t = bench::MedianSeconds(kRuns, [&] {
            kurv::PowerSums s;
            for (int i = 0; i < kCount; ++i) s.Add(p.x[i], p.y[i]);
            kurv::Coefficients c;
            kurv::Solve(static_cast<kurv::FitKind>(kind), s, c);
            kurv::ErrorMeasures e;
            for (int i = 0; i < kCount; ++i) e.Add(p.y[i], kurv::Evaluate(c, p.x[i]));
            sigma = e.Sigma();
            bench::Keep(sigma);
        });
        fitSeconds[kind] = t;
        std::printf("  fit %-9s  power sums + solve + residuals  %7.1f M pairs/s  (sigma %.4g)\n",
                    kNames[kind], PerSecond(t), sigma);
    }

    double sums[10];
    const double bare = bench::MedianSeconds(kRuns, [&] {
        double S1 = 0, S2 = 0, S3 = 0, S4 = 0, S5 = 0, S6 = 0, T0 = 0, T1 = 0, T2 = 0, T3 = 0;
        for (int i = 0; i < kCount; ++i) {
            const double x = p.x[i], y = p.y[i];
            const double x2 = x * x, x3 = x2 * x, x4 = x2 * x2;
            S1 += x, S2 += x2, S3 += x3, S4 += x4, S5 += x4 * x, S6 += x4 * x2;
            T0 += y, T1 += x * y, T2 += x2 * y, T3 += x3 * y;
        }
        const double r[] = {S1, S2, S3, S4, S5, S6, T0, T1, T2, T3};
        for (int k = 0; k < 10; ++k) sums[k] = r[k];
        bench::Keep(sums);
    });
    std::printf("  bare loop: the same power sums in double   %7.1f M pairs/s\n", PerSecond(bare));

    // The same sums the way the fit forms them (extended products and sums,
    // each rounded to double), without checks or calls.
    using L = long double;
    const double bareExt = bench::MedianSeconds(kRuns, [&] {
        double S1 = 0, S2 = 0, S3 = 0, S4 = 0, S5 = 0, S6 = 0, T0 = 0, T1 = 0, T2 = 0, T3 = 0;
        for (int i = 0; i < kCount; ++i) {
            const double x = p.x[i], y = p.y[i];
            const double x2 = static_cast<double>(L{x} * x), x3 = static_cast<double>(L{x} * x * x);
            const double x4 = static_cast<double>(L{x2} * x2), x5 = static_cast<double>(L{x4} * x),
                         x6 = static_cast<double>(L{x4} * x2);
            S1 = static_cast<double>(L{S1} + x), S2 = static_cast<double>(L{S2} + x2);
            S3 = static_cast<double>(L{S3} + x3), S4 = static_cast<double>(L{S4} + x4);
            S5 = static_cast<double>(L{S5} + x5), S6 = static_cast<double>(L{S6} + x6);
            T0 = static_cast<double>(L{T0} + y),
            T1 = static_cast<double>(L{T1} + static_cast<double>(L{x} * y));
            T2 = static_cast<double>(L{T2} + static_cast<double>(L{x2} * y));
            T3 = static_cast<double>(L{T3} + static_cast<double>(L{x3} * y));
        }
        const double r[] = {S1, S2, S3, S4, S5, S6, T0, T1, T2, T3};
        for (int k = 0; k < 10; ++k) sums[k] = r[k];
        bench::Keep(sums);
    });
    std::printf("  bare loop: the same power sums, extended   %7.1f M pairs/s\n", PerSecond(bareExt));
    std::printf(
        "  fit core against the extended loop: linear %.2f, quadratic %.2f, cubic %.2f"
        " (against the double loop %.2f, %.2f, %.2f)\n",
        bareExt / fitSeconds[0], bareExt / fitSeconds[1], bareExt / fitSeconds[2], bare / fitSeconds[0],
        bare / fitSeconds[1], bare / fitSeconds[2]);
    std::printf("  (%d pairs, median of %d runs)\n", kCount, kRuns);
}

namespace {

// Texts as typed or pasted: 15-digit values, 2-decimal values, exponent forms.
std::vector<std::string> MixedTexts() {
    std::mt19937_64 rng(2);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::string> texts;
    texts.reserve(kCount);
    char buf[64];
    for (int i = 0; i < kCount; ++i) {
        const double v = unit(rng) * std::pow(10.0, static_cast<int>(rng() % 9) - 3);
        const char* sign = rng() % 4 == 0 ? "-" : "";
        switch (i % 3) {
            case 0:
                std::snprintf(buf, sizeof buf, "%s%.15g", sign, v);
                break;
            case 1:
                std::snprintf(buf, sizeof buf, "%s%.2f", sign, v * 1e3);
                break;
            default:
                std::snprintf(buf, sizeof buf, "%s%.*e", sign, static_cast<int>(rng() % 8), v * 1e-6);
                break;
        }
        texts.emplace_back(buf);
    }
    return texts;
}

// Medians of ours and of the library's loop, run in turns so that a change in
// the machine's load meets both alike.
template <class Ours, class Lib>
std::pair<double, double> MedianPair(Ours&& ours, Lib&& lib) {
    std::vector<double> a, b;
    for (int i = 0; i < kRuns; ++i) {
        a.push_back(bench::MedianSeconds(1, ours));
        b.push_back(bench::MedianSeconds(1, lib));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[a.size() / 2], b[b.size() / 2]};
}

void PrintRatio(const char* ours, double oursSeconds, const char* lib, double libSeconds) {
    std::printf("  %-22s %7.1f M/s   %-34s %7.1f M/s   ratio %.2f\n", ours, PerSecond(oursSeconds), lib,
                PerSecond(libSeconds), libSeconds / oursSeconds);
}

}  // namespace

KURVILON_BENCH("core: text to number") {
    const std::vector<std::string> texts = MixedTexts();
    double sum = 0, libSum = 0;
    const auto [ours, lib] = MedianPair(
        [&] {
            double s = 0;
            for (const auto& t : texts) s += kurv::TextToNumber(t, '.');
            sum = s;
            bench::Keep(sum);
        },
        [&] {
            double s = 0;
            for (const auto& t : texts) {
                double v = 0;
                std::from_chars(t.data(), t.data() + t.size(), v);
                s += v;
            }
            libSum = s;
            bench::Keep(libSum);
        });
    PrintRatio("TextToNumber", ours, "std::from_chars", lib);
    std::printf("  (%d texts such as '%s', '%s', '%s'; median of %d runs; sums %.6g / %.6g)\n", kCount,
                texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), kRuns, sum, libSum);
}

// Each formatter next to the library call that does the same rounding job
// (same digits, round to nearest), both producing a std::string, on the same
// values: fitted values in full precision (column 2) and short decimals as typed.
KURVILON_BENCH("core: number to text") {
    std::vector<double> values;
    values.reserve(kCount);
    for (const auto& t : MixedTexts()) {
        const double v = kurv::TextToNumber(t, '.');
        values.push_back(values.size() % 2 ? v : v * 1.0000001 + 1e-9);
    }
    using Fmt = std::string (*)(double, char);
    struct Case {
        const char* name;
        Fmt ours;
        std::chars_format format;
        int precision;  // -1: the shortest round-trip form
        const char* libName;
    };
    const Case cases[] = {
        {"GeneralNumberText", kurv::GeneralNumberText, std::chars_format::general, 15,
         "to_chars(general, 15)"},
        {"GeneralNumberText", kurv::GeneralNumberText, std::chars_format::general, -1, "to_chars(shortest)"},
        {"FormatFixed7", kurv::FormatFixed7, std::chars_format::fixed, 7, "to_chars(fixed, 7)"},
        {"FormatExp7", kurv::FormatExp7, std::chars_format::scientific, 7, "to_chars(scientific, 7)"},
        {"FormatUpTo3", kurv::FormatUpTo3, std::chars_format::fixed, 3, "to_chars(fixed, 3)"},
        {"FormatExp3", kurv::FormatExp3, std::chars_format::scientific, 3, "to_chars(scientific, 3)"},
    };
    for (const Case& c : cases) {
        std::size_t length = 0, libLength = 0;
        const auto [ours, lib] = MedianPair(
            [&] {
                std::size_t n = 0;
                for (double v : values) n += c.ours(v, '.').size();
                length = n;
                bench::Keep(length);
            },
            [&] {
                std::size_t n = 0;
                char buf[400];
                for (double v : values) {
                    const auto r = c.precision < 0
                                       ? std::to_chars(buf, buf + sizeof buf, v)
                                       : std::to_chars(buf, buf + sizeof buf, v, c.format, c.precision);
                    n += std::string(buf, r.ptr).size();
                }
                libLength = n;
                bench::Keep(libLength);
            });
        PrintRatio(c.name, ours, c.libName, lib);
    }
    std::printf("  (%d values; median of %d runs)\n", kCount, kRuns);
}
