// Painting the calibration report. The report is laid out first, as blocks
// placed on pages, so that the number of pages is known for every footer and
// only the pages a print range asks for are painted. The residual table is
// painted row by row with plain text calls, its texts made as each page is
// painted: a long table costs its own pages and nothing before them.
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageRanges>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "core/uitext.h"
#include "output/chartview.h"
#include "output/report.h"

namespace {

const QColor kRule(160, 160, 160);
constexpr double kLeastMarginPoints = 28;  // 10 mm
const QColor kHeaderBack(230, 230, 230);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A text wrapped to a width (at spaces, or anywhere in a word too long for a
// line, such as a file's path), laid out once for its height and its painting.
class Paragraph {
  public:
    Paragraph(const QString& text, const QFont& font, QPaintDevice* device, double width)
        : layout_(text, font, device) {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout_.setTextOption(option);
        layout_.beginLayout();
        for (;;) {
            QTextLine line = layout_.createLine();
            if (!line.isValid()) break;
            line.setLineWidth(std::max(1.0, width));
            line.setPosition(QPointF(0, height_));
            height_ += line.height();
        }
        layout_.endLayout();
    }
    double Height() const { return height_; }
    void Draw(QPainter* p, QPointF at) const { layout_.draw(p, at); }

  private:
    QTextLayout layout_;
    double height_ = 0;
};
using Para = std::shared_ptr<const Paragraph>;

// A text cell on one line: left or right aligned on the baseline, cut with an
// ellipsis when wider than the cell.
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

// Number texts drawn as runs of their characters' glyphs, without shaping
// each text: a long table is a few hundred cells a page, and shaping them
// (twice, to measure and to draw) was most of a page's time. A text with any
// other character, or one too wide for its cell, is drawn by Cell; so is
// every text of a preview, whose page pictures grew by megabytes a page
// with glyph runs.
class NumberGlyphs {
  public:
    explicit NumberGlyphs(const QFont& font) : raw_(QRawFont::fromFont(font)) {
        if (!raw_.isValid()) return;
        for (char c : std::string_view(kChars)) {
            const QList<quint32> g = raw_.glyphIndexesForString(QString(QLatin1Char(c)));
            if (g.size() != 1 || g[0] == 0) return;
            glyphs_[std::size_t(static_cast<unsigned char>(c))] = g[0];
            advances_[std::size_t(static_cast<unsigned char>(c))] =
                raw_.advancesForGlyphIndexes(g).value(0).x();
        }
        valid_ = true;
    }
    void Draw(QPainter* p, const QFontMetricsF& fm, const QString& text, double left, double width,
              double baseline, bool right) const {
        QList<quint32> glyphs;
        QList<QPointF> at;
        double x = 0;
        bool ours = valid_ && p->paintEngine() && p->paintEngine()->type() != QPaintEngine::Picture;
        for (QChar c : text) {
            const std::size_t k = c.unicode() < 128 ? c.unicode() : 0;
            if (!ours || glyphs_[k] == 0) {
                ours = false;
                break;
            }
            glyphs << glyphs_[k];
            at << QPointF(x, 0);
            x += advances_[k];
        }
        if (!ours || x > width) {
            Cell(p, fm, text, left, width, baseline, right);
            return;
        }
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(glyphs);
        run.setPositions(at);
        p->drawGlyphRun(QPointF(right ? left + width - x : left, baseline), run);
    }

  private:
    static constexpr const char* kChars = "0123456789.,-+eEINFA";
    QRawFont raw_;
    bool valid_ = false;
    std::array<quint32, 128> glyphs_{};
    std::array<double, 128> advances_{};
};

// Blocks placed down the pages. A block never straddles a page: one that
// does not fit goes to the next page (unless it starts the page).
class Flow {
  public:
    using Paint = std::function<void(QPainter*, double top)>;
    struct Item {
        int page;
        double top;
        Paint paint;
    };

    Flow(double top, double bottom) : top_(top), bottom_(bottom), y_(top) {}
    // A new page unless `height` fits below what is placed.
    void Ensure(double height) {
        if (y_ + height > bottom_ && y_ > top_) NewPage();
    }
    void Place(double height, Paint paint) {
        Ensure(height);
        items_.push_back({page_, y_, std::move(paint)});
        y_ += height;
    }
    void Gap(double height) {
        if (y_ > top_) y_ += height;
    }
    void NewPage() {
        ++page_;
        y_ = top_;
    }
    double Room() const { return bottom_ - y_; }
    int Pages() const { return page_ + 1; }
    const std::vector<Item>& Items() const { return items_; }

  private:
    double top_, bottom_, y_;
    int page_ = 0;
    std::vector<Item> items_;
};

// The pages a printer's or writer's page range asks for (1-based in the range).
std::vector<char> WantedPages(QPagedPaintDevice* device, int pages) {
    QPageRanges ranges = device->pageRanges();
    if (auto* printer = dynamic_cast<QPrinter*>(device);
        printer && printer->printRange() != QPrinter::PageRange)
        ranges = QPageRanges();
    std::vector<char> wanted(std::size_t(pages), 1);
    if (!ranges.isEmpty())
        for (int p = 0; p < pages; ++p) wanted[std::size_t(p)] = ranges.contains(p + 1) ? 1 : 0;
    return wanted;
}

}  // namespace

ReportPainted PaintReport(QPagedPaintDevice* device, const kurv::Report& report, const ReportPainting& how) {
    const double k = device->logicalDpiY() / 72.0;
    auto pt = [k](double points) { return points * k; };
    // The device's printable area, but at least a filing margin from the
    // paper's edges whatever margins the print dialog was left at.
    const QPageLayout layout = device->pageLayout();
    const QRectF paint = layout.paintRectPixels(device->logicalDpiX());
    const QRectF full = layout.fullRectPixels(device->logicalDpiX());
    const double least = pt(kLeastMarginPoints);
    const QRectF area = QRectF(0, 0, paint.width(), paint.height())
                            .adjusted(std::max(0.0, least - (paint.left() - full.left())),
                                      std::max(0.0, least - (paint.top() - full.top())),
                                      -std::max(0.0, least - (full.right() - paint.right())),
                                      -std::max(0.0, least - (full.bottom() - paint.bottom())));
    if (area.width() < pt(100) || area.height() < pt(150)) return {};
    auto font = [&](double points, bool bold) {
        QFont f;
        f.setFamilies({"Liberation Sans", "DejaVu Sans", "Arial"});
        f.setPixelSize(std::max(1, qRound(pt(points))));
        f.setBold(bold);
        return f;
    };
    const QFont labFont = font(13, true), headingFont = font(12, false), sectionFont = font(10, true),
                body = font(9, false), bold = font(9, true), tableFont = font(8, false),
                tableBold = font(8, true), small = font(7.5, false);
    const QFontMetricsF bodyFm(body, device), boldFm(bold, device), tableFm(tableFont, device),
        tableBoldFm(tableBold, device), smallFm(small, device), sectionFm(sectionFont, device);
    auto para = [device](const std::string& text, const QFont& f, double width) {
        return std::make_shared<const Paragraph>(Q(text), f, device, width);
    };

    const double left = area.left(), width = area.width();
    const double footerHeight = smallFm.height() + pt(6);
    const double bottom = area.bottom() - footerHeight;
    Flow flow(area.top(), bottom);

    // The top: the laboratory, the heading and a rule.
    for (const auto& [text, f] :
         {std::pair{report.laboratory, labFont}, std::pair{report.heading, headingFont}}) {
        if (text.empty()) continue;
        const Para t = para(text, f, width);
        flow.Place(t->Height() + pt(2), [t, left](QPainter* p, double top) {
            p->setPen(Qt::black);
            t->Draw(p, QPointF(left, top));
        });
    }
    flow.Place(pt(10), [&](QPainter* p, double top) {
        p->setPen(QPen(kRule, pt(0.5)));
        p->drawLine(QPointF(left, top + pt(4)), QPointF(area.right(), top + pt(4)));
    });

    // Labelled rows: the label in bold (measured in bold) in a column of its
    // own, the value wrapped beside it; a row without a label spans the width.
    double labelWidth = 0;
    for (const auto* list : {&report.fields, &report.fit, &report.measures})
        for (const kurv::ReportField& f : *list)
            if (!f.label.empty())
                labelWidth = std::max(labelWidth, boldFm.horizontalAdvance(Q(f.label) + QStringLiteral(":")));
    for (const kurv::SheetSection& s : report.statistics.sections)
        if (s.header.empty())
            for (const auto& row : s.rows)
                if (!row.empty())
                    labelWidth =
                        std::max(labelWidth, boldFm.horizontalAdvance(Q(row[0]) + QStringLiteral(":")));
    labelWidth = std::min(labelWidth + pt(10), width * 0.4);
    const double rowGap = pt(2.5);
    auto fieldRow = [&](const kurv::ReportField& f) {
        if (f.label.empty()) {
            const Para v = para(f.value, body, width);
            flow.Place(v->Height() + rowGap, [v, left](QPainter* p, double top) {
                p->setPen(Qt::black);
                v->Draw(p, QPointF(left, top));
            });
            return;
        }
        const Para l = para(f.label + ":", bold, labelWidth - pt(8));
        const Para v = para(f.value, body, width - labelWidth);
        flow.Place(std::max(l->Height(), v->Height()) + rowGap,
                   [l, v, left, labelWidth](QPainter* p, double top) {
                       p->setPen(Qt::black);
                       l->Draw(p, QPointF(left, top));
                       v->Draw(p, QPointF(left + labelWidth, top));
                   });
    };
    // A section's heading stays with what follows it.
    auto section = [&](const std::string& title, double keepWith) {
        flow.Gap(pt(8));
        const double h = sectionFm.height() + pt(4);
        flow.Ensure(h + keepWith);
        flow.Place(h, [&, title](QPainter* p, double top) {
            p->setPen(Qt::black);
            p->setFont(sectionFont);
            Cell(p, sectionFm, Q(title), left, width, top + sectionFm.ascent(), false);
        });
    };

    for (const kurv::ReportField& f : report.fields) fieldRow(f);

    // The fit: kind, formula, units, the coefficients, the error measures.
    section(kurv::UiText(kurv::TextId::ResultCaption, report.language), bodyFm.height() * 3);
    for (const kurv::ReportField& f : report.fit) fieldRow(f);
    if (!report.coefficients.empty()) {
        // "A0 =" in the label column, then the texts as shown, at full
        // precision and the unit, each column as wide as its widest text.
        const int columns = 3;
        std::array<double, columns> at{};
        at[0] = left + labelWidth;
        for (int c = 0; c + 1 < columns; ++c) {
            double widest = boldFm.horizontalAdvance(Q(report.coefficientColumns[std::size_t(c + 1)]));
            for (const kurv::ReportCoefficient& co : report.coefficients)
                widest = std::max(widest, bodyFm.horizontalAdvance(Q(c == 0 ? co.shown : co.full)));
            at[std::size_t(c + 1)] = at[std::size_t(c)] + widest + pt(18);
        }
        bool units = false;
        for (const kurv::ReportCoefficient& co : report.coefficients) units = units || !co.unit.empty();
        const double right = left + width;
        auto room = [at, right, pt](int c) {
            return (c + 1 < columns ? at[std::size_t(c + 1)] - pt(10) : right) - at[std::size_t(c)];
        };
        const double line = bodyFm.height() + rowGap;
        flow.Gap(pt(3));
        flow.Place(line, [&, at, units, room](QPainter* p, double top) {
            p->setPen(QColor(70, 70, 70));
            p->setFont(bold);
            for (int c = 0; c < (units ? 3 : 2); ++c)
                Cell(p, boldFm, Q(report.coefficientColumns[std::size_t(c + 1)]), at[std::size_t(c)], room(c),
                     top + bodyFm.ascent(), false);
        });
        for (const kurv::ReportCoefficient& co : report.coefficients)
            flow.Place(line, [&, co, at, room](QPainter* p, double top) {
                p->setPen(Qt::black);
                p->setFont(bold);
                const double base = top + bodyFm.ascent();
                Cell(p, boldFm, Q(co.name) + QStringLiteral(" ="), left, labelWidth, base, false);
                p->setFont(body);
                const QString texts[3] = {Q(co.shown), Q(co.full), Q(co.unit)};
                for (int c = 0; c < 3; ++c)
                    Cell(p, bodyFm, texts[c], at[std::size_t(c)], room(c), base, false);
            });
        flow.Gap(pt(3));
    }
    for (const kurv::ReportField& f : report.measures) fieldRow(f);

    // The fit statistics as the statistics window shows them: label/value
    // sections as labelled rows, grids with a bold header, every column as
    // wide as its widest text; then the notes, the coverage statement first.
    const kurv::StatisticsSheet& sheet = report.statistics;
    if (!sheet.sections.empty() || !sheet.notes.empty()) {
        section(report.statisticsTitle, bodyFm.height() * 2);
        const double line = bodyFm.height() + rowGap;
        for (const kurv::SheetSection& s : sheet.sections) {
            flow.Gap(pt(3));
            flow.Ensure(line * 3);
            flow.Place(line, [&, title = s.title](QPainter* p, double top) {
                p->setPen(QColor(70, 70, 70));
                p->setFont(bold);
                Cell(p, boldFm, Q(title), left, width, top + bodyFm.ascent(), false);
            });
            if (s.header.empty()) {
                for (const auto& row : s.rows)
                    if (row.size() >= 2) fieldRow({row[0], row[1]});
                continue;
            }
            std::vector<double> at{left};
            for (std::size_t c = 0; c < s.header.size(); ++c) {
                double widest = boldFm.horizontalAdvance(Q(s.header[c]));
                for (const auto& row : s.rows)
                    if (c < row.size()) widest = std::max(widest, bodyFm.horizontalAdvance(Q(row[c])));
                at.push_back(at.back() + widest + pt(14));
            }
            const double right = left + width;
            auto cells = [&, at, right](const std::vector<std::string>& texts, bool header) {
                flow.Place(line, [&, texts, at, right, header](QPainter* p, double top) {
                    p->setPen(header ? QColor(70, 70, 70) : Qt::black);
                    const QFontMetricsF& fm = header || texts.empty() ? boldFm : bodyFm;
                    for (std::size_t c = 0; c < texts.size() && c + 1 < at.size(); ++c) {
                        // The row's name in bold; figures to the right of their column.
                        const bool name = c == 0 && !header;
                        p->setFont(header || name ? bold : body);
                        const QFontMetricsF& m = header || name ? boldFm : fm;
                        const double room = std::min(at[c + 1], right) - at[c] - pt(10);
                        Cell(p, m, Q(texts[c]), at[c], room, top + bodyFm.ascent(), c > 0);
                    }
                });
            };
            cells(s.header, true);
            for (const auto& row : s.rows) cells(row, false);
        }
        flow.Gap(pt(3));
        for (const std::string& note : sheet.notes) fieldRow({"", note});
    }

    // The chart with its axis titles beside and below it.
    const double pageHeight = bottom - area.top();
    const QFontMetricsF& axisFm = tableFm;
    if (how.chartAspect > 0 && how.paintChart) {
        const double titleRoom = axisFm.height() + pt(4);
        double w = width - titleRoom;
        double h = w * how.chartAspect;
        if (h > pageHeight * 0.36) {
            h = pageHeight * 0.36;
            w = h / how.chartAspect;
        }
        section(report.chartTitle, h + titleRoom);
        const double chartLeft = left + titleRoom + (width - titleRoom - w) / 2;
        flow.Place(h + titleRoom, [&, w, h, chartLeft, titleRoom](QPainter* p, double top) {
            const QRectF chart(chartLeft, top, w, h);
            p->save();
            how.paintChart(p, chart);
            p->restore();
            p->setPen(kRule);
            p->setBrush(Qt::NoBrush);
            p->drawRect(chart);
            p->setPen(Qt::black);
            p->setFont(tableFont);
            p->drawText(QRectF(chart.left(), chart.bottom(), w, titleRoom),
                        Qt::AlignHCenter | Qt::AlignBottom,
                        axisFm.elidedText(Q(report.axisX), Qt::ElideRight, w));
            p->translate(chart.left() - titleRoom, chart.center().y());
            p->rotate(-90);
            p->drawText(QRectF(-h / 2, 0, h, titleRoom), Qt::AlignHCenter | Qt::AlignTop,
                        axisFm.elidedText(Q(report.axisY), Qt::ElideRight, h));
        });
    }

    if (report.pairs && report.fitted && !report.pairs->x.empty()) {
        const double h = std::min(pt(170), pageHeight * 0.24);
        section(report.plotTitle, h);
        flow.Place(h, [&, h](QPainter* p, double top) {
            PaintResidualPlot(p, QRectF(left, top, width, h), report, {tableFont, device, k});
        });
    }

    // A small table: its header on a grey band, numbers right-aligned.
    const double rowHeight = tableFm.height() * 1.3, headerHeight = tableBoldFm.height() * 1.6;
    const double pad = pt(3);
    auto headerRow = [&](QPainter* p, double top, const QStringList& titles, const std::vector<double>& lefts,
                         const std::vector<double>& widths) {
        p->fillRect(QRectF(lefts.front(), top, lefts.back() + widths.back() - lefts.front(), headerHeight),
                    kHeaderBack);
        p->setPen(Qt::black);
        p->setFont(tableBold);
        const double base = top + (headerHeight + tableBoldFm.ascent() - tableBoldFm.descent()) / 2;
        for (int c = 0; c < titles.size(); ++c)
            Cell(p, tableBoldFm, titles[c], lefts[std::size_t(c)] + pad, widths[std::size_t(c)] - 2 * pad,
                 base, c > 0);
    };

    if (!report.points.empty()) {
        const double numberWidth = tableBoldFm.horizontalAdvance(QStringLiteral("000")) + 2 * pad;
        const double colWidth = width * 0.25;
        const std::vector<double> lefts = {left, left + numberWidth, left + numberWidth + colWidth};
        const std::vector<double> widths = {numberWidth, colWidth, colWidth};
        const QStringList titles = {Q(report.pointColumns[0]), Q(report.pointColumns[1]),
                                    Q(report.pointColumns[2])};
        section(report.pointsTitle, headerHeight + rowHeight);
        flow.Place(headerHeight, [=](QPainter* p, double top) { headerRow(p, top, titles, lefts, widths); });
        for (const kurv::ReportPoint& point : report.points)
            flow.Place(rowHeight, [&, point, lefts, widths](QPainter* p, double top) {
                const double base = top + (rowHeight + tableFm.ascent() - tableFm.descent()) / 2;
                p->setPen(Qt::black);
                p->setFont(tableFont);
                const QString cells[3] = {QString::number(point.number), Q(point.x), Q(point.y)};
                for (int c = 0; c < 3; ++c)
                    Cell(p, tableFm, cells[c], lefts[std::size_t(c)] + pad, widths[std::size_t(c)] - 2 * pad,
                         base, true);
                p->setPen(QPen(kRule, 0));
                p->drawLine(QPointF(lefts.front(), top + rowHeight),
                            QPointF(lefts.back() + widths.back(), top + rowHeight));
            });
    }

    // The residual table, its header repeated on every page.
    const std::size_t rows = report.table.Count();
    if (rows > 0) {
        const double numberWidth = std::max(tableBoldFm.horizontalAdvance(QStringLiteral("0000000")),
                                            tableBoldFm.horizontalAdvance(Q(report.columns[0]))) +
                                   2 * pad;
        const double rest = (width - numberWidth) / 4;
        std::vector<double> lefts = {left}, widths = {numberWidth, rest, rest, rest, rest};
        for (int c = 1; c < 5; ++c) lefts.push_back(lefts.back() + widths[std::size_t(c - 1)]);
        QStringList titles;
        for (const std::string& t : report.columns) titles << Q(t);

        Para note;
        if (!report.tableNote.empty()) note = para(report.tableNote, small, width);
        section(report.tableTitle, (note ? note->Height() + pt(4) : 0) + headerHeight + rowHeight * 3);
        if (note)
            flow.Place(note->Height() + pt(4), [note, left](QPainter* p, double top) {
                p->setPen(Qt::black);
                note->Draw(p, QPointF(left, top));
            });
        const auto numbers = std::make_shared<const NumberGlyphs>(tableFont);
        for (std::size_t first = 0; first < rows;) {
            flow.Ensure(headerHeight + rowHeight * double(std::min<std::size_t>(rows - first, 3)));
            const std::size_t fit =
                std::size_t(std::max(1.0, std::floor((flow.Room() - headerHeight) / rowHeight)));
            const std::size_t count = std::min(fit, rows - first);
            flow.Place(headerHeight + double(count) * rowHeight, [&, numbers, first, count, titles, lefts,
                                                                  widths](QPainter* p, double top) {
                headerRow(p, top, titles, lefts, widths);
                double at = top + headerHeight;
                p->setFont(tableFont);
                const QPen rule(kRule, 0);
                for (std::size_t i = first; i < first + count; ++i) {
                    const kurv::ReportRow r = report.table.Row(i);
                    const double base = at + (rowHeight + tableFm.ascent() - tableFm.descent()) / 2;
                    p->setPen(Qt::black);
                    const QString cells[4] = {QString::number(r.tableRow), Q(r.y), Q(r.x), Q(r.fitted)};
                    for (int c = 0; c < 4; ++c)
                        numbers->Draw(p, tableFm, cells[c], lefts[std::size_t(c)] + pad,
                                      widths[std::size_t(c)] - 2 * pad, base, true);
                    p->setPen(kResidualColours[std::size_t(r.colour)]);
                    numbers->Draw(p, tableFm, Q(r.residual), lefts[4] + pad, widths[4] - 2 * pad, base, true);
                    at += rowHeight;
                    p->setPen(rule);
                    p->drawLine(QPointF(left, at), QPointF(left + width, at));
                }
            });
            first += count;
        }
        const Para legend = para(report.legend, small, width);
        flow.Gap(pt(4));
        flow.Place(legend->Height(), [legend, left](QPainter* p, double top) {
            p->setPen(Qt::black);
            legend->Draw(p, QPointF(left, top));
        });
    }

    // Signatures: for each person the role, the name when given, and lines
    // to sign and date on.
    {
        const double column = (width - pt(24)) / 2;
        const double height = boldFm.height() + bodyFm.height() + pt(22) + smallFm.height() + pt(2);
        flow.Gap(pt(16));
        flow.Place(height, [&, column](QPainter* p, double top) {
            for (int i = 0; i < 2; ++i) {
                const double x = left + i * (column + pt(24));
                double y = top;
                p->setPen(Qt::black);
                p->setFont(bold);
                Cell(p, boldFm, Q(report.signatureLabels[std::size_t(i)]), x, column, y + boldFm.ascent(),
                     false);
                y += boldFm.height();
                p->setFont(body);
                Cell(p, bodyFm, Q(report.signers[std::size_t(i)]), x, column, y + bodyFm.ascent(), false);
                y += bodyFm.height() + pt(22);
                const double signEnd = x + column * 0.6, dateStart = x + column * 0.68;
                p->setPen(QPen(Qt::black, pt(0.5)));
                p->drawLine(QPointF(x, y), QPointF(signEnd, y));
                p->drawLine(QPointF(dateStart, y), QPointF(x + column, y));
                p->setPen(QColor(90, 90, 90));
                p->setFont(small);
                p->drawText(QRectF(x, y + pt(1), signEnd - x, smallFm.height()), Qt::AlignHCenter,
                            Q(report.signatureHint));
                p->drawText(QRectF(dateStart, y + pt(1), x + column - dateStart, smallFm.height()),
                            Qt::AlignHCenter, Q(report.dateHint));
            }
        });
    }

    // Painting: only the pages asked for, each with its footer.
    const int pages = flow.Pages();
    const std::vector<char> wanted = WantedPages(device, pages);
    const int toPaint = int(std::count(wanted.begin(), wanted.end(), 1));
    ReportPainted result{pages, 0, false};
    if (toPaint == 0) return result;
    QPainter painter;
    QPainter* p = &painter;
    auto footer = [&](int page) {
        p->setPen(QPen(kRule, pt(0.5)));
        p->drawLine(QPointF(left, bottom + pt(3)), QPointF(area.right(), bottom + pt(3)));
        p->setPen(Qt::black);
        p->setFont(small);
        const double base = area.bottom() - smallFm.descent();
        const QString number = Q(kurv::PageText(report.language, page, pages));
        Cell(p, smallFm, number, left, width, base, true);
        Cell(p, smallFm, Q(report.footer), left, width - smallFm.horizontalAdvance(number) - pt(12), base,
             false);
    };
    const std::vector<Flow::Item>& items = flow.Items();
    std::size_t item = 0;
    for (int page = 0; page < pages; ++page) {
        std::size_t end = item;
        while (end < items.size() && items[end].page == page) ++end;
        if (wanted[std::size_t(page)]) {
            if (!painter.isActive()) {
                if (!painter.begin(device)) return {};
            } else {
                device->newPage();
            }
            for (std::size_t i = item; i < end; ++i) {
                painter.save();
                items[i].paint(p, items[i].top);
                painter.restore();
            }
            footer(page + 1);
            ++result.painted;
            if (how.progress && !how.progress(result.painted, toPaint)) {
                // A print job is dropped rather than printed in part; a
                // preview's own pages are the preview's to drop.
                auto* printer = dynamic_cast<QPrinter*>(device);
                if (printer && printer->paintEngine() &&
                    printer->paintEngine()->type() != QPaintEngine::Picture &&
                    printer->outputFormat() == QPrinter::NativeFormat)
                    printer->abort();
                result.cancelled = true;
                break;
            }
        }
        item = end;
    }
    painter.end();
    return result;
}
