#include "bench/recalc_limit.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <random>

#include "bench/bench.h"
#include "core/clipboard_text.h"
#include "core/datafile_format.h"
#include "core/numbers.h"

namespace bench {

LimitData MakeLimitData(int rows) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    std::vector<int> order(rows);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), rng);
    LimitData d;
    kurv::DataTable t, sorted;
    t.SetRowCount(rows + 2);
    sorted.SetRowCount(rows + 2);
    for (int r = 1; r <= rows; ++r) {
        const double x = order[r - 1] * 0.01;
        d.x.push_back(kurv::GeneralNumberText(x, '.'));
        d.y.push_back(kurv::GeneralNumberText(2 * x * x - x + 1 + noise(rng), '.'));
        t.SetCell(0, r, d.y.back());
        t.SetCell(1, r, d.x.back());
        sorted.SetCell(0, order[r - 1], d.y.back());
        sorted.SetCell(1, order[r - 1], d.x.back());
    }
    d.clip = kurv::TableText(t);
    d.clipSorted = kurv::TableText(sorted);
    d.file = kurv::DataFileBytes(t);
    return d;
}

double LimitSeconds(const LimitData& d, int runs) {
    std::vector<std::string> out(d.x.size());
    return MedianSeconds(runs, [&] {
        double S[10] = {};
        std::vector<double> xs(d.x.size()), ys(d.x.size());
        for (std::size_t i = 0; i < d.x.size(); ++i) {
            std::from_chars(d.y[i].data(), d.y[i].data() + d.y[i].size(), ys[i]);
            std::from_chars(d.x[i].data(), d.x[i].data() + d.x[i].size(), xs[i]);
            const double x = xs[i], y = ys[i], x2 = x * x, x3 = x2 * x, x4 = x2 * x2;
            S[0] += x, S[1] += x2, S[2] += x3, S[3] += x4, S[4] += x4 * x, S[5] += x4 * x2;
            S[6] += y, S[7] += x * y, S[8] += x2 * y, S[9] += x3 * y;
        }
        const double a = S[7] / S[1], b = S[6] / static_cast<double>(d.x.size());
        char buf[32];
        for (std::size_t i = 0; i < xs.size(); ++i) {
            const auto r =
                std::to_chars(buf, buf + sizeof buf, a * xs[i] + b, std::chars_format::general, 15);
            out[i].assign(buf, r.ptr);
        }
        Keep(out);
    });
}

}  // namespace bench
