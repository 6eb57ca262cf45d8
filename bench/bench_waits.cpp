// What the user waits for: the real window, shown offscreen, driven by key
// presses, menu choices and mouse clicks, each action timed until every event
// it raised has been handled and the window repainted, with the peak memory
// the action reached. The rows arrive in random X order, their texts as an
// instrument exports them (15 to 17 significant digits) or short.
// Each figure stands next to the machine's limit for one recalculation of that
// many rows (parse 2×N texts with from_chars, the power sums, format N texts
// with to_chars), measured in the same run on the same texts.
// The peak counts what the window would hold: the benchmark keeps its texts in
// files between uses, and the clipboard holds the text to paste only during
// the pastes (another program would hold it, and the window gets a copy).
// What the benchmark still holds itself is printed once per size.
// Run it alone (peak memory is per process):
//   QT_QPA_PLATFORM=offscreen kurvilon_bench waits
//   KURVILON_BENCH_ROWS=100000,1000000,10000000   the sizes (default 10^5, 10^6)
//   KURVILON_BENCH_TEXTS=long|short               the texts (default long)
//   KURVILON_BENCH_ACTIONS=fresh,cleared,full,undo,kind,arrow,read,sort,press,wired
//   KURVILON_BENCH_RUNS=20                        runs per action
// The "wired" figures call the core straight, recording through
// DataTable::BeginChange into a history beside the window's and reading the
// clipboard's UTF-8 bytes where the window takes Qt's UTF-16 text (a seam of
// this benchmark's own); the grid, the recalculation and the chart are the window's.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/benchtexts.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/table_history.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

