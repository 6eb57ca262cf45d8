// The File menu's two additions: the chart saved as a file and the
// calibration report, asked for in the record dialog and shown in a print
// preview or written as a PDF file.
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/datafile_format.h"
#include "core/file_io.h"
#include "core/numbers.h"
#include "core/report.h"
#include "output/chartview.h"
#include "output/report.h"
#include "report/recorddialog.h"

namespace {

QString PickIn(int language, const char* russian, const char* english) {
    return UiString(russian, english).In(language);
}

// The pages of a long report counted out in a progress box that can stop
// the work. Used only for a report that lists every row of a long table (the
// others take well under a second); the box is made when painting starts and
// goes when it ends.
class ReportProgress {
  public:
    ReportProgress(QWidget* owner, int language) : owner_(owner), language_(language) {}
    std::function<bool(int, int)> Callback() {
        return [this](int painted, int toPaint) {
            if (!box_) {
                box_ = std::make_unique<QProgressDialog>(owner_);
                box_->setObjectName("dlgReportProgress");
                box_->setAccessibleDescription(box_->objectName());
                box_->setWindowTitle(PickIn(language_, "Отчёт о градуировке", "Calibration report"));
                box_->setCancelButtonText(PickIn(language_, "Отмена", "Cancel"));
                box_->setWindowModality(Qt::ApplicationModal);
                box_->setMinimumDuration(300);
            }
            box_->setMaximum(toPaint);
            box_->setLabelText(
                PickIn(language_, "Страница %1 из %2", "Page %1 of %2").arg(painted).arg(toPaint));
            box_->setValue(painted);  // a modal box handles the events here, the Cancel click among them
            const bool go = !box_->wasCanceled();
            if (!go || painted >= toPaint) box_.reset();
            return go;
        };
    }

  private:
    QWidget* owner_;
    int language_;
    std::unique_ptr<QProgressDialog> box_;
};

// A file name for the report, from its number.
QString InitialPdfName(const std::string& number, int language) {
    QString name = PickIn(language, "Отчёт", "Report");
    if (!number.empty()) {
        QString n = QString::fromStdString(number);
        for (QChar& c : n)
            if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.isSpace()) c = QLatin1Char('-');
        name += QLatin1Char(' ') + n;
    }
    return name + QStringLiteral(".pdf");
}

}  // namespace

void TFormMain::BuildReportItems() {
    // After the designed write item, before the separator above Exit.
    QAction* before = app_.itmFile->findChild<QAction*>("N8", Qt::FindDirectChildrenOnly);
    FillMenu(app_.itmFile,
             {{"itmSaveChart", {"Сохранить график…", "Save chart…"}, "", &TFormMain::itmSaveChartClick},
              {"itmReport", {"Отчёт…", "Report…"}, "", &TFormMain::itmReportClick}},
             Qt::WindowShortcut, before);
    output_.itmSaveChart = findChild<QAction*>("itmSaveChart");
    output_.itmReport = findChild<QAction*>("itmReport");
}

kurv::Report TFormMain::ReportNow(const kurv::ReportRecord& record, bool everyRow) const {
    kurv::ReportInput in;
    in.language = LanguageIndex;
    in.kind = fit_.ComboBox1->currentIndex();
    in.title = ApplicationTitle().toStdString();
    in.stamp = QDateTime::currentDateTime()
                   .toString(LanguageIndex == 1 ? QStringLiteral("yyyy-MM-dd HH:mm")
                                                : QStringLiteral("dd.MM.yyyy HH:mm"))
                   .toStdString();
    in.formula = fit_.PanelResult->text().toStdString();
    in.coefficients = FitCoefficients;
    in.coefficientTexts = CoefficientTexts;
    in.sigma = recalc_.sigma;
    in.maxError = recalc_.maxError;
    in.pairs = &recalc_.pairs;
    in.fitted = &recalc_.fitted;
    in.sep = sep_;
    in.record = record;
    in.everyRow = everyRow;

    // The data file the table still holds, by the fingerprint of its data.
    const kurv::DataFilesNow files = kurv::MatchDataFiles(datafile_.files, kurv::DataFingerprint(data_));
    in.sourceFile = files.source;
    in.copyFile = files.copy;

    // The evaluation points on show with a number in X, as the window shows
    // them; a point at the X of one listed before adds nothing (all ten start at 0).
    if (points_.shown) {
        std::vector<long double> listed;
        for (std::size_t k = 0; k < points_.rows.size(); ++k) {
            const std::string x = points_.rows[k].edit->text().toStdString();
            const std::string y = points_.rows[k].panel->text().toStdString();
            const auto value = kurv::ParseNumber(x, sep_);
            if (!value || y.empty() || std::find(listed.begin(), listed.end(), *value) != listed.end())
                continue;
            listed.push_back(*value);
            in.points.push_back({int(k) + 1, x, y});
        }
    }
    in.statistics = StatisticsSheet(StatisticsOfLastRun());
    return kurv::BuildReport(in);
}

