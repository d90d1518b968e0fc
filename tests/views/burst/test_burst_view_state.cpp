// The burst view's zoom and pan arithmetic without a widget: scale, hover position, resize, wheel
// steps, drag, the keyboard moves (pan by views, zoom about the centre, show all) and jumps.
#include "views/burst/burst_view_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr qint32 int_min = std::numeric_limits<qint32>::min();
constexpr qint32 int_max = std::numeric_limits<qint32>::max();
const double not_a_number = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

// A view over total positions, placed at offset with span positions across.
burst_view_state placed(double total, double offset, double span)
{
    burst_view_state v(total);
    v.set_offset(offset);
    v.set_span(span);
    return v;
}

} // namespace

TEST(burst_view_state, a_new_view_shows_all_positions_from_the_start)
{
    const burst_view_state v(1000);
    EXPECT_EQ(v.begin(), 0.0);
    EXPECT_EQ(v.end(), 1000.0);
    EXPECT_EQ(v.offset(), 0.0);
    EXPECT_EQ(v.span(), 1000.0);
    EXPECT_EQ(v.drag_start_offset(), 0.0);
    EXPECT_EQ(v.left(), 0.0);
    EXPECT_EQ(placed(1000, -37.5, 10).left(), -37.5);
}

TEST(burst_view_state, positions_per_pixel)
{
    struct row
    {
        double span;
        int width;
        double expected;
    };
    const std::vector<row> rows{
        {1000, 500, 2}, {1000, 400, 2.5}, {3, 4, 0.75}, {1000, 1, 1000},
        {1000, 0, 0},   {0, 500, 0},      {0, 0, 0},    {1296000000, 1600, 810000},
    };
    for (const row& r : rows)
        EXPECT_EQ(placed(1e6, 0, r.span).positions_per_pixel(r.width), r.expected)
            << r.span << " across " << r.width;
}

TEST(burst_view_state, position_at_truncates_toward_zero_and_saturates)
{
    struct row
    {
        double value;
        qint32 expected;
    };
    const std::vector<row> rows{
        {0, 0},
        {1.9, 1},
        {-1.9, -1},
        {-0.5, 0},
        {2147483646.5, 2147483646},
        {2147483647, int_max},
        {2147483647.5, int_max},
        {1e12, int_max},
        {infinity, int_max},
        {-2147483647.9, -2147483647},
        {-2147483648, int_min},
        {-2147483648.5, int_min},
        {-1e12, int_min},
        {-infinity, int_min},
        {not_a_number, int_min},
    };
    for (const row& r : rows)
        EXPECT_EQ(burst_view_state::position_at(r.value), r.expected) << r.value;
}

TEST(burst_view_state, position_under_a_pixel)
{
    struct row
    {
        double offset;
        double span;
        int width;
        int x;
        qint32 expected;
    };
    const std::vector<row> rows{
        {0, 1000, 500, 60, 120},
        {1, 1000, 500, 3, 7},
        {950, 1000, 500, 100, 1150},
        {-500, 1000, 500, 10, -480},
        {-0.5, 1000, 500, 0, 0},
        {-0.5, 1000, 500, 1, 1},
        {0, 1000, 400, 3, 7},
        {7.5, 1000, 0, 100, 7},
        {0, 0, 500, 499, 0},
        {3e9, 1000, 500, 0, int_max},
        {-3e9, 1000, 500, 499, int_min},
        {0, 1e300, 500, 1, int_max},
    };
    for (const row& r : rows)
        EXPECT_EQ(placed(1000, r.offset, r.span).position_at_pixel(r.x, r.width), r.expected)
            << "offset " << r.offset << ", span " << r.span << ", width " << r.width << ", x " << r.x;
}

TEST(burst_view_state, resize_keeps_the_scale_after_the_first)
{
    struct row
    {
        const char* name;
        double total;
        double span;
        int old_width;
        int new_width;
        double expected;
    };
    const std::vector<row> rows{
        {"first show", 1000, 1000, -1, 500, 1000},
        {"first from zero width", 1000, 1000, 0, 500, 1000},
        {"first, more than a week", 1e9, 1e9, -1, 500, 604800000},
        {"first, exactly the limit", 604800000, 604800000, -1, 500, 604800000},
        {"first over no data", 0, 0, -1, 300, 0},
        {"first resets a changed span", 1000, 40, -1, 300, 1000},
        {"wider", 1000, 1000, 500, 1000, 2000},
        {"narrower", 1000, 1000, 400, 200, 500},
        {"same width", 1000, 1000, 400, 400, 1000},
        {"to zero width", 1000, 1000, 500, 0, 0},
        {"from zero width starts over", 1000, 0, 0, 300, 1000},
    };
    for (const row& r : rows) {
        burst_view_state v = placed(r.total, 25, r.span);
        v.resize(r.old_width, r.new_width);
        EXPECT_EQ(v.span(), r.expected) << r.name;
        EXPECT_EQ(v.offset(), 25.0) << r.name;
    }
}