namespace {

// A file dialog that always picks one file; every box answers OK or Yes.
class FixedDialogs : public Dialogs {
  public:
    QString file;
    int messages = 0;
    int Message(QWidget*, const QString&, const QString&, int buttons, MsgIcon, int) override {
        if (buttons & MbYes) return MbYes;  // the question before clearing
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

// The clipboard as another program offers it: UTF-8 bytes, which the window
// converts itself.
void SetClipboard(const QByteArray& bytes) {
    auto* data = new QMimeData;
    data->setData("text/plain;charset=utf-8", bytes);
    QGuiApplication::clipboard()->setMimeData(data);
    Settle();
}

// Between the actions that paste, the clipboard's text is another program's.
void ClearClipboard() {
    QGuiApplication::clipboard()->clear();
    Settle();
}

// The benchmark's texts wait in files, out of this process's memory.
void Spill(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::printf("  (!) %s could not be written\n", qPrintable(path));
}

// Sized to the file: readAll would leave the text in a larger block. Copied
// in by this process, as a clipboard text arriving over the X connection is:
// memory the kernel filled straight from the file would cost the window a
// page fault per page at its first read on this machine (about 45 ms for
// 36 MB), which no real paste pays.
QByteArray Slurp(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes(f.size(), Qt::Uninitialized);
    std::vector<char> pass(1 << 20);
    qint64 used = 0;
    while (used < bytes.size()) {
        const qint64 n = f.read(pass.data(), std::min<qint64>(pass.size(), bytes.size() - used));
        if (n <= 0) break;
        std::memcpy(bytes.data() + used, pass.data(), static_cast<std::size_t>(n));
        used += n;
    }
    bytes.resize(used);
    return bytes;
}

class Window {
  public:
    Window(const QString& dir, const QString& file) : form_(FormEnvironment{&dialogs_, '.', dir}) {
        dialogs_.file = file;
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

    void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(target, Qt::Key(key), mods);
        Settle();
    }
    // A key to whatever has the focus (the table's editor or the table).
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        Key(w ? w : grid_, key, mods);
    }
    void Paste() { Key(Qt::Key_V, Qt::ControlModifier); }
    void Menu(const char* item) {
        if (auto* a = form_.findChild<QAction*>(item)) a->trigger();
        Settle();
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
    int RowCount() { return form_.Table().RowCount(); }

    // A command as the window runs it, without its progress: the change
    // recorded by the table into a history beside the window's, then the grid
    // and the recalculation.
    template <class Change>
    void Wired(Change&& change) {
        kurv::DataTable& t = form_.Table();
        t.BeginChange();
        change(t);
        history_.Record(t.EndChange(), {}, {});
        Refresh();
    }
    void WiredPaste() {
        const QByteArray bytes = QGuiApplication::clipboard()->mimeData()->data("text/plain;charset=utf-8");
        Wired([&](kurv::DataTable& t) {
            kurv::PasteTable(t, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        });
    }
    void WiredRead(const QString& path) {
        std::string bytes;
        kurv::ReadWholeFile(path.toStdString(), bytes, kurv::kDataFileMaxBytes);
        Wired([&](kurv::DataTable& t) { kurv::ReadDataFile(t, bytes); });
    }
    void WiredStep(bool redo) {
        kurv::TableCursor cursor;
        if (redo ? history_.Redo(form_.Table(), cursor) : history_.Undo(form_.Table(), cursor)) Refresh();
    }

  private:
    void Refresh() {
        grid_->TableReset();
        form_.sgDataClick();
        Settle();
    }

    kurv::TableHistory history_;
    FixedDialogs dialogs_;
    TFormMain form_;
    TStringGrid* grid_ = nullptr;
    QComboBox* combo_ = nullptr;
    TChart* chart_ = nullptr;
};

PaintCounter* g_paints = nullptr;

struct Figure {
    double seconds = 0;
    double cpuSeconds = 0;  // processor time, all threads
    double peakMiB = 0;     // the highest resident memory during the actions
    double beforeMiB = 0;   // resident memory when the action began (the highest of the runs)
    int paints = 0;
};

// Median of `runs` timed actions, each after an untimed preparation.
template <class Prepare, class Act>
Figure Timed(int runs, Prepare&& prepare, Act&& act) {
    std::vector<double> t, cpu;
    Figure f;
    int paints = 0;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        f.beforeMiB = std::max(f.beforeMiB, bench::ResidentMiB());
        bench::ResetPeak();
        const int before = g_paints->paints;
        const double cpuBefore = bench::ProcessCpuSeconds();
        t.push_back(bench::MedianSeconds(1, [&] { act(i); }));
        cpu.push_back(bench::ProcessCpuSeconds() - cpuBefore);
        f.peakMiB = std::max(f.peakMiB, bench::PeakMiB());
        paints += g_paints->paints - before;
    }
    f.paints = paints / runs;
    std::sort(t.begin(), t.end());
    std::sort(cpu.begin(), cpu.end());
    f.seconds = t[t.size() / 2];
    f.cpuSeconds = cpu[cpu.size() / 2];
    return f;
}

void Row(const char* what, const Figure& f, const bench::Limit& limit) {
    std::printf("  %-40s %8.1f ms %5.2f×  cpu %8.1f ms %5.2f×  peak %7.1f MiB (from %7.1f)  %d paints\n",
                what, f.seconds * 1e3, f.seconds / limit.seconds, f.cpuSeconds * 1e3,
                f.cpuSeconds / limit.cpuSeconds, f.peakMiB, f.beforeMiB, f.paints);
    std::fflush(stdout);
}

}  // namespace

KURVILON_BENCH("waits: the real window") {
    const char* actions = std::getenv("KURVILON_BENCH_ACTIONS");
    auto want = [&](const char* name) { return !actions || std::strstr(actions, name); };
    const bool longTexts = bench::LongTextsWanted();
    PaintCounter counter;
    g_paints = &counter;
    qApp->installEventFilter(&counter);
    QTemporaryDir dir;
    {
        QFile ini(dir.filePath("Kurvilon.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[Config]\nLanguage=Eng\nPoints=Yes\n[FormMain]\nFunction=2\nOnTop=N\n");
    }
    const QString path = dir.filePath("data.txt");
    for (int rows : bench::SizesWanted("100000,1000000")) {
        const char* runsWanted = std::getenv("KURVILON_BENCH_RUNS");
        const int runs = runsWanted         ? std::max(1, std::atoi(runsWanted))
                         : rows >= 10000000 ? 1
                         : rows >= 1000000  ? 3
                         : rows >= 100000   ? 5
                         : rows >= 10000    ? 9
                                            : 15;
        // The texts pasted, and a second set of other values for the table
        // they replace, which the data file holds too. None stays in memory.
        const QString clipPath = dir.filePath("clip.txt"), otherPath = dir.filePath("other.txt");
        const double residentBefore = bench::ResidentMiB();
        bench::Limit limit;
        qint64 clipBytes = 0, fileBytes = 0;
        {
            bench::Texts t = bench::MakeTexts(rows, longTexts, 11, true);
            limit = bench::LimitSeconds(t, rows >= 1000000 ? 5 : runs * 2 + 1);
            Spill(clipPath, t.clip);
            clipBytes = t.clip.size();
        }
        {
            QByteArray other = bench::MakeTexts(rows, longTexts, 12, false).clip;
            Spill(otherPath, other);
            const QByteArray file = bench::FileBytes(std::move(other));
            Spill(path, file);
            fileBytes = file.size();
        }
        std::printf(
            " %d rows, %s texts, random X order: clipboard %.1f MB, data file %.1f MB%s\n", rows,
            longTexts ? "15-17-digit" : "short", clipBytes / 1e6, fileBytes / 1e6,
            static_cast<std::uint64_t>(fileBytes) > kurv::kDataFileMaxBytes ? " (over the limit)" : "");
        std::printf(
            " median of %d; in-run limit %.2f ms, cpu %.2f ms (wall and processor time, each × its limit)\n",
            runs, limit.seconds * 1e3, limit.cpuSeconds * 1e3);
        std::printf(
            " peaks: the benchmark itself holds %.1f MiB besides the window; a paste's figures include the\n"
            " clipboard's text (%.1f MiB), which the window receives, the other actions' do not\n",
            std::max(0.0, bench::ResidentMiB() - residentBefore), clipBytes / 1048576.0);
        std::fflush(stdout);
        auto window = std::make_unique<Window>(dir.path(), path);
        // A paste of the texts in `from`; `keep` leaves them on the clipboard.
        auto load = [&](const QString& from, bool keep = false) {
            window->FocusTable();
            SetClipboard(Slurp(from));
            window->Paste();
            if (!keep) ClearClipboard();
        };
        auto offer = [&](const QString& from) { SetClipboard(Slurp(from)); };
        auto fresh = [&] {
            window.reset();
            Settle();
            window = std::make_unique<Window>(dir.path(), path);
        };
        if (want("fresh"))
            Row("paste, the first in a new window",
                Timed(
                    runs,
                    [&](int) {
                        fresh();
                        offer(clipPath);
                    },
                    [&](int) { window->Paste(); }),
                limit);
        if (want("fresh") && window->RowCount() != rows + 2)
            std::printf("  (!) the paste did not reach the table (%d rows)\n", window->RowCount() - 2);
        if (want("cleared"))
            Row("paste into a cleared table",
                Timed(
                    runs,
                    [&](int) {
                        load(otherPath);
                        window->Menu("itmClearMain");
                        offer(clipPath);
                    },
                    [&](int) { window->Paste(); }),
                limit);
        if (want("full"))
            Row("paste over a full table",
                Timed(
                    runs,
                    [&](int) {
                        load(otherPath);
                        offer(clipPath);
                    },
                    [&](int) { window->Paste(); }),
                limit);
        if (want("undo")) {
            Row("undo of that paste",
                Timed(
                    runs,
                    [&](int) {
                        load(otherPath);
                        load(clipPath);
                    },
                    [&](int) { window->Key(Qt::Key_Z, Qt::ControlModifier); }),
                limit);
            Row("redo of that paste",
                Timed(
                    runs, [&](int) { window->Key(Qt::Key_Z, Qt::ControlModifier); },
                    [&](int) { window->Key(Qt::Key_Y, Qt::ControlModifier); }),
                limit);
            Row("10 undo and redo of that paste",
                Timed(
                    1, [&](int) {},
                    [&](int) {
                        for (int i = 0; i < 10; ++i) {
                            window->Key(Qt::Key_Z, Qt::ControlModifier);
                            window->Key(Qt::Key_Y, Qt::ControlModifier);
                        }
                    }),
                limit);
        }
        if (window->RowCount() < rows) load(clipPath);
        if (want("kind"))
            Row("change of kind",
                Timed(
                    runs, [&](int) { window->FocusList(); }, [&](int i) { window->ChangeKind(i); }),
                limit);
        if (want("arrow"))
            Row("arrow move",
                Timed(
                    runs * 3, [&](int) { window->FocusTable(); },
                    [&](int i) { window->Key(i % 2 ? Qt::Key_Up : Qt::Key_Down); }),
                limit);
        const bool fileFits = QFile(path).size() <= static_cast<qint64>(kurv::kDataFileMaxBytes);
        if (want("read") && !fileFits) std::printf("  File / Read skipped: the file is over the limit\n");
        if (want("read") && fileFits)
            Row("File / Read (Ctrl+L)",
                Timed(
                    runs, [&](int) { load(clipPath); },
                    [&](int) { window->Key(Qt::Key_L, Qt::ControlModifier); }),
                limit);
        if (want("sort"))
            Row("sort (Ctrl+S in the table)",
                Timed(
                    runs, [&](int) { load(clipPath); },
                    [&](int) { window->Key(Qt::Key_S, Qt::ControlModifier); }),
                limit);
        if (want("wired")) {
            Row("wired: paste, the first in a new window",
                Timed(
                    runs,
                    [&](int) {
                        fresh();
                        offer(clipPath);
                    },
                    [&](int) { window->WiredPaste(); }),
                limit);
            Row("wired: paste into a cleared table",
                Timed(
                    runs,
                    [&](int) {
                        load(otherPath);
                        window->Menu("itmClearMain");
                        offer(clipPath);
                    },
                    [&](int) { window->WiredPaste(); }),
                limit);
            Row("wired: paste over a full table",
                Timed(
                    runs,
                    [&](int) {
                        offer(otherPath);
                        window->WiredPaste();
                        offer(clipPath);
                    },
                    [&](int) { window->WiredPaste(); }),
                limit);
            Row("wired: undo of that paste",
                Timed(
                    1, [&](int) {}, [&](int) { window->WiredStep(false); }),
                limit);
            Row("wired: redo of that paste",
                Timed(
                    1, [&](int) {}, [&](int) { window->WiredStep(true); }),
                limit);
            Row("wired: 10 undo and redo of that paste",
                Timed(
                    1, [&](int) {},
                    [&](int) {
                        for (int i = 0; i < 10; ++i) window->WiredStep(false), window->WiredStep(true);
                    }),
                limit);
            if (fileFits)
                Row("wired: File / Read",
                    Timed(
                        runs,
                        [&](int) {
                            offer(clipPath);
                            window->WiredPaste();
                            ClearClipboard();
                        },
                        [&](int) { window->WiredRead(path); }),
                    limit);
        }
        if (want("press")) {
            // A press on the first point by X turns its value marks on; the next turns them off.
            load(clipPath);
            window->Key(Qt::Key_Down);
            double x0 = 1e300, y0 = 0;
            {
                const QByteArray clip = Slurp(clipPath);
                const char* const end = clip.constData() + clip.size();
                for (const char* at = clip.constData(); at < end;) {
                    double y = 0, x = 0;
                    at = std::from_chars(at, end, y).ptr;
                    at = std::from_chars(at + 1, end, x).ptr + 2;
                    if (x < x0) x0 = x, y0 = y;
                }
            }
            const QPoint at = window->Chart()->MapToWidget(x0, y0).toPoint();
            Row("press on a point, marks turned on",
                Timed(
                    runs,
                    [&](int) {
                        if (window->Chart()->MarksVisible(1)) window->ClickPoint(at);
                    },
                    [&](int) { window->ClickPoint(at); }),
                limit);
            if (!window->Chart()->MarksVisible(1)) std::printf("  (!) the press missed the point\n");
        }
        if (window->Dialogs().messages != 0)
            std::printf("  (!) %d message boxes came up\n", window->Dialogs().messages);
    }
}
