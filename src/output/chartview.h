// The chart of the main window: fourteen series over two value axes, drawn by
// one graphics item of our own on top of a QChart that supplies the frame,
// axes, grid and title. Qt's own series make one graphics item per point,
// which does not survive 100,000 measured points; here every series is a
// set of plain arrays painted in one pass through the plot-area mapping.
//
// Series are numbered 1..14 (TChart::kMeasured, kCurve, EvaluationPoint(k),
// kBandUpper, kBandLower).
#pragma once

#include <QChartView>
#include <QColor>
#include <QImage>
#include <QList>
#include <QMenu>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "output/chartgeometry.h"
#include "output/chartseries.h"

class QRubberBand;
class QValueAxis;

// The measured points' colours by the class of their residual: near, middle, far.
inline const std::array<QColor, 3> kResidualColours{QColor(0, 0, 255), QColor(128, 0, 128),
                                                    QColor(255, 0, 0)};

// One point as the chart hands it out (and as callers may hand it in).
struct ChartPoint {
    double x = 0;
    double y = 0;
    QString label;  // out: its own label, or its X in the value marks' number form
    QColor colour;  // invalid: the series' own colour
};

// How a series is drawn; fixed per series at construction.
struct SeriesLook {
    // A band's two edges fill the space between them, under the other series;
    // they take no clicks and show no marks.
    enum class Kind { Points, FastLine, BandEdge };
    enum class Pointer { None, Rectangle, Triangle };
    enum class MarkStyle { Value, LabelValue };

    Kind kind = Kind::Points;
    QColor colour;  // the series' own colour (outline of triangles, the line)
    Pointer pointer = Pointer::None;
    int pointerSize = 0;  // half width and half height in pixels ("2 x 2")
    bool pointerOutline = false;
    QColor pointerFill;  // fill of points without a colour of their own
    MarkStyle markStyle = MarkStyle::Value;
    bool markTransparent = true;
    bool markFrame = false;
    bool arrowVisible = false;
    int arrowLength = 0;
    QColor arrowColour;
};

class TChart : public QChartView {
    Q_OBJECT
  public:
    static constexpr int kSeriesCount = 14;
    static constexpr int kMeasured = 1;  // the measured points, coloured by their residuals
    static constexpr int kCurve = 2;     // the fitted curve
    // Evaluation point k (1..10), one point each.
    static constexpr int EvaluationPoint(int k) { return kCurve + k; }
    // The edges of the curve's uncertainty band.
    static constexpr int kBandUpper = 13;
    static constexpr int kBandLower = 14;

    explicit TChart(QWidget* parent = nullptr);
    ~TChart() override;

    // Series contents. Every series shows its points ordered by ascending X
    // (equal X keep the order they came in). Out-of-range series numbers are ignored.
    void Clear(int series);
    void ClearAll();  // series 1..14 in this order
    void AddPoint(int series, double x, double y, const QString& label = {}, QColor colour = {});
    void SetPoints(int series, const std::vector<ChartPoint>& points);  // replaces the series
    void SetLine(const QList<QPointF>& points);                         // replaces the curve
    int Count(int series) const;
    std::vector<ChartPoint> Points(int series) const;  // a copy, by ascending X

    // Refills a series in place from plain values, keeping its memory: the
    // colour of a point is palette[colourClass] (an invalid colour: the
    // series' own). The chart takes the points over when the Fill goes.
    class Fill {
      public:
        void Add(double x, double y, std::uint8_t colourClass = 0) { data_.Add(x, y, colourClass); }
        ~Fill();
        Fill(const Fill&) = delete;
        Fill& operator=(const Fill&) = delete;

      private:
        friend class TChart;
        Fill(TChart& chart, int series, ChartSeries& data) : chart_(chart), series_(series), data_(data) {}
        TChart& chart_;
        int series_;
        ChartSeries& data_;
    };
    Fill Refill(int series, std::vector<QColor> palette, std::size_t expected = 0);
    // Smallest and largest X of the series' finite points; nothing when it has none.
    std::optional<std::pair<double, double>> XExtent(int series) const;

    // Value marks. The number text comes from the formatter (the program's own
    // number form); until one is set, up to 15 significant digits with ".".
    void SetMarksVisible(int series, bool visible);
    bool MarksVisible(int series) const;
    void SetValueFormatter(std::function<QString(double)> formatter);
    QString MarkText(int series, int index) const;
    const SeriesLook& Look(int series) const;

