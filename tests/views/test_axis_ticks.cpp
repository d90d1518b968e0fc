// Tick placement of the burst axes: 1-2-5 steps, gaps, bounds.
#include "views/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(axis_ticks, raw_scale_of_the_overview)
{
    // 4096 raw units over 300 pixels at >= 28 pixels apart: at least 382.3 units, so 500.
    EXPECT_EQ(axis_tick_step(0, 4096, 300, 28), 500.0);
    EXPECT_EQ(axis_ticks(0, 4096, 300, 28), (std::vector<double>{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000}));
    // Taller: 200 units (153.6 needed over 750 pixels).
    EXPECT_EQ(axis_tick_step(0, 4096, 750, 28), 200.0);
    // Exactly on a step: 1000 units over 28 pixels... needs 1000, not 2000.
    EXPECT_EQ(axis_tick_step(0, 1000, 28, 28), 1000.0);
}

TEST(axis_ticks, g_ranges_cross_zero_without_minus_zero)
{
    const std::vector<double> t = axis_ticks(-4, 4, 300, 28); // 0.747 g needed: 1 g
    EXPECT_EQ(t, (std::vector<double>{-4, -3, -2, -1, 0, 1, 2, 3, 4}));
    EXPECT_FALSE(std::signbit(t[4]));
    // 0.066 g needed over 400 pixels: 0.1 g steps.
    const std::vector<double> fine = axis_ticks(-0.33, 0.33, 400, 40);
    ASSERT_EQ(fine.size(), 7u);
    for (std::size_t i = 0; i < fine.size(); ++i)
        EXPECT_NEAR(fine[i], -0.3 + 0.1 * static_cast<double>(i), 1e-12);
}

TEST(axis_ticks, degenerate_input_gives_nothing)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(axis_ticks(1, 0, 300, 28).empty());
    EXPECT_TRUE(axis_ticks(0, 1, 0, 28).empty());
    EXPECT_TRUE(axis_ticks(0, inf, 300, 28).empty());
    EXPECT_TRUE(axis_ticks(std::nan(""), 1, 300, 28).empty());
    EXPECT_EQ(axis_ticks(5, 5, 300, 28), (std::vector<double>{5}));
}
