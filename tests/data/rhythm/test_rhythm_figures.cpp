// Rest-activity figures on a small hand-computed profile, and the period of generated rhythms.
#include "data/rhythm/rhythm_csv.h"
#include "data/rhythm/rhythm_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

struct bins
{
    std::vector<double> activity;
    std::vector<qint64> samples;
    // One hour's ten bins at value v; missing ones have no samples (and a stored 0).
    void hour(double v, bool present = true)
    {
        for (int b = 0; b < 10; ++b) {
            activity.push_back(present ? v : 0);
            samples.push_back(present ? 20 : 0);
        }
    }
};

} // namespace

TEST(rhythm_figures, hand_computed_profile)
{
    // Day 1: hours 0-4 at 2, 5-14 at 8, 15-23 at 4. Day 2: hour 0 missing, 1-4 at 2, 5-14 at 8,
    // 15-23 at 6. Profile: 2, 8, 5 over the same hours (hour 0 from day 1 alone; as a zero it would
    // pull L5 down to 1.8).
    bins s;
    for (int day = 0; day < 2; ++day)
        for (int h = 0; h < 24; ++h)
            s.hour(h < 5 ? 2 : h < 15 ? 8 : day == 0 ? 4 : 6, !(day == 1 && h == 0));
    const rhythm_figures f = rhythm_figures::compute(s.activity, s.samples);
    EXPECT_EQ(f.days, 2);
    EXPECT_TRUE(std::isnan(f.hourly[24]));
    EXPECT_DOUBLE_EQ(f.profile[0], 2);
    EXPECT_DOUBLE_EQ(f.profile[239], 5);
    EXPECT_DOUBLE_EQ(f.l5, 2);
    EXPECT_DOUBLE_EQ(f.l5_start, 0);
    EXPECT_DOUBLE_EQ(f.m10, 8);
    EXPECT_DOUBLE_EQ(f.m10_start, 5);
    EXPECT_DOUBLE_EQ(f.ra, 0.6);
    // N = 47 hours, mean 268/47, sum of squares 1784 - 268²/47 = 12024/47. Hour means 2, 8, 5:
    // between = 277821/2209, IS = 47 * between / (24 * 12024/47) = 277821/288576. Steps of consecutive
    // present hours: 36 + 16 (day 1) + 36 + 4 (day 2) = 92; IV = 47 * 92 / (46 * 12024/47) = 4418/12024.
    EXPECT_NEAR(f.is, 277821.0 / 288576.0, 1e-12);
    EXPECT_NEAR(f.iv, 4418.0 / 12024.0, 1e-12);
}

TEST(rhythm_figures, window_wraps_around_midnight_and_one_day_is_too_few)
{
    // One day, quiet from 22:00 to 03:00: L5 starts at 22.0 and wraps; IS, IV and period need 2 days.
    bins s;
    for (int h = 0; h < 24; ++h)
        s.hour(h >= 22 || h < 3 ? 1 : 10);
    const rhythm_figures f = rhythm_figures::compute(s.activity, s.samples);
    EXPECT_DOUBLE_EQ(f.l5, 1);
    EXPECT_DOUBLE_EQ(f.l5_start, 22);
    EXPECT_FALSE(f.enough_days());
    EXPECT_TRUE(std::isnan(f.is));
    EXPECT_FALSE(f.has_period);
    // A name a spreadsheet would run as a formula is quoted behind an apostrophe; the figures stay numbers.
    const std::pair<const char*, const char*> names[] = {
        {"a,b.txt", "\"a,b.txt\""}, {"plain", "plain"}, {"=1+1", "\"'=1+1\""}, {"-walk", "\"'-walk\""},
        {"+x", "\"'+x\""},           {"@a", "\"'@a\""},    {"-1.5", "\"'-1.5\""},   {"\tx\"", "\"'\tx\"\"\""}};
    for (const auto& [name, field] : names)
        EXPECT_EQ(rhythm_summary_row(QString::fromUtf8(name), f).toStdString(),
                  field + std::string(",1,1,22,10,3,0.8181818182,NA,NA,NA,NA,NA\n"));
}

TEST(rhythm_figures, period_of_generated_rhythms)
{
    for (double period : {24.0, 25.0}) {
        bins s;
        std::mt19937 rng(3);
        std::normal_distribution<double> noise(0, 0.5);
        for (int k = 0; k < 14 * 240; ++k) {
            const double t = k / 10.0;
            // Every fifth hour missing, so the gaps are taken as gaps.
            const bool present = int(t) % 5 != 0;
            s.activity.push_back(present ? 2 + std::sin(2 * M_PI * t / period) + noise(rng) : 0);
            s.samples.push_back(present ? 20 : 0);
        }
        const rhythm_figures f = rhythm_figures::compute(s.activity, s.samples);
        ASSERT_TRUE(f.has_period);
        EXPECT_EQ(f.period.periods.size(), 321u);
        EXPECT_NEAR(f.period.best_period, period, 0.1);
        EXPECT_LT(f.period.fap, 1e-6);
    }
}
