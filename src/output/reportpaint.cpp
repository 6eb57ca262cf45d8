// Painting the calibration report page by page. The table is painted row by
// row with plain text calls: a long table (10,000 rows and more) lays out in
// a fraction of the time a rich-text table needs.
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

#include "output/chartview.h"
#include "output/report.h"

namespace {

// The colours of the measured points on the chart, by residual class.
const QColor kRule(160, 160, 160);
const QColor kHeaderBack(230, 230, 230);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Lengths are given in points and painted in device pixels.
class Page {
  public:
    Page(QPagedPaintDevice* device, QPainter* painter)
        : device_(device), p_(painter), k_(device->logicalDpiY() / 72.0) {
        const QRectF paint = device->pageLayout().paintRectPixels(device->logicalDpiX());
        area_ = QRectF(0, 0, paint.width(), paint.height());
    }
    double Pt(double points) const { return points * k_; }
    QRectF Area() const { return area_; }
    QFont Font(double points, bool bold = false) const {
        QFont f;
        f.setFamilies({"Liberation Sans", "DejaVu Sans", "Arial"});
        f.setPixelSize(std::max(1, qRound(Pt(points))));
        f.setBold(bold);
        return f;
    }
    QPainter* P() const { return p_; }
    void NewPage() { device_->newPage(); }

  private:
    QPagedPaintDevice* device_;
    QPainter* p_;
    double k_;
    QRectF area_;
};

// A text cell: left or right aligned on the baseline, cut with an ellipsis
// when wider than the cell.
void Cell(QPainter* p, const QFontMetricsF& fm, const QString& text, double left, double width,
          double baseline, bool right) {
    double w = fm.horizontalAdvance(text);
    QString shown = text;
    if (w > width) {
        shown = fm.elidedText(text, Qt::ElideRight, width);
        w = fm.horizontalAdvance(shown);
    }
    p->drawText(QPointF(right ? left + width - w : left, baseline), shown);
}

struct TableGeometry {
    std::array<double, 5> left{}, width{};
    double rowHeight = 0, headerHeight = 0, pad = 0;
};

}  // namespace

