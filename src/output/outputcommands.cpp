// Copying and printing the results and the chart; the chart's clicks.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
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
    CopyAnsiStringToClipboard(PanelResult->text());
    MessageBox(nullptr,
               Pick("Строка формулы скопирована в буфер обмена Windows",
                    "A string formula copied to the Windows clipboard"),
               appTitle_, MbOk, MsgIcon::Information);
    sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::itmCoefCopyClick() {
    const int count = ComboBox1->currentIndex() + 2;  // Linear 2, Quadratic 3, Cubic 4
    QStringList parts;
    for (int i = 0; i < count && i < 4; ++i) parts << QString::fromStdString(CoefficientTexts[i]);
    CopyAnsiStringToClipboard(parts.join(QLatin1Char('\n')));
}

void TFormMain::itmCopyYClick(int k) {
    if (k >= 1 && k <= 10) CopyAnsiStringToClipboard(evalRows_[k - 1].panel->text());
}

void TFormMain::btnGraphCopyClick() {
    // A scalable picture for the programs that take one, and a bitmap beside it.
    auto* data = new QMimeData;
    data->setData("image/svg+xml", Chart1->ToSvg());
    data->setImageData(Chart1->ToImage());
    PutOnClipboard(data);
    MessageBox(nullptr,
               Pick("График скопирован в буфер обмена Windows", "Chart copied to the Windows clipboard"),
               appTitle_, MbOk, MsgIcon::Information);
}

void TFormMain::btnPrintClick() {
    QStringList title = Chart1->TitleLines();
    title << PanelResult->text();
    Chart1->SetTitleLines(title);
    Chart1->SetTitleVisible(true);
    // The title is for the page only: it goes however the preview ends.
    const auto hideTitle = qScopeGuard([this] {
        Chart1->SetTitleVisible(false);
        Chart1->SetTitleLines({});
    });
    dialogs_->PrintPreview(this, [this](QPrinter* printer) {
        QPainter painter(printer);
        const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
        // The chart keeps its proportions, centred on the page.
        QSizeF size = Chart1->size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        const QRectF target(QPointF((page.width() - size.width()) / 2, (page.height() - size.height()) / 2),
                            size);
        Chart1->RenderTo(&painter, target);
    });
    sgData->setFocus(Qt::OtherFocusReason);
}

void TFormMain::Chart1ClickSeries(int, int, Qt::MouseButton) {
    Chart1->SetMarksVisible(1, !Chart1->MarksVisible(1));
    SeriesClicked = true;
}

void TFormMain::Chart1Click() {
    if (SeriesClicked) {
        SeriesClicked = false;
        return;
    }
    Chart1->UndoZoom();
}
