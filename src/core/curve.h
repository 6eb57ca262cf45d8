// Where the fitted curve is sampled between the smallest and largest X.
#pragma once

#include <vector>

namespace kurv {

// Positions stepped in single precision from xmin while below xmax, the step
// being (xmax - xmin) * 0.02 rounded to single: 50 or 51 positions, none when
// xmin == xmax. Where the step cannot advance the position, or the extent does
// not fit in single precision, 51 evenly spaced double positions from xmin to
// xmax instead.
std::vector<double> CurveSampleXs(double xmin, double xmax);

}  // namespace kurv
