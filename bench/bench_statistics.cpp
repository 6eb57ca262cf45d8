// What the fit statistics cost beside the check that every recalculation
// makes: the statistics and their sheet come from the check's stable solution,
// so they read no pair again. Compared with the core's share of a
// recalculation (reading the table, the closed solution, the fitted column
// and the check) at 100,000 and 1,000,000 rows.
#include <cstdio>
#include <random>
#include <vector>

#include "bench/bench.h"
#include "core/fit_check.h"
#include "core/numbers.h"
#include "core/recalc.h"
#include "core/statistics_text.h"

KURVILON_BENCH("core: statistics") {
    for (int rows : {100000, 1000000}) {
        kurv::DataTable table(rows + 2);
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> noise(-0.05, 0.05);
        for (int r = 1; r <= rows; ++r) {
            const double x = r * 0.01;
            table.SetRow(r, {kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), '.'),
                             kurv::GeneralNumberText(x, '.'), ""});
        }
        const auto kind = kurv::FitKind::Quadratic;
        kurv::CountingPairs pairs;
        std::vector<double> fitted;
        kurv::Coefficients c;
        kurv::FitCheck check;
        const int runs = rows >= 1000000 ? 5 : 11;
        const double recalc = bench::MedianSeconds(runs, [&] {
            kurv::ReadCountingPairs(table, '.', pairs);
            kurv::Solve(kind, pairs.sums, c);
            kurv::ErrorMeasures errors;
            kurv::FitPairs(pairs, c, fitted, errors);
            kurv::WriteFittedColumn(table, pairs.rows, fitted, '.');
            check = kurv::CheckFit(kind, c, pairs.x, pairs.y);
        });
        const double checkOnly =
            bench::MedianSeconds(runs, [&] { check = kurv::CheckFit(kind, c, pairs.x, pairs.y); });
        std::string tsv;
        const double statistics = bench::MedianSeconds(101, [&] {
            const kurv::FitStatistics st = kurv::ComputeStatistics(check.stable);
            kurv::StatisticsInput in;
            in.statistics = &st;
            for (int i = 0; i < 10; ++i) in.points.push_back({i * 100.0, "x", "y"});
            tsv = kurv::SheetTsv(kurv::BuildStatisticsSheet(in));
        });
        bench::Keep(tsv);
        std::printf(
            "  %7d rows: core recalculation %8.1f ms, of it the check %7.1f ms; statistics and sheet %6.3f "
            "ms "
            "(%.3f %% of the recalculation)\n",
            rows, recalc * 1e3, checkOnly * 1e3, statistics * 1e3, 100 * statistics / recalc);
    }
}
