// The machine's limit for one recalculation of N rows, against which the
// window's waits and the command line are measured: one pass that parses the
// 2×N texts with from_chars and forms the power sums, then N texts formatted
// with to_chars. And the rows it is measured on.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct LimitData {
    std::vector<std::string> y, x;  // in random X order
    std::string clip, clipSorted, file;
};

// `rows` pairs of Y ≈ 2X² − X + 1 in random X order, as texts, as the clipboard's
// text (also sorted by X) and as the data file.
LimitData MakeLimitData(int rows);

// The median of `runs` passes, in seconds.
double LimitSeconds(const LimitData& d, int runs);

}  // namespace bench
