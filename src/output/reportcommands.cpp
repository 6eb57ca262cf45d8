// The File menu's two additions: the chart saved as a file and the
// calibration report in a print preview.
#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QMenu>
#include <QPrinter>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/report.h"
#include "output/chartview.h"
#include "output/report.h"

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

kurv::Report TFormMain::ReportNow() const {
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
    return kurv::BuildReport(in);
}

void TFormMain::itmReportClick() {
    if (!fitOnShow_) return;
    // A run cut short by an overflow has no fitted value for some rows: no
    // record is made of it.
    if (recalc_.fitted.size() != recalc_.pairs.rows.size()) return;
    const kurv::Report report = ReportNow();
    const QSizeF chartSize = output_.Chart1->size();
    const double aspect = chartSize.width() > 0 ? chartSize.height() / chartSize.width() : 0;
    dialogs_->PrintPreview(this, [&](QPrinter* printer) {
        PaintReport(printer, report, aspect,
                    [this](QPainter* p, const QRectF& r) { output_.Chart1->RenderTo(p, r); });
    });
}
