// The kinds compared at 100,000 rows: one recalculation with the comparison
// window closed and open, and the comparison's own arithmetic from the pairs
// a run has read.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <random>
#include <string>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/benchwindow.h"
#include "core/compare.h"
#include "core/numbers.h"
#include "table/stringgrid.h"

KURVILON_BENCH("window: kinds compared") {
    bench::WindowSurroundings around(3);  // cubic
    const FormEnvironment env = around.Env();
    TFormMain form(env);
    const int rows = 100000;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    form.Table().SetRowCount(rows + 2);
    for (int r = 1; r <= rows; ++r) {
        const double x = r * 0.01;
        form.Table().SetCell(1, r, kurv::GeneralNumberText(x, '.'));
        form.Table().SetCell(0, r, kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), '.'));
    }
    form.findChild<TStringGrid*>("sgData")->TableReset();
    form.show();
    QApplication::processEvents();

    // A cell outside the data changed each time: the run is a full one.
    int k = 0;
    auto run = [&] {
        form.Table().SetCell(2, rows + 1, std::to_string(++k));
        form.sgDataClick();
    };
    const double closed = bench::MedianSeconds(9, run);
    form.findChild<QAction*>("itmCompare")->trigger();
    QApplication::processEvents();
    const double open = bench::MedianSeconds(9, run);
    std::printf("  recalculation, cubic, 100,000 rows, comparison closed: %8.1f ms\n", closed * 1e3);
    std::printf("  the same with the comparison window open:              %8.1f ms (%.2fx)\n", open * 1e3,
                open / closed);

    kurv::CountingPairs pairs;
    kurv::ReadCountingPairs(form.Table(), '.', pairs);
    const double alone = bench::MedianSeconds(21, [&] { bench::Keep(kurv::CompareKinds(pairs, '.')); });
    std::printf("  the three kinds from the read pairs alone:             %8.1f ms\n", alone * 1e3);
}