TEST(burst_view_state, zoom_steps_about_a_pixel)
{
    struct row
    {
        const char* name;
        int steps;
        double span;
        double offset;
        int x;
        int width;
        bool accepted;
        double expected_span;
        double expected_offset;
    };
    const std::vector<row> rows{
        {"one step in", -1, 1000, 40, 123, 500, true, 900, 64.6},
        {"one step out", 1, 1000, 40, 123, 500, true, 1100, 15.4},
        {"two steps in at once", -2, 1000, 40, 123, 500, true, 800, 89.2},
        {"three steps out at once", 3, 1000, 0, 500, 500, true, 1300, -300},
        {"in about the centre", -1, 1000, 0, 250, 500, true, 900, 50},
        {"out about the centre", 1, 1000, 0, 250, 500, true, 1100, -50},
        {"about the left edge", -1, 1000, 40, 0, 500, true, 900, 40},
        {"in to 100.8", -1, 112, 40, 123, 500, true, 100.8, 42.7552},
        {"in to 99.9 refused", -1, 111, 40, 123, 500, false, 111, 40},
        {"in to exactly 100 refused", -1, 1000.0 / 9, 40, 123, 500, false, 1000.0 / 9, 40},
        {"out to 1287000000", 1, 1170000000, 40, 123, 500, true, 1287000000, -28781960},
        {"out to 1320000000 refused", 1, 1200000000, 40, 123, 500, false, 1200000000, 40},
        {"no steps", 0, 1000, 40, 123, 500, false, 1000, 40},
        {"zero width: about the left edge", -1, 1000, 40, 123, 0, true, 900, 40},
        {"no data", -1, 0, 40, 123, 500, false, 0, 40},
        {"far past the end", -1, 1000, 5e9, 250, 500, true, 900, 5000000050},
    };
    for (const row& r : rows) {
        burst_view_state v = placed(1000, r.offset, r.span);
        EXPECT_EQ(v.zoom_steps(r.steps, r.x, r.width), r.accepted) << r.name;
        EXPECT_DOUBLE_EQ(v.span(), r.expected_span) << r.name;
        EXPECT_DOUBLE_EQ(v.offset(), r.expected_offset) << r.name;
    }
}

TEST(burst_view_state, zoom_steps_keep_the_position_under_the_cursor)
{
    for (int steps : {-3, -1, 1, 2})
        for (int x : {0, 1, 77, 250, 499}) {
            burst_view_state v = placed(1e6, 1234.5, 8000);
            const double before = v.offset() + v.positions_per_pixel(500) * x;
            ASSERT_TRUE(v.zoom_steps(steps, x, 500));
            EXPECT_NEAR(v.offset() + v.positions_per_pixel(500) * x, before, 1e-9)
                << steps << " steps at " << x;
        }
}

TEST(burst_view_state, pan_by_pixels_follows_the_mouse)
{
    struct row
    {
        const char* name;
        double span;
        int width;
        double offset;
        int dx;
        double expected;
    };
    const std::vector<row> rows{
        {"right shows earlier positions", 2000, 500, 30, 50, -170},
        {"left shows later positions", 2000, 500, 30, -10, 70},
        {"fractions truncate toward zero, right", 1000, 400, 30, 3, 23},
        {"fractions truncate toward zero, left", 1000, 400, 30, -3, 37},
        {"less than a position", 1000, 4000, 30, 3, 30},
        {"zero width", 1000, 0, 30, 100, 30},
        {"no movement", 2000, 500, 30, 0, 30},
        {"past the start", 2000, 500, 0, 1000, -4000},
        {"past the end", 1000, 500, 900, -1000, 2900},
    };
    for (const row& r : rows) {
        burst_view_state v = placed(1000, r.offset, r.span);
        v.pan_pixels(r.dx, r.width);
        EXPECT_EQ(v.offset(), r.expected) << r.name;
        EXPECT_EQ(v.span(), r.span) << r.name;
    }
}

TEST(burst_view_state, drag_measures_from_its_start)
{
    burst_view_state v = placed(1000, 30, 2000); // 4 positions per pixel at 500 pixels
    v.start_drag();
    EXPECT_EQ(v.drag_start_offset(), 30.0);
    v.drag_by(20, 500);
    EXPECT_EQ(v.offset(), -50.0);
    v.drag_by(50, 500);
    EXPECT_EQ(v.offset(), -170.0);
    v.drag_by(-10, 500);
    EXPECT_EQ(v.offset(), 70.0);
    v.drag_by(0, 500);
    EXPECT_EQ(v.offset(), 30.0);
    EXPECT_EQ(v.drag_start_offset(), 30.0);

    // A zoom during the drag changes the scale of the next move, not its start.
    v.drag_by(-10, 500);
    v.set_span(1000);
    v.drag_by(-10, 500);
    EXPECT_EQ(v.offset(), 50.0);

    v.start_drag();
    EXPECT_EQ(v.drag_start_offset(), 50.0);
    v.drag_by(1000000, 0);
    EXPECT_EQ(v.offset(), 50.0);
}

