// Tile addressing and zoom levels: projection, scales, floor division, visible tiles,
// wrap_column, tile_key, level steps and their fatal bound checks.
#include "map/scale_bar.h"
#include "tiles/tile_math.h"
#include "map/zoom_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

namespace {

// A new map widget: level 0, origin (128, 128), then one step_up().
zoom_state new_view()
{
    zoom_state z;
    z.step_up();
    return z;
}

// The tiles the widget would ask for, in painting order.
std::vector<std::pair<qint64, qint64>> painting_order(const tile_range& range)
{
    std::vector<std::pair<qint64, qint64>> order;
    for (qint64 c = range.c0; c <= range.c1; ++c)
        for (qint64 r = range.r0; r <= range.r1; ++r)
            order.emplace_back(c, r);
    return order;
}

} // namespace

TEST(power_of_two, exact_powers_and_negative_levels)
{
    EXPECT_EQ(power_of_two(0), 1.0L);
    EXPECT_EQ(power_of_two(1), 2.0L);
    EXPECT_EQ(power_of_two(10), 1024.0L);
    EXPECT_EQ(power_of_two(18), 262144.0L);
    EXPECT_EQ(power_of_two(62), 4611686018427387904.0L);
    EXPECT_EQ(power_of_two(-2), 0.25L);
}

TEST(map_scale, constants_of_a_level)
{
    const map_scale s0 = make_scale(0);
    EXPECT_EQ(s0.tile_size, 256.0);
    EXPECT_EQ(s0.factor, 1.0);
    EXPECT_EQ(s0.map_size, 256.0);
    EXPECT_DOUBLE_EQ(s0.pixels_per_radian, 256.0 / 6.283185307179586);

    const map_scale s18 = make_scale(18);
    EXPECT_EQ(s18.factor, 262144.0);
    EXPECT_EQ(s18.map_size, 67108864.0);
    EXPECT_EQ(s18.pixels_per_radian, 67108864.0 / 6.283185307179586);
}

TEST(projection, equator_and_meridian_at_the_centre)
{
    const map_scale s1 = make_scale(1);
    EXPECT_DOUBLE_EQ(longitude_to_map_x(0, s1), 256.0);
    EXPECT_DOUBLE_EQ(latitude_to_map_y(0, s1), 256.0);
    EXPECT_NEAR(longitude_to_map_x(180, s1), 512.0, 1e-9);
    EXPECT_NEAR(longitude_to_map_x(-180, s1), 0.0, 1e-9);
    // The square projection ends at about 85.0511 degrees north and south.
    EXPECT_NEAR(latitude_to_map_y(85.05112877980659, s1), 0.0, 1e-6);
    EXPECT_NEAR(latitude_to_map_y(-85.05112877980659, s1), 512.0, 1e-6);
    // North is up: y grows southwards.
    EXPECT_LT(latitude_to_map_y(52, s1), 256.0);
    EXPECT_GT(latitude_to_map_y(-33, s1), 256.0);
}

TEST(projection, a_known_point_at_level_10)
{
    // Berlin, 13.4050 E 52.5200 N, lies in tile 550/335 at level 10.
    const map_scale s = make_scale(10);
    const double x = longitude_to_map_x(13.405, s);
    const double y = latitude_to_map_y(52.52, s);
    EXPECT_EQ(floor_div(static_cast<qint64>(x), 256), 550);
    EXPECT_EQ(floor_div(static_cast<qint64>(y), 256), 335);
}

TEST(floor_div, true_floor_for_negative_pixels)
{
    EXPECT_EQ(floor_div(0, 256), 0);
    EXPECT_EQ(floor_div(255, 256), 0);
    EXPECT_EQ(floor_div(256, 256), 1);
    EXPECT_EQ(floor_div(-1, 256), -1);
    EXPECT_EQ(floor_div(-256, 256), -1);
    EXPECT_EQ(floor_div(-257, 256), -2);
    EXPECT_EQ(floor_div(-512, 256), -2);
    EXPECT_EQ(floor_div(-513, 256), -3);
}

