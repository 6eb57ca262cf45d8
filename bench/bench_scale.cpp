// The table's core at scale, as the window calls it once its commands record
// their changes through DataTable::BeginChange: a paste and a read straight
// into new rows, their undo and redo, a sort, and the recalculation's reading
// and writing of the table, each with its peak memory and next to the in-run
// limit (parse 2×N texts, the power sums, format N texts). Run it alone:
//   kurvilon_bench scale
//   KURVILON_BENCH_ROWS=1000000,10000000   KURVILON_BENCH_TEXTS=long|short
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "bench/bench.h"
#include "bench/benchtexts.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/recalc.h"
#include "core/table_history.h"
#include "core/table_ops.h"

namespace {

struct Figure {
    double seconds = 0, cpuSeconds = 0, peakMiB = 0, beforeMiB = 0;
};

template <class Prepare, class Act>
Figure Timed(int runs, Prepare&& prepare, Act&& act) {
    std::vector<double> t, cpu;
    Figure f;
    for (int i = 0; i < runs; ++i) {
        prepare();
        f.beforeMiB = std::max(f.beforeMiB, bench::ResidentMiB());
        bench::ResetPeak();
        const double cpuBefore = bench::ProcessCpuSeconds();
        t.push_back(bench::MedianSeconds(1, act));
        cpu.push_back(bench::ProcessCpuSeconds() - cpuBefore);
        f.peakMiB = std::max(f.peakMiB, bench::PeakMiB());
    }
    std::sort(t.begin(), t.end());
    std::sort(cpu.begin(), cpu.end());
    f.seconds = t[t.size() / 2];
    f.cpuSeconds = cpu[cpu.size() / 2];
    return f;
}

void Row(const char* what, const Figure& f, const bench::Limit& limit) {
    std::printf("  %-40s %8.1f ms %5.2f×  cpu %8.1f ms %5.2f×  peak %7.1f MiB (from %7.1f)\n", what,
                f.seconds * 1e3, f.seconds / limit.seconds, f.cpuSeconds * 1e3,
                f.cpuSeconds / limit.cpuSeconds, f.peakMiB, f.beforeMiB);
    std::fflush(stdout);
}

// What the recalculation does with the table: reads every pair, fits, and
// writes column 2.
void Recalculate(kurv::DataTable& table, kurv::RecalcState& state) {
    kurv::ReadCountingPairs(table, '.', state.pairs);
    kurv::Coefficients c;
    kurv::Solve(kurv::FitKind::Quadratic, state.pairs.sums, c);
    kurv::ErrorMeasures errors;
    kurv::FitPairs(state.pairs, c, state.fitted, errors);
    kurv::WriteFittedColumn(table, state.pairs.rows, state.fitted, '.');
}

}  // namespace

KURVILON_BENCH("scale: the table's core") {
    const bool longTexts = bench::LongTextsWanted();
    for (int rows : bench::SizesWanted("1000000")) {
        const int runs = rows >= 10000000 ? 1 : 3;
        bench::Limit limit;
        QByteArray clip, other;
        {
            bench::Texts t = bench::MakeTexts(rows, longTexts, 11, true);
            limit = bench::LimitSeconds(t, 5);
            clip = std::move(t.clip);
        }
        other = bench::MakeTexts(rows, longTexts, 12, false).clip;
        const QByteArray file = bench::FileBytes(clip);
        const std::string_view clipText(clip.constData(), static_cast<std::size_t>(clip.size()));
        const std::string_view otherText(other.constData(), static_cast<std::size_t>(other.size()));
        const std::string_view fileBytes(file.constData(), static_cast<std::size_t>(file.size()));
        std::printf(
            " %d rows, %s texts: clipboard %.1f MB; median of %d; in-run limit %.2f ms, cpu %.2f ms\n", rows,
            longTexts ? "15-17-digit" : "short", clip.size() / 1e6, runs, limit.seconds * 1e3,
            limit.cpuSeconds * 1e3);

        auto table = std::make_unique<kurv::DataTable>(100);
        kurv::RecalcState state;
        kurv::TableHistory history;
        kurv::TableCursor cursor;
        auto full = [&](std::string_view text) {
            history.Clear();
            table = std::make_unique<kurv::DataTable>(100);
            kurv::PasteTable(*table, text);
            Recalculate(*table, state);
        };
        auto recorded = [&](auto&& change) {
            table->BeginChange();
            change();
            history.Record(table->EndChange(), cursor, cursor);
        };

        Row("paste into a new table",
            Timed(
                runs, [&] { table = std::make_unique<kurv::DataTable>(100); },
                [&] { kurv::PasteTable(*table, clipText); }),
            limit);
        Row("the recalculation's reads and writes",
            Timed(
                runs, [] {}, [&] { Recalculate(*table, state); }),
            limit);
        std::printf("  a fitted table holds %.1f MiB\n", table->Bytes() / 1048576.0);
        Row("paste over a full table, recorded",
            Timed(
                runs, [&] { full(otherText); },
                [&] { recorded([&] { kurv::PasteTable(*table, clipText); }); }),
            limit);
        Row("its undo",
            Timed(
                1, [] {}, [&] { history.Undo(*table, cursor); }),
            limit);
        Row("its redo",
            Timed(
                1, [] {}, [&] { history.Redo(*table, cursor); }),
            limit);
        Row("File / Read over a full table, recorded",
            Timed(
                runs, [&] { full(otherText); },
                [&] { recorded([&] { kurv::ReadDataFile(*table, fileBytes); }); }),
            limit);
        Row("sort",
            Timed(
                runs, [&] { full(clipText); }, [&] { kurv::SortRows(*table, 1, '.'); }),
            limit);
        std::printf("  history %.1f MiB of its budget %.1f MiB\n", history.Bytes() / 1048576.0,
                    history.Budget() / 1048576.0);
    }
}
