#include "output/chartseries.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

bool FiniteLess(double a, double b) {
    // NaN sorts last, so the comparison stays a strict weak order.
    if (std::isnan(b)) return !std::isnan(a);
    return a < b;
}

}  // namespace

void ChartSeries::Clear() {
    ++m_revision;
    m_x.clear();
    m_y.clear();
    m_class.clear();
    m_labels.clear();
    m_palette.assign(1, QColor());
    m_hasExtent = m_grew = false;
    m_orderStale = true;
}

void ChartSeries::Start(std::vector<QColor> palette, std::size_t expected) {
    Clear();
    if (palette.empty()) palette.push_back(QColor());
    m_palette = std::move(palette);
    m_x.reserve(expected);
    m_y.reserve(expected);
    m_class.reserve(expected);
}

void ChartSeries::Add(double x, double y, const QString& label, const QColor& colour) {
    auto at = std::find(m_palette.begin(), m_palette.end(), colour);
    if (at == m_palette.end()) {
        // A byte per point holds the class: beyond 256 colours the last one is reused.
        if (m_palette.size() < 256) m_palette.push_back(colour);
        at = m_palette.end() - 1;
    }
    if (!label.isEmpty() && m_labels.size() < m_x.size()) m_labels.resize(m_x.size());
    if (!m_labels.empty() || !label.isEmpty()) m_labels.push_back(label);
    Add(x, y, std::uint8_t(at - m_palette.begin()));
}

void ChartSeries::Release() {
    Clear();
    for (auto* v : {&m_x, &m_y, &m_orderX}) v->shrink_to_fit();
    m_class.shrink_to_fit();
    m_labels.shrink_to_fit();
    m_order.clear();
    m_order.shrink_to_fit();
    m_identity = true;
}

void ChartSeries::MakeOrder() const {
    m_orderStale = false;
    const std::size_t n = m_x.size();
    if (std::is_sorted(m_x.begin(), m_x.end(), FiniteLess)) {
        m_identity = true;
        return;
    }
    // The same X as the last sort (bit for bit): its order still holds.
    if (!m_identity && m_orderX.size() == n && m_order.size() == n &&
        std::memcmp(m_orderX.data(), m_x.data(), n * sizeof(double)) == 0)
        return;
    m_identity = false;
    // Sorted as (X, arrival) pairs side by side: far fewer cache misses than
    // sorting indices that look their X up. The arrival index breaks ties, so
    // the order is the stable one.
    std::vector<std::pair<double, std::uint32_t>> keyed(n);
    for (std::size_t i = 0; i < n; ++i) keyed[i] = {m_x[i], std::uint32_t(i)};
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (FiniteLess(a.first, b.first)) return true;
        if (FiniteLess(b.first, a.first)) return false;
        return a.second < b.second;
    });
    m_order.resize(n);
    for (std::size_t i = 0; i < n; ++i) m_order[i] = keyed[i].second;
    m_orderX.assign(m_x.begin(), m_x.end());
}
