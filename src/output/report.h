// The calibration report on paper: its texts come from the core, the chart is
// painted by the caller into the place the layout gives it.
#pragma once

#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>

#include "core/report.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

struct ReportPainting {
    double chartAspect = 0;  // the chart's height over its width; 0: no chart
    std::function<void(QPainter*, const QRectF&)> paintChart;
    // Told after each page painted how many are painted of how many; false stops the work.
    std::function<bool(int painted, int toPaint)> progress;
};

struct ReportPainted {
    int pages = 0;    // the report's pages (0: the device could not be painted on)
    int painted = 0;  // those painted: a page range asked for the others to be left out
    bool cancelled = false;
};

// Lays the report out on the device's pages (A4 or whatever the device is set
// to) and paints those the device's page range asks for (all when it asks for
// none): the record, the fit, the chart with its axis titles, the residual plot,
// the evaluation points, the residual table with its header on every page and
// the signatures, with the report's number and "Page i of N" at every foot.
ReportPainted PaintReport(QPagedPaintDevice* device, const kurv::Report& report, const ReportPainting& how);

// What the residual plot draws on: every pair's residual against its X,
// coloured as the chart colours the points; points that fall on the same
// spot of the paper in the same colour are drawn once, so the picture costs
// the same at a million pairs as at a thousand.
struct ResidualPlotLook {
    QFont labels;  // tick labels and axis titles, sized for `device`
    QPaintDevice* device = nullptr;
    double point = 1;  // device pixels per typographic point
};
void PaintResidualPlot(QPainter* p, const QRectF& rect, const kurv::Report& report,
                       const ResidualPlotLook& look);