    // Zoom and scroll. The axes follow the data of all series (with a small
    // margin) until the user zooms or scrolls; UndoZoom returns to that.
    void UndoZoom();
    bool IsZoomed() const { return zoomed_; }
    QValueAxis* AxisX() const;
    QValueAxis* AxisY() const;
    // Where a value lies in widget coordinates (with the current axes and plot area).
    QPointF MapToWidget(double x, double y) const;

    // The title: hidden at start, its text one empty line.
    void SetTitleLines(const QStringList& lines);
    QStringList TitleLines() const { return titleLines_; }
    void SetTitleVisible(bool visible);
    bool TitleVisible() const { return titleVisible_; }

    // The pop-up menu opened by a right click without drag (with the default
    // context-menu policy; CustomContextMenu emits customContextMenuRequested instead).
    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const { return popup_; }

    // The chart as on screen (size, zoom, series, marks, title) into target,
    // scaled with its aspect kept and centred. Used for pictures and printing.
    void RenderTo(QPainter* painter, const QRectF& target);
    QByteArray ToSvg();
    QImage ToImage();

  signals:
    // A mouse press on a point of a series (or on the curve); it starts neither zoom nor scroll.
    void seriesClicked(int series, int valueIndex, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                       QPoint pos);
    // A click: press and release without a zoom or scroll drag, any button, after
    // the seriesClicked of the same press. The release after a press on a series
    // is always a click.
    void clicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    class Layer;
    // The squares of a points series as last painted, one list per colour,
    // kept while neither the points nor the mapping change.
    struct PointSquares {
        bool valid = false;
        std::uint64_t revision = 0;
        QRectF plot;
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        std::vector<std::pair<QRgb, std::vector<QRect>>> byColour;
    };
    struct Series {
        ChartSeries data;
        bool marksVisible = false;
        // Mark texts by position, each made when first painted, while marks are shown.
        mutable std::vector<QString> markCache;
        mutable std::vector<std::uint8_t> markMade;
        mutable PointSquares squares;
    };
    struct Range {
        double lo = 0, hi = 1;
    };
    using Mapping = chart::Mapping;
    struct Hit {
        int series = 0;
        int index = -1;
    };
    enum class Drag { None, Zoom, Pan, SeriesPress, Other };

    Series* Data(int series);
    const Series* Data(int series) const;
    void Changed(Series& s, bool extentChanged);
    QString LabelOf(const ChartSeries& s, std::size_t k) const;
    void UpdateHome();
    void FlushRanges() const;
    void ApplyRanges(Range x, Range y) const;
    void UpdateAllTicks() const;
    void UpdateTicks(QValueAxis* axis, double pixels) const;
    void ApplyTitle();
    void SyncGeometry();
    Mapping CurrentMapping(bool flush = true) const;
    void Paint(QPainter* painter) const;
    void PaintCurve(QPainter* painter, const Mapping& m, const ChartSeries& s, const SeriesLook& look) const;
    void PaintBand(QPainter* painter, const Mapping& m) const;
    void PaintRectangles(QPainter* painter, const Mapping& m, const Series& series,
                         const SeriesLook& look) const;
    void PaintMarks(QPainter* painter, const Mapping& m) const;
    std::optional<Hit> HitTest(QPointF scenePos) const;
    void ZoomToRect(QRectF sceneRect);
    void PanBy(QPointF sceneDelta);
    void OpenContextMenu(QPoint viewportPos, QPoint globalPos, Qt::KeyboardModifiers modifiers);
    void Press(QMouseEvent* event);

    std::array<Series, kSeriesCount> series_;
    Series scratch_;  // what a Fill of a series that does not exist writes to
    std::array<SeriesLook, kSeriesCount> look_;
    std::function<QString(double)> formatter_;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    Layer* layer_ = nullptr;
    Range homeX_, homeY_;
    bool zoomed_ = false;
    // Data changes only note that the axes must follow; they do so once, before
    // the next paint, mapping or axis query, so adding points one by one stays cheap.
    mutable bool rangesDirty_ = false;
    bool flushPosted_ = false;
    // The ticks follow each new plot area; a plan that changes the area again
    // is followed a few times, never forever.
    mutable int tickReplans_ = 0;
    QStringList titleLines_;
    bool titleVisible_ = false;
    QPointer<QMenu> popup_;
    bool ownMenuEvent_ = false;

    Drag drag_ = Drag::None;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint pressPos_;
    QPointF lastPos_;
    bool moved_ = false;
    QRubberBand* band_ = nullptr;
};