TEST(wrap_column, reduces_into_the_world)
{
    EXPECT_EQ(wrap_column(-1, 2), 3);
    EXPECT_EQ(wrap_column(4, 2), 0);
    EXPECT_EQ(wrap_column(9, 2), 1);
    EXPECT_EQ(wrap_column(-9, 2), 3);
    EXPECT_EQ(wrap_column(-4, 2), 0);
    EXPECT_EQ(wrap_column(3, 2), 3);
    for (qint64 c = -5; c <= 5; ++c)
        EXPECT_EQ(wrap_column(c, 0), 0) << c;
    EXPECT_EQ(wrap_column(262144, 18), 0);
    EXPECT_EQ(wrap_column(-1, 18), 262143);
    EXPECT_EQ(wrap_column(262144LL * 1000000 + 7, 18), 7);
}

TEST(tile_key, column_row_level)
{
    EXPECT_EQ(tile_key(3, 5, 4), "3_5_4");
    EXPECT_EQ(tile_key(0, 0, 0), "0_0_0");
    EXPECT_EQ(tile_key(1, -1, 1), "1_-1_1");
    EXPECT_EQ(tile_key(262143, 100000, 18), "262143_100000_18");
}

TEST(zoom_state, initial_values_and_new_widget)
{
    zoom_state z;
    EXPECT_EQ(z.minLevel, 0);
    EXPECT_EQ(z.maxLevel, 18);
    EXPECT_EQ(z.tileSize, 256);
    EXPECT_EQ(z.currentLevel, 0);
    EXPECT_EQ(z.originX, 128);
    EXPECT_EQ(z.originY, 128);
    z.step_up();
    EXPECT_EQ(z.currentLevel, 1);
    EXPECT_EQ(z.originX, 256);
    EXPECT_EQ(z.originY, 256);
}

TEST(zoom_state, visible_tiles_of_a_640_by_480_view_at_level_1)
{
    const zoom_state z = new_view();
    const tile_range range = z.visible_tiles(640, 480);
    EXPECT_EQ(range.left_x, -64);
    EXPECT_EQ(range.top_y, 16);
    EXPECT_EQ(range.c0, -1);
    EXPECT_EQ(range.c1, 2); // floor(704 / 256)
    EXPECT_EQ(range.r0, 0);
    EXPECT_EQ(range.r1, 2); // floor(624 / 256)
    EXPECT_EQ(range.count(), 12);

    // Column -1 is fetched as column 1; column 2 as column 0.
    EXPECT_EQ(wrap_column(range.c0, z.currentLevel), 1);
    EXPECT_EQ(wrap_column(range.c1, z.currentLevel), 0);

    // Drawn at (256 c - leftX, 256 r - topY).
    EXPECT_EQ(range.tile_left(-1), -192);
    EXPECT_EQ(range.tile_left(0), 64);
    EXPECT_EQ(range.tile_left(2), 576);
    EXPECT_EQ(range.tile_top(0), -16);
    EXPECT_EQ(range.tile_top(2), 496);

    // Column-major: all rows of a column before the next column.
    const auto order = painting_order(range);
    ASSERT_EQ(order.size(), 12u);
    EXPECT_EQ(order[0], std::make_pair(qint64(-1), qint64(0)));
    EXPECT_EQ(order[1], std::make_pair(qint64(-1), qint64(1)));
    EXPECT_EQ(order[2], std::make_pair(qint64(-1), qint64(2)));
    EXPECT_EQ(order[3], std::make_pair(qint64(0), qint64(0)));
    EXPECT_EQ(order[11], std::make_pair(qint64(2), qint64(2)));
}

TEST(zoom_state, visible_tiles_half_tile_margin_on_far_sides_only)
{
    zoom_state z = new_view();
    z.originX = 512;
    z.originY = 512;
    // 512 x 512 view: left edge at map pixel 256 exactly, right edge at 768.
    tile_range range = z.visible_tiles(512, 512);
    EXPECT_EQ(range.c0, 1);
    EXPECT_EQ(range.r0, 1);
    EXPECT_EQ(range.c1, 3); // floor((512 + 256 + 128) / 256)
    EXPECT_EQ(range.r1, 3);
    // One pixel further west reaches column 0 at once: the near side adds nothing.
    z.originX = 511;
    range = z.visible_tiles(512, 512);
    EXPECT_EQ(range.c0, 0);
    EXPECT_EQ(range.c1, 3);
    // Odd sizes: the halves truncate.
    z.originX = 0;
    z.originY = 0;
    range = z.visible_tiles(3, 5);
    EXPECT_EQ(range.left_x, -1);
    EXPECT_EQ(range.top_y, -2);
    EXPECT_EQ(range.c0, -1);
    EXPECT_EQ(range.c1, 0);
}

