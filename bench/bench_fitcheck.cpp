// The stable second solution that checks every fit, alone, at 100,000 pairs:
// compare with "window: recalculation", which includes it.
#include <cstdio>
#include <random>
#include <vector>

#include "bench/bench.h"
#include "core/fit.h"
#include "core/fit_check.h"

KURVILON_BENCH("core: fit check") {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    std::vector<double> xs, ys;
    kurv::PowerSums sums;
    for (int r = 1; r <= 100000; ++r) {
        xs.push_back(r * 0.01);
        ys.push_back(2 * xs.back() * xs.back() - xs.back() + 1 + noise(rng));
        sums.Add(xs.back(), ys.back());
    }
    static const char* const kNames[3] = {"linear", "quadratic", "cubic"};
    for (int kind = 0; kind <= 2; ++kind) {
        kurv::Coefficients c;
        kurv::Solve(static_cast<kurv::FitKind>(kind), sums, c);
        bool warned = false;
        const double t = bench::MedianSeconds(
            21, [&] { warned = kurv::CheckFit(static_cast<kurv::FitKind>(kind), c, xs, ys).unreliable; });
        std::printf("  fit check, %-9s 100000 pairs: %7.3f ms%s\n", kNames[kind], t * 1e3,
                    warned ? " (warns)" : "");
    }
}
