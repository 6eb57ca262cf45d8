// The chart widget: its series, axes, marks, pictures and mouse handling,
// driven offscreen with real mouse events on the viewport.
#include <QChart>
#include <QClipboard>
#include <QFile>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QValueAxis>
#include <QtTest>
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/errors.h"
#include "core/numbers.h"
#include "output/chartview.h"
#include "support/windowfixture.h"
#include "table/tableedit.h"

namespace {

const QColor kBluePoint(0, 0, 255);
const QColor kPurplePoint(128, 0, 128);
const QColor kRedPoint(255, 0, 0);

struct Ranges {
    double x0, x1, y0, y1;
};

Ranges RangesOf(const TChart& c) {
    return {c.AxisX()->min(), c.AxisX()->max(), c.AxisY()->min(), c.AxisY()->max()};
}

bool SameRanges(const Ranges& a, const Ranges& b) {
    return a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0 && a.y1 == b.y1;
}

// Is some pixel within `radius` of p exactly this colour?
bool ColourNear(const QImage& image, QPointF p, QColor colour, int radius = 1) {
    const QPoint c = p.toPoint();
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint q = c + QPoint(dx, dy);
            if (image.rect().contains(q) && QColor(image.pixel(q)).rgb() == colour.rgb()) return true;
        }
    return false;
}

// The texts of the X axis' labels (those below the plot area) as laid out now.
QStringList XLabels(TChart& c) {
    QStringList texts;
    const double bottom = c.chart()->plotArea().bottom();
    for (QGraphicsItem* item : c.scene()->items()) {
        auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(item);
        if (text && text->isVisible() && text->sceneBoundingRect().top() >= bottom - 1)
            texts << text->toPlainText();
    }
    return texts;
}

// How much of the curve's green covers each pixel column (0: none, 1: one full pixel).
std::vector<double> GreenPerColumn(const QImage& image, const QRect& area) {
    std::vector<double> cover;
    for (int x = area.left(); x <= area.right(); ++x) {
        double sum = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const QColor c(image.pixel(x, y));
            if (c.green() >= c.red() && c.blue() <= c.red() + 8) sum += (255 - c.red()) / 255.0;
        }
        cover.push_back(sum);
    }
    return cover;
}

}  // namespace

class ChartTest : public QObject, WindowFixture {
    Q_OBJECT

    // Three measured points off a straight curve, one evaluation point.
    std::unique_ptr<TChart> MakeChart() {
        auto c = std::make_unique<TChart>();
        c->resize(600, 400);
        c->SetPoints(1, {{1, 2, "1", kBluePoint}, {2, 8, "2", kPurplePoint}, {3, 1, "3", kRedPoint}});
        c->SetLine({QPointF(0, 0), QPointF(4, 4)});
        c->AddPoint(3, 3.5, 6, "3.5", kRedPoint);
        c->show();
        c->activateWindow();
        if (!QTest::qWaitForWindowActive(c.get())) return nullptr;
        QCoreApplication::processEvents();
        return c;
    }

    // Mouse events go in through the window as the platform delivers them:
    // that is where Qt adds its own context-menu request to a right press.
    static QWindow* Window(TChart& c) { return c.window()->windowHandle(); }
    static QPoint InWindow(TChart& c, QPoint p) { return c.viewport()->mapTo(c.window(), p); }
    static void Press(TChart& c, Qt::MouseButton button, QPoint p) {
        QTest::mousePress(Window(c), button, {}, InWindow(c, p));
    }
    static void Release(TChart& c, Qt::MouseButton button, QPoint p) {
        QTest::mouseRelease(Window(c), button, {}, InWindow(c, p));
        QCoreApplication::processEvents();
    }
    static void Click(TChart& c, Qt::MouseButton button, QPoint p) {
        Press(c, button, p);
        Release(c, button, p);
    }
    static void Drag(TChart& c, Qt::MouseButton button, QPoint from, QPoint to) {
        Press(c, button, from);
        for (int i = 1; i <= 4; ++i) QTest::mouseMove(Window(c), InWindow(c, from + (to - from) * i / 4));
        Release(c, button, to);
    }

