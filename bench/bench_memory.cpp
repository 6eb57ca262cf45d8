// Memory of the real window: 1,000,000 unsorted pairs pasted from the
// clipboard, then a change of kind and a sort, with resident and peak memory
// after each stage. Peak memory is per process, so run it alone:
//   QT_QPA_PLATFORM=offscreen kurvilon_bench memory
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/benchwindow.h"
#include "core/numbers.h"
#include "table/stringgrid.h"

namespace {

double ResidentMiB() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toLong() / 1024.0;
    return -1;
}

double PeakMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

void Report(const char* stage) {
    std::printf("  %-44s resident %7.1f MiB, peak %7.1f MiB\n", stage, ResidentMiB(), PeakMiB());
    std::fflush(stdout);
}

}  // namespace

KURVILON_BENCH("memory: paste of 1,000,000 pairs, a change of kind, a sort") {
    const int pairs = qEnvironmentVariableIntValue("KURVILON_MEMORY_PAIRS") > 0
                          ? qEnvironmentVariableIntValue("KURVILON_MEMORY_PAIRS")
                          : 1000000;
    bench::WindowSurroundings around(2);  // quadratic
    const FormEnvironment env = around.Env();
    TFormMain form(env);
    auto* combo = form.findChild<QComboBox*>("ComboBox1");
    form.show();
    QApplication::processEvents();
    Report("window shown, empty table");

    {
        // Unsorted X, texts as a user's instrument would give them.
        std::vector<int> order(static_cast<std::size_t>(pairs));
        std::iota(order.begin(), order.end(), 1);
        std::shuffle(order.begin(), order.end(), std::mt19937_64(7));
        std::mt19937_64 rng(11);
        std::uniform_real_distribution<double> noise(-0.05, 0.05);
        std::string text;
        for (int k : order) {
            const double x = k * 0.001;
            text += kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), '.');
            text += '\t';
            text += kurv::GeneralNumberText(x, '.');
            text += "\r\n";
        }
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        std::printf("  clipboard text: %.1f MB of UTF-8\n", text.size() / 1e6);
    }
    QApplication::processEvents();
    Report("clipboard filled");

    form.itmTablPasteClick();
    QApplication::processEvents();
    Report("pasted");

    QGuiApplication::clipboard()->clear();
    QApplication::processEvents();
    Report("clipboard cleared");

    bench::ChangeKindFromList(combo);
    Report("kind changed");

    // A command over the whole table keeps the rows it changes for undo.
    form.itmSortClick();
    QApplication::processEvents();
    Report("sorted");
}
