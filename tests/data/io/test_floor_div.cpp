// Floor division for either sign of dividend and divisor, against the floor of the exact quotient.
#include "data/io/floor_div.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(floor_div, table)
{
    struct row
    {
        qint64 a, b, q;
    };
    const row rows[] = {{7, 2, 3},       {-7, 2, -4},     {7, -2, -4},   {-7, -2, 3},      {6, 3, 2},
                        {-6, 3, -2},     {6, -3, -2},     {0, 5, 0},     {0, -5, 0},       {-1, 256, -1},
                        {-256, 256, -1}, {-257, 256, -2}, {255, 256, 0}, {5, -360000, -1}, {-5, -360000, 0}};
    for (const row& r : rows)
        EXPECT_EQ(floor_div(r.a, r.b), r.q) << r.a << " / " << r.b;
}

TEST(floor_div, matches_the_floor_of_the_quotient)
{
    for (qint64 a = -600; a <= 600; ++a)
        for (qint64 b : {-257, -7, -2, -1, 1, 2, 7, 256})
            EXPECT_EQ(floor_div(a, b), static_cast<qint64>(std::floor(static_cast<double>(a) / b)))
                << a << " / " << b;
}

TEST(floor_div, extremes_do_not_overflow)
{
    const qint64 low = std::numeric_limits<qint64>::min();
    EXPECT_EQ(floor_div(low, 256), low / 256);
    EXPECT_EQ(floor_div(low + 1, 256), low / 256);
    EXPECT_EQ(floor_div(std::numeric_limits<qint64>::max(), -1), -std::numeric_limits<qint64>::max());
}
