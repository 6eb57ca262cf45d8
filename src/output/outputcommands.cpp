// Copying and printing the results and the chart; the chart's clicks.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>

#include "app/controls.h"
#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/errors.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

namespace {

// The clipboard took our data only if it now holds it; otherwise the command
// ends with an error and shows no confirmation.
void CheckClipboardTook(const QMimeData* expected) {
    const QMimeData* now = QGuiApplication::clipboard()->mimeData();
    if (now != expected && (!now || now->formats() != expected->formats()))
        throw kurv::KurvError("Cannot open the clipboard.");
}

void PutOnClipboard(QMimeData* data) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) {
        delete data;
        throw kurv::KurvError("Cannot open the clipboard.");
    }
    cb->setMimeData(data);
    CheckClipboardTook(data);
}

}  // namespace

void TFormMain::CopyAnsiStringToClipboard(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    PutOnClipboard(data);
}

void TFormMain::btnCopyClick() {
    CopyAnsiStringToClipboard(fit_.PanelResult->text());
    MessageBox(nullptr,
               Pick("Строка формулы скопирована в буфер обмена Windows",
                    "A string formula copied to the Windows clipboard"),
               ApplicationTitle(), MbOk, MsgIcon::Information);
    table_.sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::btnGraphCopyClick() {
    // A scalable picture for the programs that take one, and a bitmap beside it.
    auto* data = new QMimeData;
    data->setData("image/svg+xml", output_.Chart1->ToSvg());
    data->setImageData(output_.Chart1->ToImage());
    PutOnClipboard(data);
    MessageBox(nullptr,
               Pick("График скопирован в буфер обмена Windows", "Chart copied to the Windows clipboard"),
               ApplicationTitle(), MbOk, MsgIcon::Information);
}

void TFormMain::btnPrintClick() {
    TChart* chart = output_.Chart1;
    QStringList title = chart->TitleLines();
    title << fit_.PanelResult->text();
    chart->SetTitleLines(title);
    chart->SetTitleVisible(true);
    // The title is for the page only: it goes however the preview ends.
    const auto hideTitle = qScopeGuard([chart] {
        chart->SetTitleVisible(false);
        chart->SetTitleLines({});
    });
    dialogs_->PrintPreview(this, [chart](QPrinter* printer) {
        QPainter painter(printer);
        const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
        // The chart keeps its proportions, centred on the page.
        QSizeF size = chart->size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        const QRectF target(QPointF((page.width() - size.width()) / 2, (page.height() - size.height()) / 2),
                            size);
        chart->RenderTo(&painter, target);
    });
    table_.sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::Chart1ClickSeries(int, int, Qt::MouseButton) {
    output_.Chart1->SetMarksVisible(TChart::kMeasured, !output_.Chart1->MarksVisible(TChart::kMeasured));
    output_.SeriesClicked = true;
}

void TFormMain::Chart1Click() {
    if (output_.SeriesClicked) {
        output_.SeriesClicked = false;
        return;
    }
    output_.Chart1->UndoZoom();
}
