#include "core/curve.h"

#include <cmath>

namespace kurv {

std::vector<double> CurveSampleXs(double xmin, double xmax) {
    std::vector<double> xs;
    const float lo = static_cast<float>(xmin);
    const float hi = static_cast<float>(xmax);
    const bool fits = std::isfinite(lo) && std::isfinite(hi);
    if (fits) {
        const float step = static_cast<float>((static_cast<long double>(hi) - lo) * 0.02L);
        float x = lo;
        while (x < hi) {
            xs.push_back(x);
            const float next = x + step;
            if (!(next > x)) break;  // the step no longer moves the position
            x = next;
            if (xs.size() > 10000) break;  // a guard only: an advancing step gives about 50
        }
        if (x >= hi || xs.empty()) return xs;
    } else if (!(xmin < xmax)) {
        return xs;
    }
    xs.clear();
    for (int i = 0; i <= 50; ++i) {
        const long double t = static_cast<long double>(i) / 50;
        xs.push_back(i == 50 ? xmax
                             : static_cast<double>(xmin + (static_cast<long double>(xmax) - xmin) * t));
    }
    return xs;
}

}  // namespace kurv