TEST(zoom_state, widget_and_map_pixels)
{
    const zoom_state z = new_view();
    const map_pixel m = z.widget_to_map(0, 0, 640, 480);
    EXPECT_EQ(m.x, -64);
    EXPECT_EQ(m.y, 16);
    const map_pixel centre = z.widget_to_map(320, 240, 640, 480);
    EXPECT_EQ(centre.x, 256);
    EXPECT_EQ(centre.y, 256);
    const map_pixel w = z.map_to_widget(256, 256, 640, 480);
    EXPECT_EQ(w.x, 320);
    EXPECT_EQ(w.y, 240);
    EXPECT_EQ(z.left_x(641), 256 - 320);
    EXPECT_EQ(z.top_y(481), 256 - 240);
    EXPECT_EQ(z.column_of(-1), -1);
    EXPECT_EQ(z.column_of(-257), -2);
    EXPECT_EQ(z.row_of(511), 1);
}

TEST(zoom_state, go_to_level_18_from_level_1)
{
    zoom_state z = new_view();
    z.go_to_level(18);
    EXPECT_EQ(z.currentLevel, 18);
    EXPECT_EQ(z.originX, 256LL << 17);
    EXPECT_EQ(z.originY, 256LL << 17);
    z.go_to_level(0);
    EXPECT_EQ(z.currentLevel, 0);
    EXPECT_EQ(z.originX, 128);
    EXPECT_EQ(z.originY, 128);
    // Already there: nothing changes.
    z.go_to_level(0);
    EXPECT_EQ(z.currentLevel, 0);
    EXPECT_EQ(z.originX, 128);
}

TEST(zoom_state, step_down_truncates_toward_zero)
{
    zoom_state z = new_view();
    z.originX = -3;
    z.originY = 5;
    z.step_down();
    EXPECT_EQ(z.currentLevel, 0);
    EXPECT_EQ(z.originX, -1);
    EXPECT_EQ(z.originY, 2);
}

TEST(zoom_state, step_up_doubles_negative_origins)
{
    zoom_state z = new_view();
    z.originX = -3;
    z.originY = -100;
    z.step_up();
    EXPECT_EQ(z.currentLevel, 2);
    EXPECT_EQ(z.originX, -6);
    EXPECT_EQ(z.originY, -200);
}

namespace {
const zoom_state* watched = nullptr;
// Runs at exit in the dying child: shows where go_to_level stopped.
void report_watched()
{
    if (watched)
        std::cerr << "stopped at level " << watched->currentLevel << " origin " << watched->originX
                  << std::endl;
}
} // namespace

TEST(zoom_state_death, go_to_level_19_stops_the_process_after_reaching_18)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // the child re-runs the test binary
    EXPECT_EXIT(
        {
            static zoom_state z = new_view();
            watched = &z;
            std::atexit(&report_watched);
            z.go_to_level(19);
        },
        ::testing::ExitedWithCode(255), "currentLevel >= maxLevel\nstopped at level 18 origin 33554432");
}

TEST(zoom_state_death, step_up_at_max_level)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    zoom_state z;
    z.currentLevel = 18;
    EXPECT_EXIT(z.step_up(), ::testing::ExitedWithCode(255), "^currentLevel >= maxLevel\n$");
}

TEST(zoom_state_death, step_down_at_min_level)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    zoom_state z;
    EXPECT_EXIT(z.step_down(), ::testing::ExitedWithCode(255), "^currentLevel <= minLevel\n$");
    EXPECT_EXIT(z.go_to_level(-1), ::testing::ExitedWithCode(255), "currentLevel <= minLevel");
}

TEST(projection, poles_and_beyond_are_clamped_to_the_world_edges)
{
    const map_scale s1 = make_scale(1);
    EXPECT_EQ(latitude_to_map_y(90, s1), latitude_to_map_y(max_map_latitude, s1));
    EXPECT_EQ(latitude_to_map_y(-90, s1), latitude_to_map_y(-max_map_latitude, s1));
    EXPECT_EQ(latitude_to_map_y(120, s1), latitude_to_map_y(max_map_latitude, s1));
    EXPECT_NEAR(latitude_to_map_y(90, s1), 0.0, 1e-6);
    EXPECT_NEAR(latitude_to_map_y(-90, s1), 512.0, 1e-6);
    EXPECT_EQ(clamp_latitude(85.0), 85.0);
    EXPECT_EQ(clamp_latitude(-85.06), -max_map_latitude);
}