  private slots:
    // Points are kept by ascending X with their own label and colour, whichever way they come in.
    void pointsKeptInOrder() {
        TChart c;
        c.AddPoint(1, 3, 30, "c", kRedPoint);
        c.AddPoint(1, 1, 10, "a", kBluePoint);
        c.AddPoint(1, 2, 20, "b1", kPurplePoint);
        c.AddPoint(1, 2, 21, "b2", QColor());
        QStringList labels;
        for (const ChartPoint& p : c.Points(1)) labels << p.label;
        QCOMPARE(labels, (QStringList{"a", "b1", "b2", "c"}));
        QCOMPARE(c.Points(1)[0].colour, kBluePoint);
        QCOMPARE(c.Points(1)[2].y, 21.0);

        c.SetPoints(5, {{9, 1, "z", kRedPoint}, {-1, 2, "y", kBluePoint}, {9, 3, "z2", kPurplePoint}});
        QCOMPARE(c.Points(5)[0].label, QStringLiteral("y"));
        QCOMPARE(c.Points(5)[1].label, QStringLiteral("z"));
        QCOMPARE(c.Points(5)[2].colour, kPurplePoint);
        QCOMPARE(c.XExtent(5), (std::optional<std::pair<double, double>>{{-1.0, 9.0}}));
        QCOMPARE(c.XExtent(1), (std::optional<std::pair<double, double>>{{1.0, 3.0}}));
        QVERIFY(!c.XExtent(2).has_value());

        c.Clear(5);
        QCOMPARE(c.Count(5), 0);
        QVERIFY(!c.XExtent(5).has_value());
        c.SetLine({QPointF(0, 0), QPointF(1, 1)});
        c.ClearAll();
        for (int s = 1; s <= 12; ++s) QCOMPARE(c.Count(s), 0);
        c.AddPoint(0, 1, 1);  // not a series: ignored
        c.AddPoint(13, 1, 1);
        QCOMPARE(c.Count(0), 0);
    }

    // The axes cover every point with a margin, also for awkward data, and the
    // chart paints in finite time.
    void autoRange_data() {
        QTest::addColumn<std::vector<ChartPoint>>("points");
        QTest::addColumn<bool>("allInside");
        auto pts = [](std::initializer_list<std::pair<double, double>> xy) {
            std::vector<ChartPoint> v;
            for (auto [x, y] : xy) v.push_back({x, y, {}, {}});
            return v;
        };
        QTest::newRow("ordinary") << pts({{1, 2.1}, {2, 3.9}, {3, 6.2}, {4, 7.8}}) << true;
        QTest::newRow("one point") << pts({{5, 5}}) << true;
        QTest::newRow("one point at zero") << pts({{0, 0}}) << true;
        QTest::newRow("same X") << pts({{2, 1}, {2, 5}, {2, 9}}) << true;
        QTest::newRow("tiny spread far from zero") << pts({{1e7, 1e7}, {1e7 + 1e-8, 1e7 + 2e-8}}) << true;
        QTest::newRow("large") << pts({{1e300, -1e300}, {2e300, 3e300}}) << true;
        QTest::newRow("tiny") << pts({{1e-300, 1e-300}, {3e-300, 2e-300}}) << true;
        QTest::newRow("whole double range")
            << pts({{-DBL_MAX, -DBL_MAX}, {DBL_MAX, DBL_MAX}, {0, 0}}) << false;
    }
    void autoRange() {
        QFETCH(std::vector<ChartPoint>, points);
        QFETCH(bool, allInside);
        TChart c;
        c.resize(289, 208);
        c.SetPoints(1, points);
        const Ranges r = RangesOf(c);
        QVERIFY(std::isfinite(r.x0) && std::isfinite(r.x1) && r.x0 < r.x1);
        QVERIFY(std::isfinite(r.y0) && std::isfinite(r.y1) && r.y0 < r.y1);
        if (allInside)
            for (const ChartPoint& p : points) {
                QVERIFY2(p.x > r.x0 && p.x < r.x1, qPrintable(QString::number(p.x)));
                QVERIFY2(p.y > r.y0 && p.y < r.y1, qPrintable(QString::number(p.y)));
            }
        const QImage image = c.ToImage();
        QCOMPARE(image.size(), QSize(289, 208));
        QVERIFY(!c.ToSvg().isEmpty());
    }