int PaintReport(QPagedPaintDevice* device, const kurv::Report& report, double chartAspect,
                const std::function<void(QPainter*, const QRectF&)>& paintChart) {
    QPainter painter(device);
    if (!painter.isActive()) return 0;
    Page page(device, &painter);
    QPainter* p = &painter;
    const QRectF area = page.Area();

    const QFont titleFont = page.Font(14, true), headingFont = page.Font(11), body = page.Font(9),
                bold = page.Font(9, true), small = page.Font(8), tableFont = page.Font(8),
                tableBold = page.Font(8, true);
    const QFontMetricsF bodyFm(body), smallFm(small), tableFm(tableFont), tableBoldFm(tableBold),
        titleFm(titleFont), headingFm(headingFont);

    // The footer: the title at the left, the page number at the right.
    const double footerHeight = smallFm.height() + page.Pt(6);
    const double bottom = area.bottom() - footerHeight;

    // The table's columns: the row number narrow, the four numbers alike.
    TableGeometry t;
    t.pad = page.Pt(3);
    t.rowHeight = tableFm.height() * 1.3;
    t.headerHeight = tableBoldFm.height() * 1.6;
    {
        const double numberWidth = std::max(tableBoldFm.horizontalAdvance(QStringLiteral("000000")),
                                            tableBoldFm.horizontalAdvance(Q(report.columns[0]))) +
                                   2 * t.pad;
        const double rest = (area.width() - numberWidth) / 4;
        t.width = {numberWidth, rest, rest, rest, rest};
        t.left[0] = area.left();
        for (int c = 1; c < 5; ++c) t.left[c] = t.left[c - 1] + t.width[c - 1];
    }

    // The first page's upper part, measured before anything is painted so
    // that the number of pages is known for the footers.
    const double lineGap = bodyFm.height() * 1.35;
    double labelWidth = 0;
    for (const auto* list : {&report.fields, &report.measures})
        for (const kurv::ReportField& f : *list)
            labelWidth = std::max(labelWidth, bodyFm.horizontalAdvance(Q(f.label) + QStringLiteral(":")));
    labelWidth += page.Pt(10);
    const double valueWidth = area.width() - labelWidth;
    auto fieldHeight = [&](const kurv::ReportField& f) {
        const QRectF r = bodyFm.boundingRect(QRectF(0, 0, valueWidth, 1e9), Qt::TextWordWrap, Q(f.value));
        return std::max(lineGap, r.height() + (lineGap - bodyFm.height()));
    };
    double top = titleFm.height() + headingFm.height() * 1.3 + page.Pt(8);
    for (const kurv::ReportField& f : report.fields) top += fieldHeight(f);
    top += page.Pt(4) + lineGap * double(1 + report.coefficients.size()) + page.Pt(4);
    top += lineGap * double(report.measures.size()) + page.Pt(8);
    // The chart takes the width, but leaves the first page room for some rows.
    double chartHeight = std::min(area.width() * chartAspect, area.height() * 0.42);
    const double chartWidth = chartAspect > 0 ? std::min(area.width(), chartHeight / chartAspect) : 0;
    if (chartWidth <= 0) chartHeight = 0;
    const double tableTop = top + chartHeight + page.Pt(10);

    const int n = int(report.rows.size());
    const int firstRows = std::max(0, int((bottom - tableTop - t.headerHeight) / t.rowHeight));
    const int laterRows = std::max(1, int((bottom - area.top() - t.headerHeight) / t.rowHeight));
    const int tablePages = n <= firstRows ? 1 : 1 + (n - firstRows + laterRows - 1) / laterRows;
    // Where the last row ends, and whether the legend still fits below it.
    const int lastPageRows = n <= firstRows ? n : (n - firstRows) - (tablePages - 2) * laterRows;
    const double lastTop = tablePages == 1 ? tableTop : area.top();
    const double legendHeight = smallFm.height() * 3;
    const double afterTable = lastTop + t.headerHeight + lastPageRows * t.rowHeight + page.Pt(6);
    const bool legendApart = afterTable + legendHeight > bottom;
    const int pages = tablePages + (legendApart ? 1 : 0);

    int pageNumber = 1;
    auto footer = [&] {
        p->setFont(small);
        p->setPen(Qt::black);
        const double base = area.bottom() - smallFm.descent();
        p->setPen(kRule);
        p->drawLine(QPointF(area.left(), bottom + page.Pt(2)), QPointF(area.right(), bottom + page.Pt(2)));
        p->setPen(Qt::black);
        const QString number = Q(kurv::PageText(report.language, pageNumber, pages));
        Cell(p, smallFm, number, area.left(), area.width(), base, true);
        Cell(p, smallFm, Q(report.title), area.left(),
             area.width() - smallFm.horizontalAdvance(number) - page.Pt(12), base, false);
    };

    // The heading, the fields, the coefficients and the error measures.
    double y = area.top();
    p->setPen(Qt::black);
    p->setFont(titleFont);
    Cell(p, titleFm, Q(report.title), area.left(), area.width(), y + titleFm.ascent(), false);
    y += titleFm.height();
    p->setFont(headingFont);
    Cell(p, headingFm, Q(report.heading), area.left(), area.width(), y + headingFm.ascent(), false);
    y += headingFm.height() * 1.3;
    p->setPen(kRule);
    p->drawLine(QPointF(area.left(), y + page.Pt(3)), QPointF(area.right(), y + page.Pt(3)));
    y += page.Pt(8);
    p->setPen(Qt::black);
    auto field = [&](const kurv::ReportField& f, double height) {
        p->setFont(bold);
        Cell(p, bodyFm, Q(f.label) + QStringLiteral(":"), area.left(), labelWidth, y + bodyFm.ascent(),
             false);
        p->setFont(body);
        p->drawText(QRectF(area.left() + labelWidth, y, valueWidth, height), Qt::TextWordWrap, Q(f.value));
        y += height;
    };
    for (const kurv::ReportField& f : report.fields) field(f, fieldHeight(f));

    y += page.Pt(4);
    const double coefLeft = area.left() + labelWidth, coefWidth = valueWidth / 2;
    p->setFont(bold);
    for (int c = 0; c < 2; ++c)
        Cell(p, bodyFm, Q(report.coefficientColumns[size_t(c)]), coefLeft + c * coefWidth, coefWidth,
             y + bodyFm.ascent(), false);
    y += lineGap;
    p->setFont(body);
    for (const kurv::ReportCoefficient& c : report.coefficients) {
        Cell(p, bodyFm, Q(c.shown), coefLeft, coefWidth - page.Pt(6), y + bodyFm.ascent(), false);
        Cell(p, bodyFm, Q(c.full), coefLeft + coefWidth, coefWidth, y + bodyFm.ascent(), false);
        y += lineGap;
    }
    y += page.Pt(4);
    for (const kurv::ReportField& f : report.measures) field(f, lineGap);
    y += page.Pt(8);

    if (chartHeight > 0) {
        const QRectF chartRect(area.left() + (area.width() - chartWidth) / 2, y, chartWidth, chartHeight);
        p->save();
        paintChart(p, chartRect);
        p->restore();
        p->setPen(kRule);
        p->setBrush(Qt::NoBrush);
        p->drawRect(chartRect);
    }

    // The table, its header repeated on every page.
    auto header = [&](double at) {
        p->fillRect(QRectF(area.left(), at, area.width(), t.headerHeight), kHeaderBack);
        p->setPen(Qt::black);
        p->setFont(tableBold);
        const double base = at + (t.headerHeight + tableBoldFm.ascent() - tableBoldFm.descent()) / 2;
        for (int c = 0; c < 5; ++c)
            Cell(p, tableBoldFm, Q(report.columns[size_t(c)]), t.left[c] + t.pad, t.width[c] - 2 * t.pad,
                 base, c > 0);
        return at + t.headerHeight;
    };
    int row = 0;
    double at = tableTop;
    for (int tp = 0; tp < tablePages; ++tp) {
        if (tp > 0) {
            footer();
            page.NewPage();
            ++pageNumber;
            at = area.top();
        }
        at = header(at);
        const int count = std::min(n - row, tp == 0 ? firstRows : laterRows);
        p->setFont(tableFont);
        QPen rule(kRule, 0);
        for (int i = 0; i < count; ++i, ++row) {
            const kurv::ReportRow& r = report.rows[size_t(row)];
            const double base = at + (t.rowHeight + tableFm.ascent() - tableFm.descent()) / 2;
            p->setPen(Qt::black);
            const QString cells[4] = {QString::number(r.tableRow), Q(r.y), Q(r.x), Q(r.fitted)};
            for (int c = 0; c < 4; ++c)
                Cell(p, tableFm, cells[c], t.left[c] + t.pad, t.width[c] - 2 * t.pad, base, true);
            p->setPen(kResidualColours[int(r.colour)]);
            Cell(p, tableFm, Q(r.residual), t.left[4] + t.pad, t.width[4] - 2 * t.pad, base, true);
            at += t.rowHeight;
            p->setPen(rule);
            p->drawLine(QPointF(area.left(), at), QPointF(area.right(), at));
        }
    }

    if (legendApart) {
        footer();
        page.NewPage();
        ++pageNumber;
        at = area.top();
    } else {
        at += page.Pt(6);
    }
    p->setFont(small);
    p->setPen(Qt::black);
    p->drawText(QRectF(area.left(), at, area.width(), legendHeight), Qt::TextWordWrap, Q(report.legend));
    footer();
    return pages;
}
