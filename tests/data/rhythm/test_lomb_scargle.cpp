// The periodogram against the hand-computed power of a pure cosine, and its rotating sums against
// the textbook formula computed plainly, with gaps.
#include "data/rhythm/lomb_scargle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double two_pi = 6.28318530717958647692;

// Horne & Baliunas's normalised power at one period, term by term as it is written.
double plain_power(const std::vector<double>& v, const std::vector<bool>& present, double step, double period)
{
    double sum = 0, m = 0;
    for (std::size_t k = 0; k < v.size(); ++k)
        if (present[k]) {
            sum += v[k];
            ++m;
        }
    const double mean = sum / m, w = two_pi / period;
    double ss = 0, s2 = 0, c2 = 0;
    for (std::size_t k = 0; k < v.size(); ++k)
        if (present[k]) {
            ss += (v[k] - mean) * (v[k] - mean);
            s2 += std::sin(2 * w * step * double(k));
            c2 += std::cos(2 * w * step * double(k));
        }
    const double tau = std::atan2(s2, c2) / (2 * w);
    double yc = 0, ys = 0, cc = 0, sn = 0;
    for (std::size_t k = 0; k < v.size(); ++k)
        if (present[k]) {
            const double a = w * (step * double(k) - tau);
            yc += (v[k] - mean) * std::cos(a);
            ys += (v[k] - mean) * std::sin(a);
            cc += std::cos(a) * std::cos(a);
            sn += std::sin(a) * std::sin(a);
        }
    return (yc * yc / cc + ys * ys / sn) / (2 * ss / (m - 1));
}

} // namespace

TEST(lomb_scargle, pure_cosine_has_power_n_minus_1_over_2)
{
    // 480 samples 0.1 h apart, two whole days of a 24 h cosine: at 24 h the power is
    // (A^2 N / 2) / (2 A^2 N / (2 (N - 1))) = (N - 1) / 2.
    std::vector<double> v(480);
    for (std::size_t k = 0; k < v.size(); ++k)
        v[k] = 3 * std::cos(two_pi * 0.1 * double(k) / 24);
    const lomb_scargle ls = lomb_scargle::compute(v, std::vector<bool>(v.size(), true), 0.1);
    EXPECT_NEAR(ls.best_period, 24, 1e-9);
    EXPECT_NEAR(ls.best_power, 239.5, 1e-6);
    // M = 47.9 h * (1/16 - 1/32); FAP = 1 - (1 - e^-P)^M, about M e^-P.
    EXPECT_NEAR(ls.independent_frequencies, 47.9 / 32, 1e-12);
    EXPECT_NEAR(ls.fap / (47.9 / 32 * std::exp(-239.5)), 1, 1e-6);
}

TEST(lomb_scargle, rotating_sums_match_the_formula_with_gaps)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 1);
    std::vector<double> v(1003); // not a multiple of the four lanes
    std::vector<bool> present(v.size());
    for (std::size_t k = 0; k < v.size(); ++k) {
        v[k] = std::sin(two_pi * 0.1 * double(k) / 23.3) + noise(random);
        present[k] = k % 17 != 3 && (k < 400 || k > 460);
    }
    const lomb_scargle ls = lomb_scargle::compute(v, present, 0.1);
    for (std::size_t i = 0; i < ls.periods.size(); ++i)
        ASSERT_NEAR(ls.powers[i], plain_power(v, present, 0.1, ls.periods[i]), 1e-7 * (1 + ls.powers[i]))
            << ls.periods[i] << " h";
    // Fewer than three values: no power, no alarm.
    const lomb_scargle two = lomb_scargle::compute({1, 2}, {true, true}, 0.1);
    EXPECT_EQ(two.best_power, 0);
    EXPECT_EQ(two.fap, 1);
}
