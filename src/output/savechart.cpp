// Saving the chart as a picture file.
#include "output/savechart.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <string_view>

#include "app/dialogs.h"
#include "app/formmain.h"
#include "core/datafile_format.h"
#include "core/file_io.h"
#include "output/chartview.h"

namespace {

constexpr ChartFormat kFilterFormats[] = {ChartFormat::Svg, ChartFormat::Png, ChartFormat::Pdf};
// The chart's pixels are taken at the screen's usual 96 per inch, so that a
// PDF page or a printed PNG has the size the chart has on screen.
constexpr double kScreenDpi = 96;

QByteArray PngBytes(TChart& chart) {
    const QSize size = chart.size();
    QImage image(size * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    image.setDotsPerMeterX(qRound(2 * kScreenDpi / 0.0254));
    image.setDotsPerMeterY(qRound(2 * kScreenDpi / 0.0254));
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        chart.RenderTo(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return buffer.data();
}

QByteArray PdfBytes(TChart& chart) {
    const QSizeF size = chart.size();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(int(kScreenDpi));
        pdf.setPageSize(QPageSize(size * (72 / kScreenDpi), QPageSize::Point, {}, QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p(&pdf);
        chart.RenderTo(&p, QRectF(QPointF(0, 0), size));
    }
    return buffer.data();
}

}  // namespace

std::optional<ChartFormat> ChartFormatOf(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (ChartFormat f : kFilterFormats)
        if (suffix == ExtensionOf(f)) return f;
    return std::nullopt;
}

QString ExtensionOf(ChartFormat format) {
    switch (format) {
        case ChartFormat::Svg:
            return QStringLiteral("svg");
        case ChartFormat::Png:
            return QStringLiteral("png");
        case ChartFormat::Pdf:
            break;
    }
    return QStringLiteral("pdf");
}

QByteArray ChartPicture(TChart& chart, ChartFormat format) {
    switch (format) {
        case ChartFormat::Svg:
            return chart.ToSvg();
        case ChartFormat::Png:
            return PngBytes(chart);
        case ChartFormat::Pdf:
            break;
    }
    return PdfBytes(chart);
}

kurv::FileWriteResult TFormMain::WriteChartFile(const QString& name, ChartFormat format) {
    const QByteArray bytes = ChartPicture(*output_.Chart1, format);
    return kurv::WriteFileSafely(QFile::encodeName(name).toStdString(),
                                 std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

void TFormMain::itmSaveChartClick() {
    if (!fitOnShow_) return;
    const QStringList filters = {Pick("Рисунок SVG (*.svg)", "SVG picture (*.svg)"),
                                 Pick("Рисунок PNG (*.png)", "PNG picture (*.png)"),
                                 Pick("Документ PDF (*.pdf)", "PDF document (*.pdf)")};
    for (;;) {
        int filter = 0;
        QString name = dialogs_->SaveFileNameFiltered(this, output_.lastChartName, filters, filter);
        if (name.isEmpty()) return;
        std::optional<ChartFormat> format = ChartFormatOf(name);
        if (!format) {
            format = kFilterFormats[qBound(0, filter, 2)];
            name += QLatin1Char('.') + ExtensionOf(*format);
        }
        output_.lastChartName = name;
        if (WriteChartFile(name, *format) == kurv::FileWriteResult::Written) return;
        if (FileFailureBox(Pick(kurv::kFileCannotWrite), Pick("Ошибка записи файла", "Error writing file")) !=
            MbRetry)
            return;
    }
}
