// One chart series as plain arrays: X, Y and a colour class per point in the
// order the points came in, and beside them the order by X, worked out again
// only when the X have changed. A refill keeps the arrays' memory, so a
// recalculation that hands over the same rows again allocates and sorts nothing.
#pragma once

#include <QColor>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

class ChartSeries {
  public:
    std::size_t Size() const { return m_x.size(); }
    bool Empty() const { return m_x.empty(); }

    // Points by arrival index.
    double X(std::size_t k) const { return m_x[k]; }
    double Y(std::size_t k) const { return m_y[k]; }
    // The point's own colour; invalid: the series' colour.
    const QColor& Colour(std::size_t k) const { return m_palette[m_class[k]]; }
    // The point's own label; empty when it has none.
    QString Label(std::size_t k) const { return k < m_labels.size() ? m_labels[k] : QString(); }

    // The arrival index of the point at position i by ascending X (equal X
    // keep the order they came in, NaN last).
    std::size_t Sorted(std::size_t i) const {
        if (m_orderStale) MakeOrder();
        return m_identity ? i : m_order[i];
    }

    // Empties the series; its memory and its last order stay for the next fill.
    void Clear();
    // Starts a refill with these colour classes (class c is palette[c]).
    void Start(std::vector<QColor> palette, std::size_t expected);
    void Add(double x, double y, std::uint8_t colourClass) {
        ++m_revision;
        m_x.push_back(x);
        m_y.push_back(y);
        m_class.push_back(colourClass);
        m_orderStale = true;
        Extend(x, y);
    }
    // One point with any colour and label (a small series, or a test).
    void Add(double x, double y, const QString& label, const QColor& colour);
    // Frees the memory (a series that will stay empty).
    void Release();

    bool HasExtent() const { return m_hasExtent; }
    double MinX() const { return m_minX; }
    double MaxX() const { return m_maxX; }
    double MinY() const { return m_minY; }
    double MaxY() const { return m_maxY; }
    // Whether the last Add moved the extent.
    bool ExtentGrew() const { return m_grew; }
    // Changes with every change of the points, so drawings of them can be kept.
    std::uint64_t Revision() const { return m_revision; }

  private:
    void Extend(double x, double y) {
        m_grew = false;
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (!m_hasExtent) {
            m_minX = m_maxX = x;
            m_minY = m_maxY = y;
            m_hasExtent = m_grew = true;
        } else if (x < m_minX || x > m_maxX || y < m_minY || y > m_maxY) {
            m_minX = std::min(m_minX, x);
            m_maxX = std::max(m_maxX, x);
            m_minY = std::min(m_minY, y);
            m_maxY = std::max(m_maxY, y);
            m_grew = true;
        }
    }
    void MakeOrder() const;

    std::vector<double> m_x, m_y;
    std::vector<std::uint8_t> m_class;
    std::vector<QColor> m_palette{QColor()};
    std::vector<QString> m_labels;  // empty unless some point has a label

    // The order by X, and the X it was made for.
    mutable std::vector<std::uint32_t> m_order;
    mutable std::vector<double> m_orderX;
    mutable bool m_identity = true;
    mutable bool m_orderStale = false;

    std::uint64_t m_revision = 0;
    bool m_hasExtent = false, m_grew = false;
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0;
};
