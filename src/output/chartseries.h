// One chart series as plain arrays: X, Y and a colour class per point in the
// order the points came in, and beside them the order by X, worked out again
// only when the X have changed (by their hash: other X give the same one with
// odds of about one in 2^64). A refill keeps the arrays' memory, so a
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
    std::size_t Size() const { return x_.size(); }
    bool Empty() const { return x_.empty(); }

    // Points by arrival index.
    double X(std::size_t k) const { return x_[k]; }
    double Y(std::size_t k) const { return y_[k]; }
    // The point's own colour; invalid: the series' colour.
    const QColor& Colour(std::size_t k) const { return palette_[class_[k]]; }
    // The same by its class: Colour(k) is PaletteColour(ColourClass(k)).
    std::uint8_t ColourClass(std::size_t k) const { return class_[k]; }
    std::size_t PaletteSize() const { return palette_.size(); }
    const QColor& PaletteColour(std::uint8_t c) const { return palette_[c]; }
    // The point's own label; empty when it has none.
    QString Label(std::size_t k) const { return k < labels_.size() ? labels_[k] : QString(); }

    // The arrival index of the point at position i by ascending X (equal X
    // keep the order they came in, NaN last).
    std::size_t Sorted(std::size_t i) const {
        if (orderStale_) MakeOrder();
        return identity_ ? i : order_[i];
    }

    // Empties the series; its memory and its last order stay for the next fill.
    void Clear();
    // Starts a refill with these colour classes (class c is palette[c]).
    void Start(std::vector<QColor> palette, std::size_t expected);
    void Add(double x, double y, std::uint8_t colourClass) {
        ++revision_;
        x_.push_back(x);
        y_.push_back(y);
        class_.push_back(colourClass);
        orderStale_ = true;
        Extend(x, y);
    }
    // One point with any colour and label (a small series, or a test).
    void Add(double x, double y, const QString& label, const QColor& colour);
    // Frees the memory (a series that will stay empty).
    void Release();

    bool HasExtent() const { return hasExtent_; }
    double MinX() const { return minX_; }
    double MaxX() const { return maxX_; }
    double MinY() const { return minY_; }
    double MaxY() const { return maxY_; }
    // Whether the last Add moved the extent.
    bool ExtentGrew() const { return grew_; }
    // Changes with every change of the points, so drawings of them can be kept.
    std::uint64_t Revision() const { return revision_; }

  private:
    void Extend(double x, double y) {
        grew_ = false;
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (!hasExtent_) {
            minX_ = maxX_ = x;
            minY_ = maxY_ = y;
            hasExtent_ = grew_ = true;
        } else if (x < minX_ || x > maxX_ || y < minY_ || y > maxY_) {
            minX_ = std::min(minX_, x);
            maxX_ = std::max(maxX_, x);
            minY_ = std::min(minY_, y);
            maxY_ = std::max(maxY_, y);
            grew_ = true;
        }
    }
    void MakeOrder() const;

    std::vector<double> x_, y_;
    std::vector<std::uint8_t> class_;
    std::vector<QColor> palette_{QColor()};
    std::vector<QString> labels_;  // empty unless some point has a label

    // The order by X, and a hash of the X it was made for (a copy of them
    // would cost 80 MB at ten million points).
    mutable std::vector<std::uint32_t> order_;
    mutable std::uint64_t orderHash_ = 0;
    mutable bool identity_ = true;
    mutable bool orderStale_ = false;

    std::uint64_t revision_ = 0;
    bool hasExtent_ = false, grew_ = false;
    double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
};
