// What the user waits for: the real window, shown offscreen, driven by key
// presses and mouse clicks, each action timed until every event it raised has
// been handled and the window repainted. The rows arrive in random X order.
// Each figure stands next to the machine's limit for one recalculation of that
// many rows (parse 2×N texts with from_chars, the power sums, format N texts
// with to_chars, bench/recalc_limit.h), measured in the same run.
// Run: kurvilon_bench waits (KURVILON_BENCH_ROWS=100000 for one size)
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/recalc_limit.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

namespace {

// A file dialog that always picks one file; every box answers OK.
class FixedDialogs : public Dialogs {
  public:
    QString file;
    int messages = 0;
    int Message(QWidget*, const QString&, const QString&, int, MsgIcon, int) override {
        ++messages;
        return MbOk;
    }
    QString OpenFileName(QWidget*, const QString&) override { return file; }
    QString SaveFileName(QWidget*, const QString&) override { return {}; }
    void PrintPreview(QWidget*, const std::function<void(QPrinter*)>&) override {}
    int Exec(QWidget*) override { return 0; }
};

// Counts the paint events, to show the figures include painting.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Handles every pending event, paints included, until none is left.
void Settle() {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

class Window {
  public:
    explicit Window(const QString& dir) : form_(FormEnvironment{&dialogs_, '.', dir}) {
        grid_ = form_.findChild<TStringGrid*>("sgData");
        combo_ = form_.findChild<QComboBox*>("ComboBox1");
        chart_ = form_.findChild<TChart*>("Chart1");
        form_.resize(1000, 700);
        form_.show();
        QApplication::setActiveWindow(&form_);
        if (!QTest::qWaitForWindowActive(&form_)) std::printf("  (!) the window is not active\n");
        grid_->setFocus();
        Settle();
    }
    FixedDialogs& Dialogs() { return dialogs_; }
    TChart* Chart() { return chart_; }
    TStringGrid* Grid() { return grid_; }

    void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(target, Qt::Key(key), mods);
        Settle();
    }
    // A key to whatever has the focus (the table's editor or the table).
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        Key(w ? w : grid_, key, mods);
    }
    void Paste(const std::string& text) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        Settle();
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    void FocusTable() {
        grid_->setFocus();
        Settle();
    }
    void ChangeKind(int step) {
        combo_->setFocus();
        Settle();
        Key(combo_, step % 2 ? Qt::Key_Up : Qt::Key_Down);
    }
    void FocusList() {
        combo_->setFocus();
        Settle();
    }
    void ClickPoint(QPoint at) {
        QTest::mouseClick(chart_->viewport(), Qt::LeftButton, {}, at);
        Settle();
    }
    int Kind() const { return combo_->currentIndex(); }
    int RowCount() { return form_.Table().RowCount(); }

  private:
    FixedDialogs dialogs_;
    TFormMain form_;
    TStringGrid* grid_ = nullptr;
    QComboBox* combo_ = nullptr;
    TChart* chart_ = nullptr;
};

// Median of `runs` timed actions, each after an untimed preparation.
PaintCounter* g_paints = nullptr;
int g_paintsPerAction = 0;

template <class Prepare, class Act>
double Timed(int runs, Prepare&& prepare, Act&& act) {
    std::vector<double> t;
    int paints = 0;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        const int before = g_paints->paints;
        t.push_back(bench::MedianSeconds(1, [&] { act(i); }));
        paints += g_paints->paints - before;
    }
    g_paintsPerAction = paints / runs;
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void Row(const char* what, double seconds, double limit) {
    std::printf("  %-36s %9.1f ms   %6.1f× limit   (%d paints)\n", what, seconds * 1e3, seconds / limit,
                g_paintsPerAction);
    std::fflush(stdout);
}

}  // namespace