    void pointsPaintedInTheirColours() {
        auto c = MakeChart();
        QVERIFY(c);
        c->AddPoint(4, 0.5, 1, "0.5");  // no colour of its own: the designed lime fill
        QCoreApplication::processEvents();
        const QImage image = c->ToImage();
        QCOMPARE(image.size(), c->size());
        QVERIFY(ColourNear(image, c->MapToWidget(1, 2), kBluePoint));
        QVERIFY(ColourNear(image, c->MapToWidget(2, 8), kPurplePoint));
        QVERIFY(ColourNear(image, c->MapToWidget(3, 1), kRedPoint));
        QVERIFY(ColourNear(image, c->MapToWidget(3.5, 6), kRedPoint));
        QVERIFY(ColourNear(image, c->MapToWidget(0.5, 1), QColor(0, 255, 0)));
        QVERIFY(ColourNear(image, c->MapToWidget(2, 2), QColor(0, 128, 0)));
        // The curve stays inside the plot: nothing green above its end.
        QVERIFY(!ColourNear(image, c->MapToWidget(4, 4) + QPointF(0, -30), QColor(0, 128, 0), 3));
    }

    void marksUseTheFormatter() {
        auto c = MakeChart();
        QVERIFY(c);
        c->SetValueFormatter([](double v) { return QString::number(v, 'f', 1).replace('.', ','); });
        QCOMPARE(c->MarkText(1, 0), QStringLiteral("2,0"));
        QCOMPARE(c->MarkText(3, 0), QStringLiteral("3.5 6,0"));
        QCOMPARE(c->MarkText(1, 7), QString());
        QVERIFY(!c->ToSvg().contains(">8,0<"));
        c->SetMarksVisible(1, true);
        QVERIFY(c->MarksVisible(1));
        const QByteArray svg = c->ToSvg();
        QVERIFY(svg.contains(">8,0<"));
        QVERIFY(!svg.contains(">3.5 6,0<"));  // evaluation marks stay hidden
        c->SetMarksVisible(3, true);
        QVERIFY(c->ToSvg().contains(">3.5 6,0<"));
    }

    void leftDragZoomsAndUndoes() {
        auto c = MakeChart();
        QVERIFY(c);
        const Ranges home = RangesOf(*c);
        QSignalSpy clicks(c.get(), &TChart::clicked);
        const QPoint from = c->MapToWidget(0.5, 7).toPoint(), to = c->MapToWidget(2.5, 1).toPoint();
        Drag(*c, Qt::LeftButton, from, to);
        QVERIFY(c->IsZoomed());
        QCOMPARE(clicks.count(), 0);
        const Ranges z = RangesOf(*c);
        const double px = (home.x1 - home.x0) / 500;  // about a pixel
        QVERIFY(std::fabs(z.x0 - 0.5) < 3 * px && std::fabs(z.x1 - 2.5) < 3 * px);
        QVERIFY(std::fabs(z.y0 - 1) < 0.1 && std::fabs(z.y1 - 7) < 0.1);
        // A refill while zoomed keeps the view.
        c->SetLine({QPointF(0, 0), QPointF(4, 4)});
        QVERIFY(SameRanges(RangesOf(*c), z));

        Click(*c, Qt::LeftButton, c->MapToWidget(1.5, 5).toPoint());
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        // Clicks leave the keyboard focus where it was (with the table, in the window).
        QVERIFY(QApplication::focusWidget() != c.get() && QApplication::focusWidget() != c->viewport());
        QVERIFY(SameRanges(RangesOf(*c), z));  // undoing is the window's decision
        c->UndoZoom();
        QVERIFY(!c->IsZoomed());
        QVERIFY(SameRanges(RangesOf(*c), home));
    }

    void rightDragScrolls() {
        auto c = MakeChart();
        QVERIFY(c);
        QMenu menu;
        menu.addAction("item");
        c->SetPopupMenu(&menu);
        const Ranges home = RangesOf(*c);
        const QPoint from = c->MapToWidget(1.5, 5).toPoint();
        const double unitsPerPixel = (home.x1 - home.x0) / c->chart()->plotArea().width();
        Drag(*c, Qt::RightButton, from, from + QPoint(60, 0));
        QVERIFY(!menu.isVisible());
        QVERIFY(c->IsZoomed());
        const Ranges r = RangesOf(*c);
        QVERIFY(std::fabs((home.x0 - r.x0) - 60 * unitsPerPixel) < 1e-9 * (home.x1 - home.x0) + 1e-12);
        QCOMPARE(r.y0, home.y0);
    }

