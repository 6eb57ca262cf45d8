// The calibration report on paper: its texts come from the core, the chart is
// painted by the caller into the place the layout gives it.
#pragma once

#include <QRectF>
#include <functional>

#include "core/report.h"

class QPagedPaintDevice;
class QPainter;

// Lays the report out on the device's pages (A4 or whatever the device is set
// to) and paints them: the texts, the chart (height over width `chartAspect`),
// the table with its header on every page, and page numbers. Returns the pages.
int PaintReport(QPagedPaintDevice* device, const kurv::Report& report, double chartAspect,
                const std::function<void(QPainter*, const QRectF&)>& paintChart);