KURVILON_BENCH("waits: the real window") {
    // KURVILON_BENCH_ROWS=100000 (or 1000,10000): only these sizes.
    const char* only = std::getenv("KURVILON_BENCH_ROWS");
    const std::string sizes = only ? "," + std::string(only) + "," : "";
    // KURVILON_BENCH_ACTIONS=read,sort (paste, full, kind, arrow, read, sort, press): only these actions.
    const char* actions = std::getenv("KURVILON_BENCH_ACTIONS");
    auto want = [&](const char* name) { return !actions || std::strstr(actions, name); };
    PaintCounter counter;
    g_paints = &counter;
    qApp->installEventFilter(&counter);
    QTemporaryDir dir;
    {
        QFile ini(dir.filePath("Kurvilon.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Config]\nLanguage=Eng\nPoints=Yes\n[FormMain]\nFunction=1\nOnTop=N\n");
    }
    const QString path = dir.filePath("data.txt");
    for (int rows : {1000, 10000, 100000, 1000000}) {
        if (!sizes.empty() && sizes.find("," + std::to_string(rows) + ",") == std::string::npos) continue;
        const bench::LimitData d = bench::MakeLimitData(rows);
        {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly)) f.write(d.file.data(), static_cast<qint64>(d.file.size()));
        }
        // KURVILON_BENCH_RUNS=20: more runs of each action, for a profiler.
        const char* runsWanted = std::getenv("KURVILON_BENCH_RUNS");
        const int runs = runsWanted        ? std::max(1, std::atoi(runsWanted))
                         : rows >= 1000000 ? 3
                         : rows >= 100000  ? 5
                         : rows >= 10000   ? 9
                                           : 15;
        const double limit = bench::LimitSeconds(d, rows >= 1000000 ? 5 : runs * 2 + 1);
        std::printf(" %d rows, random X order (median of %d; limit %.2f ms)\n", rows, runs, limit * 1e3);

        Window w(dir.path());
        w.Dialogs().file = path;
        auto load = [&](const std::string& text) {
            w.FocusTable();
            w.Paste(text);
        };
        if (actions) load(d.clip);
        // Paste into an empty table: the table is cleared by pasting one pair.
        if (want("paste"))
            Row("paste into an empty table",
                Timed(
                    runs, [&](int) { load("1\t1\r\n"); }, [&](int) { w.Paste(d.clip); }),
                limit);
        if (w.RowCount() != rows + 2 && want("paste"))
            std::printf("  (!) the paste did not reach the table\n");
        if (want("full"))
            Row("paste over a full sorted table",
                Timed(
                    runs, [&](int) { load(d.clipSorted); }, [&](int) { w.Paste(d.clip); }),
                limit);
        if (want("kind"))
            Row("change of kind",
                Timed(
                    runs, [&](int) { w.FocusList(); }, [&](int i) { w.ChangeKind(i); }),
                limit);
        if (want("arrow"))
            Row("arrow move",
                Timed(
                    runs * 3, [&](int) {}, [&](int i) { w.Key(i % 2 ? Qt::Key_Up : Qt::Key_Down); }),
                limit);
        if (want("read"))
            Row("File / Read (Ctrl+L)",
                Timed(
                    runs, [&](int) { load(d.clipSorted); },
                    [&](int) { w.Key(Qt::Key_L, Qt::ControlModifier); }),
                limit);
        if (want("sort"))
            Row("sort (Ctrl+S in the table)",
                Timed(
                    runs, [&](int) { load(d.clip); }, [&](int) { w.Key(Qt::Key_S, Qt::ControlModifier); }),
                limit);
        if (!want("press")) continue;
        // A press on the first point by X turns its value marks on; the next turns them off.
        load(d.clip);
        w.Key(Qt::Key_Down);
        double x0 = 1e300, y0 = 0;
        for (int r = 0; r < rows; ++r) {
            const double x = std::strtod(d.x[r].c_str(), nullptr);
            if (x < x0) x0 = x, y0 = std::strtod(d.y[r].c_str(), nullptr);
        }
        const QPoint at = w.Chart()->MapToWidget(x0, y0).toPoint();
        Row("press on a point, marks turned on",
            Timed(
                runs,
                [&](int) {
                    if (w.Chart()->MarksVisible(1)) w.ClickPoint(at);
                },
                [&](int) { w.ClickPoint(at); }),
            limit);
        if (!w.Chart()->MarksVisible(1) || w.Dialogs().messages != 0)
            std::printf("  (!) the press missed the point or a message box came up\n");
    }
}