bool TFormMain::ReportAvailable() const {
    // A run cut short by an overflow has no fitted value for some rows: no
    // record is made of it.
    return fitOnShow_ && recalc_.fitted.size() == recalc_.pairs.rows.size();
}

ReportPainting TFormMain::ReportPaintingNow() const {
    ReportPainting how;
    const QSizeF chartSize = output_.Chart1->size();
    how.chartAspect = chartSize.width() > 0 ? chartSize.height() / chartSize.width() : 0;
    how.paintChart = [this](QPainter* p, const QRectF& r) { output_.Chart1->RenderTo(p, r); };
    return how;
}

bool TFormMain::ReportPdf(const kurv::Report& report, const ReportPainting& how, QByteArray& bytes) const {
    bool cancelled = false;
    bytes.clear();
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
        pdf.setTitle(QString::fromStdString(report.heading));
        pdf.setCreator(ApplicationTitle());
        cancelled = PaintReport(&pdf, report, how).cancelled;
    }
    if (cancelled) bytes.clear();
    return !cancelled;
}

kurv::FileWriteResult TFormMain::WriteReportFile(const QString& name) {
    // The record dialog as it opens, never shown: its fields are the report's.
    TFormReportRecord dialog(LanguageIndex, kurv::ReadReportRecord(SettingsFilePath.toStdString()),
                             recalc_.pairs.rows.size(), QDate::currentDate(), this);
    const kurv::Report report = ReportNow(dialog.Record(), dialog.EveryRow());
    QByteArray bytes;
    ReportPdf(report, ReportPaintingNow(), bytes);  // no progress to cancel it
    return kurv::WriteFileSafely(QFile::encodeName(name).toStdString(),
                                 std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

void TFormMain::itmReportClick() {
    if (!ReportAvailable()) return;

    const std::string settings = SettingsFilePath.toStdString();
    TFormReportRecord dialog(LanguageIndex, kurv::ReadReportRecord(settings), recalc_.pairs.rows.size(),
                             QDate::currentDate(), this);
    const int choice = dialogs_->Exec(&dialog);
    if (choice != TFormReportRecord::ToPreview && choice != TFormReportRecord::ToPdf) return;
    const kurv::ReportRecord record = dialog.Record();
    kurv::WriteReportRecord(settings, record);  // a file that cannot be written is left as it is
    const bool every = dialog.EveryRow();
    const kurv::Report report = ReportNow(record, every);

    ReportPainting how = ReportPaintingNow();
    std::unique_ptr<ReportProgress> progress;
    if (every && recalc_.pairs.rows.size() > kurv::kWholeTableRows) {
        progress = std::make_unique<ReportProgress>(this, LanguageIndex);
        how.progress = progress->Callback();
    }

    if (choice == TFormReportRecord::ToPreview) {
        // Nothing may cross the preview's own event loop: a failure closes
        // the preview and is reported once it has.
        bool outOfMemory = false;
        dialogs_->PrintPreview(this, [&](QPrinter* printer) {
            bool stop = false;
            try {
                stop = PaintReport(printer, report, how).cancelled;
            } catch (const std::bad_alloc&) {
                outOfMemory = stop = true;
            }
            if (stop)
                for (auto* preview : findChildren<QPrintPreviewDialog*>())
                    QMetaObject::invokeMethod(preview, &QDialog::reject, Qt::QueuedConnection);
        });
        if (outOfMemory) throw std::bad_alloc();
        return;
    }

    // Straight to a PDF file: named, painted once, then written safely; the
    // write failure box's Retry asks for a name again.
    // Proposed beside the last report, or else beside the data file.
    const QString beside =
        output_.lastReportPdf.isEmpty()
            ? QString::fromStdString(kurv::MatchDataFiles(datafile_.files, kurv::DataFingerprint(data_)).copy)
            : output_.lastReportPdf;
    QString initial = InitialPdfName(record[kurv::RecordField::ReportNumber], LanguageIndex);
    if (!beside.isEmpty()) initial = QFileInfo(beside).path() + QLatin1Char('/') + initial;
    const QStringList filters = {Pick("Документ PDF (*.pdf)", "PDF document (*.pdf)")};
    QByteArray bytes;
    for (;;) {
        int filter = 0;
        QString name = dialogs_->SaveFileNameFiltered(this, initial, filters, filter);
        if (name.isEmpty()) return;
        if (QFileInfo(name).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) != 0)
            name += QStringLiteral(".pdf");
        initial = output_.lastReportPdf = name;
        if (bytes.isEmpty() && !ReportPdf(report, how, bytes)) return;
        const auto r = kurv::WriteFileSafely(QFile::encodeName(name).toStdString(),
                                             std::string_view(bytes.constData(), std::size_t(bytes.size())));
        if (r == kurv::FileWriteResult::Written) return;
        if (FileFailureBox(Pick(kurv::kFileCannotWrite), Pick("Ошибка записи файла", "Error writing file")) !=
            MbRetry)
            return;
    }
}
