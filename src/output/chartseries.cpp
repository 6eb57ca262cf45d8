#include "output/chartseries.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Every bit of every value, in order, through a 64-bit mix (splitmix64's).
std::uint64_t HashOfBits(const std::vector<double>& v) {
    std::uint64_t h = v.size();
    for (double d : v) {
        std::uint64_t z;
        std::memcpy(&z, &d, sizeof z);
        z += h + 0x9E3779B97F4A7C15u;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        h = z ^ (z >> 31);
    }
    return h;
}

bool FiniteLess(double a, double b) {
    // NaN sorts last, so the comparison stays a strict weak order.
    if (std::isnan(b)) return !std::isnan(a);
    return a < b;
}

}  // namespace

void ChartSeries::Clear() {
    ++revision_;
    x_.clear();
    y_.clear();
    class_.clear();
    labels_.clear();
    palette_.assign(1, QColor());
    hasExtent_ = grew_ = false;
    orderStale_ = true;
}

void ChartSeries::Start(std::vector<QColor> palette, std::size_t expected) {
    Clear();
    if (palette.empty()) palette.push_back(QColor());
    palette_ = std::move(palette);
    x_.reserve(expected);
    y_.reserve(expected);
    class_.reserve(expected);
}

void ChartSeries::Add(double x, double y, const QString& label, const QColor& colour) {
    auto at = std::find(palette_.begin(), palette_.end(), colour);
    if (at == palette_.end()) {
        // A byte per point holds the class: beyond 256 colours the last one is reused.
        if (palette_.size() < 256) palette_.push_back(colour);
        at = palette_.end() - 1;
    }
    if (!label.isEmpty() && labels_.size() < x_.size()) labels_.resize(x_.size());
    if (!labels_.empty() || !label.isEmpty()) labels_.push_back(label);
    Add(x, y, std::uint8_t(at - palette_.begin()));
}

void ChartSeries::Release() {
    Clear();
    for (auto* v : {&x_, &y_}) v->shrink_to_fit();
    class_.shrink_to_fit();
    labels_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    identity_ = true;
}

void ChartSeries::MakeOrder() const {
    orderStale_ = false;
    const std::size_t n = x_.size();
    if (std::is_sorted(x_.begin(), x_.end(), FiniteLess)) {
        identity_ = true;
        return;
    }
    // The same X as the last sort (bit for bit): its order still holds.
    const std::uint64_t hash = HashOfBits(x_);
    if (!identity_ && order_.size() == n && orderHash_ == hash) return;
    identity_ = false;
    // Sorted as (X, arrival) pairs side by side: far fewer cache misses than
    // sorting indices that look their X up. The arrival index breaks ties, so
    // the order is the stable one.
    std::vector<std::pair<double, std::uint32_t>> keyed(n);
    for (std::size_t i = 0; i < n; ++i) keyed[i] = {x_[i], std::uint32_t(i)};
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (FiniteLess(a.first, b.first)) return true;
        if (FiniteLess(b.first, a.first)) return false;
        return a.second < b.second;
    });
    order_.resize(n);
    for (std::size_t i = 0; i < n; ++i) order_[i] = keyed[i].second;
    orderHash_ = hash;
}
