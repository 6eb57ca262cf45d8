// The chart as a picture file: SVG and PDF as vectors at the chart's size,
// PNG at twice its pixels.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class TChart;

enum class ChartFormat { Svg, Png, Pdf };

// The format a file name's extension asks for (any case); nothing for others.
std::optional<ChartFormat> ChartFormatOf(const QString& fileName);
QString ExtensionOf(ChartFormat format);  // "svg", "png", "pdf"

// The chart as it is now (size, zoom, series, marks) in the format's bytes.
QByteArray ChartPicture(TChart& chart, ChartFormat format);
