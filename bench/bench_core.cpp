// The numeric core: the fit over a million pairs and the number text form over
// a million texts, each next to the plainest loop doing the same work.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
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
    for (int kind = 0; kind < 3; ++kind) {
        double sigma = 0;
        const double t = bench::MedianSeconds(kRuns, [&] {
            kurv::PowerSums s;
            for (int i = 0; i < kCount; ++i) s.Add(p.x[i], p.y[i]);
            kurv::Coefficients c;
            kurv::Solve(kind, s, c);
            kurv::ErrorMeasures e;
            for (int i = 0; i < kCount; ++i) e.Add(p.y[i], kurv::Evaluate(c, p.x[i]));
            sigma = e.Sigma();
            bench::Keep(sigma);
        });
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
    std::printf("  (%d pairs, median of %d runs)\n", kCount, kRuns);
}

KURVILON_BENCH("core: text to number") {
    // A mix as typed or pasted: 15-digit values, 2-decimal values, exponent forms.
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
    std::setlocale(LC_NUMERIC, "C");  // so that the library reads the same texts

    double sum = 0;
    const double ours = bench::MedianSeconds(kRuns, [&] {
        double s = 0;
        for (const auto& t : texts) s += kurv::TextToNumber(t, '.');
        sum = s;
        bench::Keep(sum);
    });
    long double lsum = 0;
    const double lib = bench::MedianSeconds(kRuns, [&] {
        long double s = 0;
        for (const auto& t : texts) s += std::strtold(t.c_str(), nullptr);
        lsum = s;
        bench::Keep(lsum);
    });
    std::printf("  TextToNumber   %7.1f M texts/s\n", PerSecond(ours));
    std::printf("  std::strtold   %7.1f M texts/s   (TextToNumber is %.1fx)\n", PerSecond(lib), lib / ours);
    std::printf("  (%d texts such as '%s', '%s', '%s'; median of %d runs; sums %.6g / %.6Lg)\n", kCount,
                texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), kRuns, sum, lsum);
}
