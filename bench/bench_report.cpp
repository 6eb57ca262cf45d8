// The calibration report through the real window at 100,000 and 1,000,000
// pairs: from the Report item to the print preview's pages painted (the
// record dialog answered at once), and to the PDF written (of every row too,
// at 100,000); with the peak memory above what the window held before. Peak
// memory is per process and reset before each stage: run it alone,
//   kurvilon_bench report
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "app/formmain.h"
#include "bench/bench.h"
#include "bench/benchwindow.h"
#include "core/numbers.h"
#include "report/recorddialog.h"
#include "table/stringgrid.h"

namespace {

using Clock = std::chrono::steady_clock;

long StatusKiB(const char* field) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(std::strlen(field))).trimmed().split(' ')[0].toLong();
    return -1;
}

// The peak resident size starts again from the current one.
void ResetPeak() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// Answers the record dialog with `choice`, shows the real print preview and
// notes when its pages are painted.
class ReportDialogs : public bench::QuietDialogs {
  public:
    int Exec(QWidget* dialog) override {
        auto* record = qobject_cast<TFormReportRecord*>(dialog);
        if (!record) return 0;
        if (auto* every = record->findChild<QCheckBox*>("chkEveryRow"); every && every->isEnabled())
            every->setChecked(everyRow);
        return choice;
    }
    QString SaveFileNameFiltered(QWidget*, const QString&, const QStringList&, int& filter) override {
        filter = 0;
        return pdfPath;
    }
    void PrintPreview(QWidget* owner, const std::function<void(QPrinter*)>& paint) override {
        QPrinter printer(QPrinter::HighResolution);
        QPrintPreviewDialog preview(&printer, owner);
        bool done = false;
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* p) {
            paint(p);
            painted = Clock::now();
            done = true;
        });
        preview.show();
        for (int i = 0; i < 1000 && !done; ++i) QApplication::processEvents();
        if (auto* w = preview.findChild<QPrintPreviewWidget*>()) pages = w->pageCount();
        preview.close();
    }

    int choice = TFormReportRecord::ToPreview;
    bool everyRow = false;
    QString pdfPath;
    Clock::time_point painted;
    int pages = 0;
};

}  // namespace

KURVILON_BENCH("report: preview and PDF at 100,000 and 1,000,000 pairs") {
    bench::WindowSurroundings around(2);  // quadratic
    ReportDialogs dialogs;
    dialogs.pdfPath = around.dir.filePath("report.pdf");
    const FormEnvironment env{&dialogs, '.', around.dir.path()};
    for (int rows : {100000, 1000000}) {
        TFormMain form(env);
        form.resize(900, 700);
        form.show();
        {
            std::mt19937_64 rng(7);
            std::uniform_real_distribution<double> noise(-0.05, 0.05);
            kurv::DataTable& t = form.Table();
            t.SetRowCount(rows + 2);
            for (int r = 1; r <= rows; ++r) {
                const double x = r * 0.01;
                t.SetCell(1, r, kurv::GeneralNumberText(x, '.'));
                t.SetCell(0, r, kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), '.'));
            }
            form.findChild<TStringGrid*>("sgData")->TableReset();
            form.sgDataClick();
            QApplication::processEvents();
        }
        QAction* item = form.findChild<QAction*>("itmReport");
        for (int choice : {int(TFormReportRecord::ToPreview), int(TFormReportRecord::ToPdf)}) {
            dialogs.choice = choice;
            for (int run = 0; run < 3; ++run) {
                const long before = StatusKiB("VmRSS:");
                ResetPeak();
                const auto start = Clock::now();
                item->trigger();
                if (choice == TFormReportRecord::ToPdf)
                    dialogs.painted = Clock::now();  // the file written too
                const double seconds = std::chrono::duration<double>(dialogs.painted - start).count();
                const long peak = StatusKiB("VmHWM:");
                std::printf(
                    "  %-7s %8d pairs: %7.0f ms to the pages done%s, peak %+6.1f MB over the %.0f MB "
                    "held before\n",
                    choice == TFormReportRecord::ToPreview ? "preview" : "PDF", rows, seconds * 1e3,
                    choice == TFormReportRecord::ToPreview
                        ? qPrintable(QString(" (%1 pages)").arg(dialogs.pages))
                        : "",
                    (peak - before) / 1024.0, before / 1024.0);
                std::fflush(stdout);
            }
        }
        if (rows == 100000) {
            // Every row: about 1,800 pages with the progress box up; Qt's
            // preview keeps each page as a picture.
            dialogs.everyRow = true;
            for (int choice : {int(TFormReportRecord::ToPdf), int(TFormReportRecord::ToPreview)}) {
                dialogs.choice = choice;
                const long before = StatusKiB("VmRSS:");
                ResetPeak();
                const auto start = Clock::now();
                item->trigger();
                const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
                std::printf("  %s of every row, %d pairs: %.1f s, peak %+.1f MB\n",
                            choice == TFormReportRecord::ToPdf ? "PDF" : "preview", rows, seconds,
                            (StatusKiB("VmHWM:") - before) / 1024.0);
            }
            dialogs.everyRow = false;
        }
    }
}