TEST(projection, unit_coordinates_scale_to_map_pixels)
{
    for (int level : {0, 1, 10, 18}) {
        const map_scale s = make_scale(level);
        for (double lat : {-89.0, -33.9, 0.0, 52.0, 84.0}) {
            EXPECT_NEAR(latitude_to_unit_y(lat) * s.map_size, latitude_to_map_y(lat, s), 1e-6) << level;
        }
        for (double lon : {-180.0, -71.5, 0.0, 13.4, 180.0}) {
            EXPECT_NEAR(longitude_to_unit_x(lon) * s.map_size, longitude_to_map_x(lon, s), 1e-6) << level;
        }
    }
}

TEST(ground_resolution, matches_web_mercator_metres_per_pixel)
{
    EXPECT_NEAR(ground_resolution(0, 0), 156543.03392804097, 1e-6);
    EXPECT_NEAR(ground_resolution(0, 18), 0.5971642834779395, 1e-12);
    EXPECT_NEAR(ground_resolution(60, 1), 156543.03392804097 / 2 / 2, 1e-6);
    EXPECT_NEAR(ground_resolution(-60, 1), ground_resolution(60, 1), 1e-9);
    // Past the map's edge the edge's resolution holds.
    EXPECT_DOUBLE_EQ(ground_resolution(90, 3), ground_resolution(max_map_latitude, 3));
}

TEST(unit_to_position, inverts_the_projection)
{
    for (double lat : {-85.0, -33.5, 0.0, 47.25, 84.9})
        EXPECT_NEAR(unit_y_to_latitude(latitude_to_unit_y(lat)), lat, 1e-9);
    for (double lon : {-180.0, -70.25, 0.0, 8.5, 179.5})
        EXPECT_NEAR(unit_x_to_longitude(longitude_to_unit_x(lon)), lon, 1e-9);
}

// The bar shown at a latitude and level: the longest 1-2-5 length within 120 pixels.
TEST(scale_bar, length_follows_the_ground_resolution)
{
    struct row
    {
        double latitude;
        int level;
        double metres;
        const char* label;
    };
    const row rows[] = {
        {0, 0, 10000000, "10000 km"}, // 156543 m per pixel: 18,785 km in 120 pixels
        {52.5, 10, 10000, "10 km"},   // 93.06 m per pixel: 11.17 km
        {60, 15, 200, "200 m"},       // 2.389 m per pixel: 286.6 m
        {-33, 18, 50, "50 m"},        // 0.5008 m per pixel: 60.1 m
        {85.05, 5, 50000, "50 km"},   // 422.1 m per pixel: 50.6 km
        {80, 3, 200000, "200 km"},    // 3398 m per pixel: 407.7 km
        {47.25, 12, 2000, "2 km"},    // 25.94 m per pixel: 3.11 km
        {0, 18, 50, "50 m"},          // 0.597 m per pixel: 71.7 m
    };
    for (const row& r : rows) {
        const double per_pixel = ground_resolution(r.latitude, r.level);
        const scale_bar bar = scale_bar::choose(per_pixel, 120);
        SCOPED_TRACE(r.label);
        EXPECT_DOUBLE_EQ(bar.metres, r.metres);
        EXPECT_EQ(bar.label.toStdString(), r.label);
        EXPECT_NEAR(bar.pixels, r.metres / per_pixel, 1e-9);
        EXPECT_LE(bar.pixels, 120.0);
        // The next round length up would not fit.
        const double lead = bar.metres / std::pow(10.0, std::floor(std::log10(bar.metres)));
        const double next = bar.metres * (lead == 2 ? 2.5 : 2);
        EXPECT_GT(next / per_pixel, 120.0);
    }
}

TEST(scale_bar, nothing_for_unusable_resolutions)
{
    EXPECT_EQ(scale_bar::choose(0, 120).metres, 0);
    EXPECT_EQ(scale_bar::choose(-1, 120).metres, 0);
    EXPECT_EQ(scale_bar::choose(std::nan(""), 120).metres, 0);
    EXPECT_EQ(scale_bar::choose(0.001, 120).metres, 0); // 12 cm: below a metre
    EXPECT_TRUE(scale_bar::choose(0.001, 120).label.isEmpty());
    EXPECT_EQ(scale_bar::choose(0.01, 120).metres, 1);
}