TEST(burst_view_state, pan_by_views)
{
    struct row
    {
        double span;
        double offset;
        double views;
        double expected;
    };
    const std::vector<row> rows{
        {1000, 40, 0.25, 290}, {1000, 40, -0.25, -210}, {1000, 40, 1, 1040},  {1000, 40, -1, -960},
        {1000, 40, 0, 40},     {0, 40, 1, 40},          {1000, 900, 1, 1900}, {1e9, 0, -1, -1e9},
    };
    for (const row& r : rows) {
        burst_view_state v = placed(1000, r.offset, r.span);
        v.pan_views(r.views);
        EXPECT_EQ(v.offset(), r.expected) << r.views << " views of " << r.span;
        EXPECT_EQ(v.span(), r.span);
    }

    // A quarter view four times is one view; there and back returns exactly.
    burst_view_state v = placed(1000, 40, 1000);
    for (int i = 0; i < 4; ++i)
        v.pan_views(0.25);
    EXPECT_EQ(v.offset(), 1040.0);
    v.pan_views(-1);
    EXPECT_EQ(v.offset(), 40.0);
}

TEST(burst_view_state, zoom_about_the_centre)
{
    struct row
    {
        const char* name;
        double factor;
        double span;
        double offset;
        bool accepted;
        double expected_span;
        double expected_offset;
    };
    const std::vector<row> rows{
        {"in twice as close", 0.5, 1000, 40, true, 500, 290},
        {"out twice as far", 2, 1000, 40, true, 2000, -460},
        {"in to 101", 0.5, 202, 0, true, 101, 50.5},
        {"in to exactly 100 refused", 0.5, 200, 0, false, 200, 0},
        {"in below 100 refused", 0.5, 150, 0, false, 150, 0},
        {"out to 1200000000", 2, 600000000, 0, true, 1200000000, -300000000},
        {"out to exactly the limit refused", 2, 648000000, 0, false, 648000000, 0},
        {"in from beyond the outer limit", 0.5, 3e9, 0, true, 1.5e9, 7.5e8},
        {"factor 1 changes nothing", 1, 1000, 40, false, 1000, 40},
        {"no data", 2, 0, 40, false, 0, 40},
        {"not a number", not_a_number, 1000, 40, false, 1000, 40},
        {"infinity", infinity, 1000, 40, false, 1000, 40},
    };
    for (const row& r : rows) {
        burst_view_state v = placed(1000, r.offset, r.span);
        EXPECT_EQ(v.zoom_about_centre(r.factor), r.accepted) << r.name;
        EXPECT_EQ(v.span(), r.expected_span) << r.name;
        EXPECT_EQ(v.offset(), r.expected_offset) << r.name;
    }

    // In and out again returns to the same view.
    burst_view_state v = placed(1000, 40, 1000);
    ASSERT_TRUE(v.zoom_about_centre(0.5));
    ASSERT_TRUE(v.zoom_about_centre(2));
    EXPECT_EQ(v.span(), 1000.0);
    EXPECT_EQ(v.offset(), 40.0);
}

TEST(burst_view_state, show_all)
{
    struct row
    {
        double total;
        double offset;
        double span;
    };
    // The whole data, even where the first resize or the zoom limit would show less.
    const std::vector<row> rows{{1000, -300, 90}, {1000, 5e9, 1e9}, {1e10, 7, 604800000}, {0, 12, 0}};
    for (const row& r : rows) {
        burst_view_state v = placed(r.total, r.offset, r.span);
        v.show_all();
        EXPECT_EQ(v.offset(), 0.0) << r.total;
        EXPECT_EQ(v.span(), r.total) << r.total;
        EXPECT_EQ(v.left(), 0.0);
    }
}

TEST(burst_view_state, a_jump_centres_the_burst_at_fifty_of_its_lengths_or_the_closer_zoom)
{
    struct row
    {
        double span_before, first, count;
        double span, offset; // by hand: span = min(before, clamp(50 * count, 100, ...)), middle centred
    };
    const std::vector<row> rows{
        {100000, 1000, 40, 2000, 20}, // 50 * 40 = 2000; middle 1020 - 1000
        {500, 1000, 40, 500, 770},    // the current zoom is closer: 1020 - 250
        {100000, 7, 1, 100, -42.5},   // 50 positions would pass min_span: 100; 7.5 - 50
        {2000, 1000, 40, 2000, 20},   // already there: nothing changes
    };
    for (const row& r : rows) {
        burst_view_state v = placed(1e6, 12345, r.span_before);
        v.jump_to(r.first, r.count);
        EXPECT_EQ(v.span(), r.span) << r.first << " + " << r.count;
        EXPECT_EQ(v.offset(), r.offset) << r.first << " + " << r.count;
    }
}
