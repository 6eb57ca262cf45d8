// Where the fitted curve is sampled: single-precision stepping as the chart's
// X extent gives it, and the evenly spaced fallback where stepping cannot work.
#include <gtest/gtest.h>

#include <cmath>

#include "core/curve.h"

namespace {

struct Case {
    const char* name;
    double xmin, xmax;
    bool fallback;  // 51 evenly spaced double positions
};

class CurveSamples : public ::testing::TestWithParam<Case> {};

TEST_P(CurveSamples, CoverTheExtent) {
    const Case& c = GetParam();
    const std::vector<double> xs = kurv::CurveSampleXs(c.xmin, c.xmax);
    if (c.fallback) {
        ASSERT_EQ(xs.size(), 51u);
        EXPECT_EQ(xs.front(), c.xmin);
        EXPECT_EQ(xs.back(), c.xmax);
        for (size_t i = 1; i < xs.size(); ++i) EXPECT_LT(xs[i - 1], xs[i]) << i;
        return;
    }
    ASSERT_TRUE(xs.size() == 50 || xs.size() == 51) << xs.size();
    EXPECT_EQ(xs.front(), static_cast<double>(static_cast<float>(c.xmin)));
    EXPECT_LT(xs.back(), static_cast<double>(static_cast<float>(c.xmax)));
    // Each position is the previous one plus the single-precision step, in single precision.
    const float step = static_cast<float>(
        (static_cast<long double>(static_cast<float>(c.xmax)) - static_cast<float>(c.xmin)) * 0.02L);
    for (size_t i = 1; i < xs.size(); ++i)
        EXPECT_EQ(xs[i], static_cast<double>(static_cast<float>(xs[i - 1]) + step)) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Extents, CurveSamples,
    ::testing::Values(Case{"small", 1, 4, false}, Case{"negative", -4.5, -0.25, false},
                      Case{"tenths", 0.1, 0.7, false}, Case{"wide", -1e30, 1e30, false},
                      // The step rounds to nothing at this magnitude: evenly spaced instead.
                      Case{"near 1e7, span 10", 1e7, 1e7 + 10, true},
                      // Beyond single precision the step cannot be formed.
                      Case{"beyond float", -1e39, 1e39, true}, Case{"one end beyond float", 0, 1e300, true}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(CurveSamples, NoneForOnePosition) {
    EXPECT_TRUE(kurv::CurveSampleXs(3, 3).empty());
    // Different doubles that are one single-precision value: no extent to draw.
    EXPECT_TRUE(kurv::CurveSampleXs(1.0, 1.0 + 1e-12).empty());
}

}  // namespace
