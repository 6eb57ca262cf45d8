#include "output/chartseries.h"

#include <algorithm>
#include <cmath>

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
    m_order.resize(n);
    for (std::size_t i = 0; i < n; ++i) m_order[i] = std::uint32_t(i);
    // Equal X by arrival: the index breaks ties, so a plain sort is stable.
    std::sort(m_order.begin(), m_order.end(), [this](std::uint32_t a, std::uint32_t b) {
        const double xa = m_x[a], xb = m_x[b];
        if (FiniteLess(xa, xb)) return true;
        if (FiniteLess(xb, xa)) return false;
        return a < b;
    });
    m_orderX.assign(m_x.begin(), m_x.end());
}
