// Tick placement of the burst axes: 1-2-5 steps, gaps, bounds.
#include "views/burst/axis_ticks.h"
#include "views/burst/burst_axis.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <limits>
#include <vector>

TEST(axis_ticks, raw_scale_of_the_overview)
{
    // 4096 raw units over 300 pixels at >= 28 pixels apart: at least 382.3 units, so 500.
    EXPECT_EQ(axis_tick_step(0, 4096, 300, 28), 500.0);
    EXPECT_EQ(axis_ticks(0, 4096, 300, 28),
              (std::vector<double>{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000}));
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
    // Past 2^53 adding 1 changes nothing; a range past the largest double, a NaN gap: still ends.
    EXPECT_EQ(axis_ticks(1e16, 1e16, 300, 28), (std::vector<double>{1e16}));
    EXPECT_TRUE(axis_ticks(-1e308, 1e308, 300, 28).empty());
    EXPECT_TRUE(axis_ticks(0, 1, 300, std::nan("")).empty());
    // A step below the least power of ten a double holds (found by fuzzing): bounded ticks.
    EXPECT_EQ(axis_ticks(0, 1e-314, 1e9, 0).size(), 10000u);
    EXPECT_TRUE(axis_ticks(-1e160, -0.99e160, 1e308, 20).empty()); // lo / step past the largest double
}

TEST(burst_axis, raw_labels_sit_on_the_rows_the_panel_draws)
{
    const std::vector<burst_axis::tick> ticks = burst_axis::ticks(300, std::nullopt, 0);
    ASSERT_EQ(ticks.size(), 9u);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const int v = 500 * static_cast<int>(i);
        EXPECT_EQ(ticks[i].label, QString::number(v));
        EXPECT_EQ(ticks[i].y, static_cast<int>(std::trunc(300 - 300.0 * v / 4096)));
    }
    EXPECT_EQ(ticks.front().y, 300); // 0 raw: one below the last row, as in the panel
    EXPECT_EQ(ticks.back().y, 7);    // 4000 raw: trunc(300 - 292.97)
}

TEST(burst_axis, g_labels_follow_offset_and_scale)
{
    burst_calibration c;
    c.axes[1] = {2048, 512}; // Y: -4 g at raw 0, 4 g at raw 4096
    const std::vector<burst_axis::tick> ticks = burst_axis::ticks(300, c, 1); // 37.5 pixels per g
    QStringList labels;
    for (const burst_axis::tick& t : ticks)
        labels << t.label;
    EXPECT_EQ(labels.join(' '), QString("-4 -3 -2 -1 0 1 2 3 4"));
    EXPECT_EQ(ticks[4].y, 150); // 0 g at raw 2048: the middle row
    EXPECT_EQ(ticks[5].y, 112); // 1 g at raw 2560: trunc(300 - 187.5)
    // An inverted scale puts positive g at the bottom.
    c.axes[1].per_g = -1024;
    const std::vector<burst_axis::tick> inverted = burst_axis::ticks(300, c, 1); // -2 ... 2 g, 0.5 g steps
    ASSERT_EQ(inverted.size(), 9u);
    EXPECT_EQ(inverted.front().label, QString("-2"));
    EXPECT_EQ(inverted.front().y, 0);
    EXPECT_EQ(inverted[1].label, QString("-1.5"));
    EXPECT_EQ(inverted.back().y, 300);
}
