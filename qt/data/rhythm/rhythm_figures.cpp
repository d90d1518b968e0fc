#include "data/rhythm/rhythm_figures.h"

#include <cmath>
#include <limits>

namespace {

constexpr double missing = std::numeric_limits<double>::quiet_NaN();

// Lowest (sign 1) or highest (sign -1) mean of p over width bins taken circularly, leaving out
// missing bins; start gets the first bin of the window. NaN when every window is empty.
double extreme_window(const std::vector<double>& p, int width, double sign, int& start)
{
    const int n = static_cast<int>(p.size());
    double best = missing;
    start = 0;
    for (int b = 0; b < n; ++b) {
        double sum = 0;
        int count = 0;
        for (int i = 0; i < width; ++i) {
            const double v = p[std::size_t((b + i) % n)];
            if (!std::isnan(v)) {
                sum += v;
                ++count;
            }
        }
        if (count == 0)
            continue;
        const double mean = sum / count;
        if (std::isnan(best) || sign * mean < sign * best) {
            best = mean;
            start = b;
        }
    }
    return best;
}

} // namespace

rhythm_figures rhythm_figures::compute(const std::vector<double>& activities, const std::vector<qint64>& samples)
{
    rhythm_figures f;
    const std::size_t n = activities.size();
    const std::size_t n_days = (n + bins_per_day - 1) / bins_per_day;
    std::vector<double> p_sum(bins_per_day, 0.0);
    std::vector<int> p_count(bins_per_day, 0);
    std::vector<bool> present(n);
    f.hourly.assign(n_days * 24, missing);
    for (std::size_t d = 0; d < n_days; ++d) {
        bool any = false;
        for (std::size_t h = 0; h < 24; ++h) {
            double sum = 0;
            int count = 0;
            for (std::size_t b = 0; b < bins_per_hour; ++b) {
                const std::size_t k = d * bins_per_day + h * bins_per_hour + b;
                if (k >= n || samples[k] <= 0)
                    continue;
                present[k] = true;
                sum += activities[k];
                ++count;
                p_sum[h * bins_per_hour + b] += activities[k];
                ++p_count[h * bins_per_hour + b];
            }
            if (count > 0) {
                f.hourly[d * 24 + h] = sum / count;
                any = true;
            }
        }
        if (any)
            ++f.days;
    }
    f.profile.assign(bins_per_day, missing);
    for (int b = 0; b < bins_per_day; ++b)
        if (p_count[std::size_t(b)] > 0)
            f.profile[std::size_t(b)] = p_sum[std::size_t(b)] / p_count[std::size_t(b)];

    int start = 0;
    f.l5 = extreme_window(f.profile, 5 * bins_per_hour, 1, start);
    f.l5_start = start / double(bins_per_hour);
    f.m10 = extreme_window(f.profile, 10 * bins_per_hour, -1, start);
    f.m10_start = start / double(bins_per_hour);
    f.ra = (f.m10 - f.l5) / (f.m10 + f.l5);

    f.is = f.iv = missing;
    if (!f.enough_days())
        return f;
    // IS and IV over the hours present (van Someren et al. 1999).
    double total = 0;
    qint64 count = 0;
    std::vector<double> h_sum(24, 0.0);
    std::vector<int> h_count(24, 0);
    for (std::size_t i = 0; i < f.hourly.size(); ++i)
        if (!std::isnan(f.hourly[i])) {
            total += f.hourly[i];
            ++count;
            h_sum[i % 24] += f.hourly[i];
            ++h_count[i % 24];
        }
    const double mean = total / double(count);
    double spread = 0, between = 0, steps = 0;
    for (std::size_t i = 0; i < f.hourly.size(); ++i) {
        const double x = f.hourly[i];
        if (std::isnan(x))
            continue;
        spread += (x - mean) * (x - mean);
        if (i > 0 && !std::isnan(f.hourly[i - 1]))
            steps += (x - f.hourly[i - 1]) * (x - f.hourly[i - 1]);
    }
    for (int h = 0; h < 24; ++h)
        if (h_count[std::size_t(h)] > 0) {
            const double d = h_sum[std::size_t(h)] / h_count[std::size_t(h)] - mean;
            between += d * d;
        }
    const double N = double(count);
    f.is = N * between / (24 * spread);
    f.iv = N * steps / ((N - 1) * spread);

    f.period = lomb_scargle::compute(activities, present, 1.0 / bins_per_hour);
    f.has_period = true;
    return f;
}

QString rhythm_number(double value, int digits)
{
    return std::isnan(value) ? QStringLiteral("n/a") : QString::number(value, 'g', digits);
}
