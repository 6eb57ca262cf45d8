// The window's own figures: one full recalculation at growing table sizes
// (three passes over the texts, column 2 written, the series refilled; no
// painting), what a move of the current cell and a change of kind cost with
// the events they raise, and the memory of the program holding 100,000 rows.
// Run it alone for the memory figure: kurvilon_bench window
// At 100,000 and 1,000,000 rows it also gives what the fit statistics add to a
// recalculation with their window open, the band on, and both closed.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/benchwindow.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/numbers.h"
#include "table/stringgrid.h"

namespace {

void FillRows(kurv::DataTable& t, int rows) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    t.SetRowCount(rows + 2);
    for (int r = 1; r <= rows; ++r) {
        const double x = r * 0.01;
        t.SetCell(1, r, kurv::GeneralNumberText(x, '.'));
        t.SetCell(0, r, kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), '.'));
    }
}

long StatusKiB(const char* field) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(std::strlen(field))).trimmed().split(' ')[0].toLong();
    return -1;
}

}  // namespace

KURVILON_BENCH("window: recalculation") {
    bench::WindowSurroundings around(2);  // quadratic
    const FormEnvironment env = around.Env();
    for (int rows : {100, 10000, 100000}) {
        TFormMain form(env);
        FillRows(form.Table(), rows);
        form.findChild<TStringGrid*>("sgData")->TableReset();
        const int runs = rows >= 100000 ? 9 : rows >= 10000 ? 21 : 101;
        // A cell changed each time: an unchanged table is not fitted again.
        const int spare = form.Table().RowCount() - 1;
        int k = 0;
        const double t = bench::MedianSeconds(runs, [&] {
            form.Table().SetCell(2, spare, std::to_string(++k));
            form.sgDataClick();
        });
        std::printf("  recalculation, quadratic, %6d rows: %9.3f ms (median of %d)\n", rows, t * 1e3, runs);
        if (rows == 100000)
            std::printf("  resident memory holding 100,000 rows: %.1f MB now, %.1f MB peak\n",
                        StatusKiB("VmRSS:") / 1024.0, StatusKiB("VmHWM:") / 1024.0);
    }
}

KURVILON_BENCH("window: recalculation with the fit statistics") {
    bench::WindowSurroundings around(2);  // quadratic
    const FormEnvironment env = around.Env();
    for (int rows : {100000, 1000000}) {
        TFormMain form(env);
        FillRows(form.Table(), rows);
        form.findChild<TStringGrid*>("sgData")->TableReset();
        form.show();
        QApplication::processEvents();
        const int runs = rows >= 1000000 ? 5 : 9;
        const int spare = form.Table().RowCount() - 1;
        int k = 0;
        auto run = [&] {
            form.Table().SetCell(2, spare, std::to_string(++k));
            form.sgDataClick();
        };
        const double closed = bench::MedianSeconds(runs, run);
        form.findChild<QAction*>("itmStatistics")->trigger();
        QApplication::processEvents();
        const double window = bench::MedianSeconds(runs, run);
        form.findChild<QAction*>("itmBand")->trigger();
        const double both = bench::MedianSeconds(runs, run);
        std::printf(
            "  %7d rows: statistics closed %8.1f ms; window open %8.1f ms (%+.1f %%); "
            "and the band %8.1f ms (%+.1f %%)\n",
            rows, closed * 1e3, window * 1e3, 100 * (window / closed - 1), both * 1e3,
            100 * (both / closed - 1));
    }
}

// What the user waits for at 100,000 rows: an arrow key in the table, and a
// change of kind chosen in the list while the list has the focus (the focus then
// returns to the table). Events are handled until the queue is empty.
KURVILON_BENCH("window: arrow move and change of kind") {
    bench::WindowSurroundings around(2);  // quadratic
    const FormEnvironment env = around.Env();
    TFormMain form(env);
    auto* grid = form.findChild<TStringGrid*>("sgData");
    auto* combo = form.findChild<QComboBox*>("ComboBox1");
    FillRows(form.Table(), 100000);
    grid->TableReset();
    form.show();
    form.activateWindow();
    grid->setFocus();
    QApplication::processEvents();
    form.sgDataClick();
    QApplication::processEvents();

    auto key = [](QWidget* w, int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
        QApplication::processEvents();
    };
    int step = 0;
    double t =
        bench::MedianSeconds(21, [&] { key(grid->InplaceEditor(), ++step % 2 ? Qt::Key_Down : Qt::Key_Up); });
    std::printf("  arrow move in the table, 100,000 rows:          %8.1f ms (median of 21)\n", t * 1e3);
    t = bench::MedianSeconds(9, [&] { bench::ChangeKindFromList(combo); });
    std::printf("  change of kind from the list, 100,000 rows:     %8.1f ms (median of 9)\n", t * 1e3);
}

// The commands that rewrite the whole table, each with the recalculation it
// ends with, as the window runs them (clipboard and file dialog aside).
KURVILON_BENCH("window: table commands") {
    bench::WindowSurroundings around(2);  // quadratic
    const FormEnvironment env = around.Env();
    TFormMain form(env);
    auto* grid = form.findChild<TStringGrid*>("sgData");
    FillRows(form.Table(), 100000);
    grid->TableReset();
    const std::string text = kurv::TableText(form.Table());
    const std::string bytes = kurv::DataFileBytes(form.Table());
    const std::string path = around.dir.filePath("data.txt").toStdString();

    double t = bench::MedianSeconds(7, [&] {
        kurv::PasteTable(form.Table(), text);
        grid->TableReset();
        form.sgDataClick();
    });
    std::printf("  paste table of 100,000 pairs (%.1f MB) with the recalculation: %8.1f ms\n",
                text.size() / 1e6, t * 1e3);
    t = bench::MedianSeconds(7, [&] { bench::Keep(QString::fromStdString(kurv::TableText(form.Table()))); });
    std::printf("  copy table of 100,000 rows (text for the clipboard):           %8.1f ms\n", t * 1e3);
    t = bench::MedianSeconds(7, [&] { kurv::WriteFileSafely(path, kurv::DataFileBytes(form.Table())); });
    std::printf("  write 100,000 rows to the data file:                           %8.1f ms\n", t * 1e3);
    t = bench::MedianSeconds(7, [&] {
        std::string in;
        kurv::ReadWholeFile(path, in);
        kurv::ReadDataFile(form.Table(), in);
        grid->TableReset();
        form.sgDataClick();
    });
    std::printf("  read a 100,000-line data file with the recalculation:          %8.1f ms\n", t * 1e3);
    bench::Keep(bytes);
}