    void rightClickOpensMenuWithoutZoom() {
        auto c = MakeChart();
        QVERIFY(c);
        QMenu menu;
        menu.addAction("item");
        c->SetPopupMenu(&menu);
        Drag(*c, Qt::LeftButton, c->MapToWidget(0.5, 7).toPoint(), c->MapToWidget(2.5, 1).toPoint());
        const Ranges zoomed = RangesOf(*c);
        QSignalSpy clicks(c.get(), &TChart::clicked);
        const QPoint at = c->MapToWidget(1.5, 5).toPoint();
        Press(*c, Qt::RightButton, at);
        QCoreApplication::processEvents();
        QVERIFY(!menu.isVisible());  // not on the press: it may become a scroll
        Release(*c, Qt::RightButton, at);
        QTRY_VERIFY(menu.isVisible());
        menu.close();
        QVERIFY(SameRanges(RangesOf(*c), zoomed));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks[0][0].value<Qt::MouseButton>(), Qt::RightButton);

        // The custom policy gets its request once, from the release.
        c->setContextMenuPolicy(Qt::CustomContextMenu);
        QSignalSpy requests(c.get(), &QWidget::customContextMenuRequested);
        Click(*c, Qt::RightButton, at);
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests[0][0].toPoint(), at);
        QVERIFY(SameRanges(RangesOf(*c), zoomed));
    }

    // A press on any series reports the series and point, then the click;
    // dragging from there neither zooms nor scrolls.
    void pressOnSeries_data() {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("index");
        QTest::newRow("measured point") << QPointF(2, 8) << Qt::LeftButton << 1 << 1;
        QTest::newRow("measured point, right") << QPointF(3, 1) << Qt::RightButton << 1 << 2;
        QTest::newRow("curve") << QPointF(3.8, 3.8) << Qt::LeftButton << 2 << 1;
        QTest::newRow("evaluation point") << QPointF(3.5, 6) << Qt::LeftButton << 3 << 0;
        QTest::newRow("nothing") << QPointF(0.5, 7) << Qt::LeftButton << 0 << -1;
    }
    void pressOnSeries() {
        QFETCH(QPointF, at);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, series);
        QFETCH(int, index);
        auto c = MakeChart();
        QVERIFY(c);
        QMenu menu;
        menu.addAction("item");
        c->SetPopupMenu(&menu);
        QStringList log;
        connect(c.get(), &TChart::seriesClicked, this,
                [&](int s, int i, Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
                    log << QString("series %1 %2").arg(s).arg(i);
                });
        connect(c.get(), &TChart::clicked, this,
                [&](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) { log << "click"; });
        const QPoint p = c->MapToWidget(at.x(), at.y()).toPoint();
        Click(*c, button, p);
        menu.close();
        const QStringList expected =
            series ? QStringList{QString("series %1 %2").arg(series).arg(index), "click"}
                   : QStringList{"click"};
        QCOMPARE(log, expected);

        if (!series) return;
        const Ranges before = RangesOf(*c);
        Drag(*c, button, p, p + QPoint(80, 60));
        menu.close();
        QVERIFY(SameRanges(RangesOf(*c), before));
        QVERIFY(!c->IsZoomed());
    }

    void svgHoldsPointsAndTitle() {
        auto c = MakeChart();
        QVERIFY(c);
        QByteArray svg = c->ToSvg();
        QVERIFY(QSvgRenderer(svg).isValid());
        QVERIFY(svg.contains("fill=\"#0000ff\""));
        QVERIFY(svg.contains("fill=\"#800080\""));
        QVERIFY(svg.contains("stroke=\"#008000\""));
        QVERIFY(!svg.contains("Y = "));

        // A formula too wide for the chart is broken into lines, never cut short.
        const QString formula = "Y = 1.0714286 * X^3 -1.8571429e-1 * X^2  +1.0428571e-1 * X  +1.0428571e+1";
        c->resize(289, 208);
        c->SetTitleLines({QString(), formula});
        c->SetTitleVisible(true);
        svg = c->ToSvg();
        QVERIFY(svg.contains(">Y = 1.0714286 * X^3"));
        QVERIFY(svg.contains("+1.0428571e+1<"));
        QVERIFY(!svg.contains("..."));
        c->SetTitleVisible(false);
        QVERIFY(!c->ToSvg().contains("Y = "));
        QCOMPARE(c->TitleLines(), (QStringList{QString(), formula}));
    }

    // A zoomed view cuts the points and the curve at the plot's frame in every
    // picture: the SVG is drawn back and nothing in a series' colour shows
    // outside the frame (Qt's SVG writer drops a clip rectangle).
    void zoomedPicturesKeepSeriesInTheFrame() {
        auto c = MakeChart();
        QVERIFY(c);
        // Points and curve cross every side of the view.
        Drag(*c, Qt::LeftButton, c->MapToWidget(1.02, 7.95).toPoint(), c->MapToWidget(2.98, 2.05).toPoint());
        QVERIFY(c->IsZoomed());
        const QRectF frame = c->chart()->plotArea().adjusted(-1, -1, 1, 1);
        auto coloursOutside = [&frame](const QImage& image) {
            int found = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c(image.pixel(x, y));
                    const int spread =
                        std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
                    if (spread > 40 && !frame.intersects(QRectF(x, y, 1, 1))) ++found;
                }
            return found;
        };
        const QImage bitmap = c->ToImage();
        QCOMPARE(coloursOutside(bitmap), 0);
        QVERIFY(
            ColourNear(bitmap, c->MapToWidget(2.5, 2.5), QColor(0, 128, 0), 2));  // the check sees the curve

        QSvgRenderer svg(c->ToSvg());
        QVERIFY(svg.isValid());
        QImage drawn(c->size(), QImage::Format_RGB32);
        drawn.fill(Qt::white);
        QPainter p(&drawn);
        svg.render(&p, QRectF(drawn.rect()));
        p.end();
        QCOMPARE(coloursOutside(drawn), 0);
        QVERIFY(ColourNear(drawn, c->MapToWidget(2.5, 2.5), QColor(0, 128, 0), 2));
    }

    // One point, 100,000 points and a view zoomed in as far as it goes all
    // render, and the curve is still drawn where it crosses the view.
    void extremeViews() {
        auto c = MakeChart();
        QVERIFY(c);
        c->ClearAll();
        c->AddPoint(1, 1, 1, "1", kRedPoint);
        QVERIFY(!c->ToImage().isNull());

        std::vector<ChartPoint> many;
        for (int i = 0; i < 100000; ++i)
            many.push_back({i * 1e-3, std::sin(i * 1e-3), {}, i % 3 ? kRedPoint : kBluePoint});
        c->SetPoints(1, std::move(many));
        c->SetMarksVisible(1, true);
        QVERIFY(!c->ToImage().isNull());
        QVERIFY(!c->ToSvg().isEmpty());
        c->SetMarksVisible(1, false);

        c->ClearAll();
        c->SetLine({QPointF(0, 0), QPointF(4, 4)});
        QCoreApplication::processEvents();
        for (int i = 0; i < 30; ++i) {
            const QPoint centre = c->MapToWidget(2, 2).toPoint();
            Drag(*c, Qt::LeftButton, centre - QPoint(6, 6), centre + QPoint(6, 6));
        }
        const Ranges r = RangesOf(*c);
        QVERIFY(r.x1 > r.x0 && r.y1 > r.y0);
        QVERIFY(r.x1 - r.x0 < 1e-9);
        const QImage image = c->ToImage();
        QVERIFY(ColourNear(image, c->MapToWidget(2, 2), QColor(0, 128, 0), 2));
        QVERIFY(!c->ToSvg().isEmpty());
        c->UndoZoom();
        QVERIFY(c->AxisX()->max() - c->AxisX()->min() > 1);
    }

    // New data far from the old re-plan the ticks against the plot area they
    // get: whole labels at any size, in the view and in the picture.
    void axisLabelsWhole_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("designed") << QSize(289, 208);
        QTest::newRow("narrow") << QSize(200, 150);
        QTest::newRow("wide") << QSize(1200, 700);
    }
    void axisLabelsWhole() {
        QFETCH(QSize, size);
        auto c = MakeChart();
        QVERIFY(c);
        c->resize(size);
        QCoreApplication::processEvents();
        c->ClearAll();
        std::vector<ChartPoint> far;
        for (int i = 0; i <= 30; ++i) far.push_back({1e7 + i * 100.0, 5e6 + i * 37.5, {}, kBluePoint});
        c->SetPoints(1, far);
        c->SetLine({QPointF(1e7, 5e6), QPointF(1e7 + 3000, 5e6 + 1125)});
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QStringList labels = XLabels(*c);
        QVERIFY2(!labels.isEmpty(), "no X labels");
        for (const QString& text : labels) {
            bool ok = false;
            const double v = text.toDouble(&ok);
            QVERIFY2(ok && v >= 1e7 - 200 && v <= 1e7 + 3200, qPrintable(labels.join('|')));
        }
        const QByteArray svg = c->ToSvg();
        QVERIFY(!svg.contains("..."));
        for (const QString& text : XLabels(*c))
            QVERIFY2(svg.contains(">" + text.toUtf8() + "<"), qPrintable(text));
    }

    // The curve is one smooth line at least 1.5 pixels wide without gaps, in
    // the bitmap and in the scalable picture.
    void curveContinuousAndWide() {
        TChart c;
        c.resize(600, 400);
        c.SetLine({QPointF(0, 0), QPointF(100, 3), QPointF(200, 5)});  // nearly flat
        c.AddPoint(3, 0, 200, "top");                                  // room above and below the line
        c.AddPoint(4, 0, -200, "bottom");
        const QImage image = c.ToImage();
        const QPoint a = c.MapToWidget(0, 0).toPoint(), b = c.MapToWidget(200, 5).toPoint();
        const std::vector<double> cover =
            GreenPerColumn(image, QRect(QPoint(a.x() + 3, a.y() - 40), QPoint(b.x() - 3, a.y() + 40)));
        for (size_t i = 0; i < cover.size(); ++i)
            QVERIFY2(cover[i] >= 1.4 && cover[i] <= 2.5,
                     qPrintable(QString("column %1: %2").arg(i).arg(cover[i])));
        // In the SVG: one group in the curve's colour holding one polyline.
        const QByteArray svg = c.ToSvg();
        QCOMPARE(svg.count("stroke=\"#008000\""), 1);
        const qsizetype at = svg.indexOf("stroke=\"#008000\"");
        const QByteArray group = svg.mid(at, svg.indexOf("<g ", at) - at);
        QCOMPARE(group.count("<polyline"), 1);
        QCOMPARE(group.count("<path"), 0);
        const qsizetype widthAt = group.indexOf("stroke-width=\"");
        QVERIFY(widthAt > 0);
        QVERIFY(group.mid(widthAt + 14, 8).split('"').front().toDouble() >= 1.5);
    }

    // Points come in table order; the order by X is made again only when the
    // X change, and Y and colours always follow their own X.
    void refillKeepsOrderRight() {
        TChart c;
        auto fill = [&](std::initializer_list<double> xs, double yShift) {
            TChart::Fill f = c.Refill(1, {kBluePoint, kRedPoint});
            for (double x : xs) f.Add(x, x * 10 + yShift, x > 2 ? 1 : 0);
        };
        auto check = [&](QList<double> xs, double yShift) {
            const std::vector<ChartPoint> pts = c.Points(1);
            QCOMPARE(int(pts.size()), xs.size());
            for (int i = 0; i < xs.size(); ++i) {
                QCOMPARE(pts[size_t(i)].x, xs[i]);
                QCOMPARE(pts[size_t(i)].y, xs[i] * 10 + yShift);
                QCOMPARE(pts[size_t(i)].colour, xs[i] > 2 ? kRedPoint : kBluePoint);
            }
        };
        fill({3, 1, 2, 0.5}, 0);
        check({0.5, 1, 2, 3}, 0);
        fill({3, 1, 2, 0.5}, 1);  // same X, new Y
        check({0.5, 1, 2, 3}, 1);
        fill({3, 1, 4, 0.5}, 0);  // one X changed
        check({0.5, 1, 3, 4}, 0);
        c.ClearAll();
        fill({3, 1, 4, 0.5, NAN}, 0);  // after a clear, the same X again; NaN last
        QCOMPARE(c.Count(1), 5);
        QCOMPARE(c.Points(1)[2].x, 3.0);
        QVERIFY(std::isnan(c.Points(1)[4].x));
        // A point's label is made when asked for: its X through the formatter.
        c.SetValueFormatter([](double v) { return QString::number(v, 'f', 2); });
        QCOMPARE(c.Points(1)[0].label, QStringLiteral("0.50"));
    }

    // The arithmetic without a window: tick plans never give a label less room
    // than it needs, and clipping keeps what lies inside.
    void ticksLeaveLabelsRoom_data() {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::newRow("near 1e7") << 9999900.0 << 10003100.0;
        QTest::newRow("small") << -0.003 << 0.0071;
        QTest::newRow("huge") << -3e200 << 7e200;
        QTest::newRow("tiny span") << 1.0 << 1.0 + 1e-11;
    }
    void ticksLeaveLabelsRoom() {
        QFETCH(double, lo);
        QFETCH(double, hi);
        const auto width = [](double v, const chart::TickPlan& p) {
            return 6.0 * QString::number(v, p.form, p.precision).size();
        };
        for (double pixels : {30.0, 80.0, 150.0, 289.0, 700.0, 2000.0}) {
            const chart::TickPlan t = chart::PlanTicks(lo, hi, pixels, 70, width, 20);
            QVERIFY(t.step > 0);
            double widest = 0;
            for (double v = t.anchor + std::ceil((lo - t.anchor) / t.step) * t.step; v <= hi; v += t.step)
                widest = std::max(widest, width(v, t));
            QVERIFY2(t.count * (widest + 20) <= pixels,
                     qPrintable(QString("%1 px: %2 ticks of %3").arg(pixels).arg(t.count).arg(widest)));
        }
    }

    void clipAndWalk() {
        QPointF a(-10, 5), b(110, 5);
        QVERIFY(chart::ClipSegment(QRectF(0, 0, 100, 10), a, b));
        QCOMPARE(a, QPointF(0, 5));
        QCOMPARE(b, QPointF(100, 5));
        QPointF c(-10, -5), d(-1, 20);
        QVERIFY(!chart::ClipSegment(QRectF(0, 0, 100, 10), c, d));
        // A point off the map breaks the line: two pieces, none across the gap.
        const QPointF pts[] = {{1, 1}, {2, 2}, {NAN, 3}, {4, 4}, {5, 5}};
        QList<size_t> ends;
        chart::WalkVisibleSegments(
            5, QRectF(0, 0, 10, 10), [&](size_t i) { return pts[i]; },
            [&](const chart::VisibleSegment& s) { ends << s.index; });
        QCOMPARE(ends, (QList<size_t>{1, 4}));
    }

    // In the window: X near 1e7 pasted over small data, and the copied
    // picture; a print preview that fails leaves no title on the chart.
    void windowChartAfterNewData() {
        NewSettingsFolder(Settings());
        Open();
        auto* chart = W<TChart>("Chart1");
        auto fill = [&](double x0, double dx) {
            TFormMain::TableEdit edit(*form_);
            T().SetRowCount(42);
            for (int r = 1; r <= 40; ++r) {
                const double x = x0 + ((r * 17) % 40) * dx;  // not in X order
                T().SetCell(1, r, kurv::GeneralNumberText(x, '.'));
                T().SetCell(0, r, kurv::GeneralNumberText(2 * x + (r % 3), '.'));
            }
            edit.Done();
            for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();  // until laid out
        };
        fill(1, 0.1);
        fill(1e7, 75);
        QCOMPARE(chart->Count(1), 40);
        const QStringList labels = XLabels(*chart);
        QVERIFY(!labels.isEmpty());
        for (const QString& text : labels)
            QVERIFY2(!text.contains("...") && text.size() >= 8, qPrintable(text));
        form_->btnGraphCopyClick();
        const QByteArray svg = QGuiApplication::clipboard()->mimeData()->data("image/svg+xml");
        QVERIFY(!svg.isEmpty());
        QVERIFY(!svg.contains("..."));
        for (const QString& text : labels)
            QVERIFY2(svg.contains(">" + text.toUtf8() + "<"), qPrintable(labels.join('|')));

        dialogs_->onPrintPreview = [](QPrinter*) { throw kurv::KurvError("no printer"); };
        QVERIFY_THROWS_EXCEPTION(kurv::KurvError, form_->btnPrintClick());
        QVERIFY(!chart->TitleVisible());
        QVERIFY(chart->chart()->title().isEmpty());
    }
};

QTEST_MAIN(ChartTest)
#include "window_chart.moc"
