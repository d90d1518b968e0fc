#include "data/rhythm/lomb_scargle.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double two_pi = 6.28318530717958647692;
// Independent rotations advanced together, so that each step does not wait for the one before.
constexpr int lanes = 4;

} // namespace

lomb_scargle lomb_scargle::compute(const std::vector<double>& values, const std::vector<bool>& present,
                                   double step_hours, double min_period, double max_period,
                                   double period_step)
{
    lomb_scargle out;
    const auto count = static_cast<int>(std::floor((max_period - min_period) / period_step + 1e-9)) + 1;
    for (int i = 0; i < count; ++i)
        out.periods.push_back(min_period + i * period_step);
    out.powers.assign(out.periods.size(), 0.0);
    out.best_period = out.periods.empty() ? 0 : out.periods.front();

    // y: the values less their mean, 0 where absent; w: 1 where present.
    const std::size_t n = values.size();
    std::vector<double> y(n, 0.0), w(n, 0.0);
    double sum = 0;
    std::size_t m = 0, first = n, last = 0;
    for (std::size_t k = 0; k < n; ++k)
        if (present[k]) {
            sum += values[k];
            ++m;
            first = std::min(first, k);
            last = k;
        }
    if (m < 3)
        return out;
    const double mean = sum / double(m);
    double ss = 0;
    for (std::size_t k = 0; k < n; ++k)
        if (present[k]) {
            y[k] = values[k] - mean;
            w[k] = 1;
            ss += y[k] * y[k];
        }
    const double variance = ss / double(m - 1);
    if (!(variance > 0))
        return out;

    for (std::size_t i = 0; i < out.periods.size(); ++i) {
        const double omega = two_pi / out.periods[i];
        // Lane j starts at bin j and rotates by lanes steps at a time.
        double c[lanes], s[lanes];
        for (int j = 0; j < lanes; ++j) {
            c[j] = std::cos(omega * step_hours * j);
            s[j] = std::sin(omega * step_hours * j);
        }
        const double cd = std::cos(omega * step_hours * lanes), sd = std::sin(omega * step_hours * lanes);
        double c2[lanes] = {}, s2[lanes] = {}, yc[lanes] = {}, ys[lanes] = {};
        std::size_t k = 0;
        for (; k + lanes <= n; k += lanes) {
            for (int j = 0; j < lanes; ++j) {
                const double wk = w[k + j], yk = y[k + j];
                c2[j] += wk * (c[j] * c[j] - s[j] * s[j]);
                s2[j] += wk * 2 * c[j] * s[j];
                yc[j] += yk * c[j];
                ys[j] += yk * s[j];
                const double nc = c[j] * cd - s[j] * sd;
                s[j] = s[j] * cd + c[j] * sd;
                c[j] = nc;
            }
        }
        double C2 = 0, S2 = 0, YC = 0, YS = 0;
        for (int j = 0; j < lanes; ++j) {
            C2 += c2[j];
            S2 += s2[j];
            YC += yc[j];
            YS += ys[j];
        }
        for (; k < n; ++k) {
            if (w[k] == 0)
                continue;
            const double a = omega * step_hours * double(k);
            C2 += std::cos(2 * a);
            S2 += std::sin(2 * a);
            YC += y[k] * std::cos(a);
            YS += y[k] * std::sin(a);
        }
        // tau from tan(2 omega tau) = S2 / C2; the sums shifted by tau.
        const double two_tau = std::atan2(S2, C2);
        const double ct = std::cos(two_tau / 2), st = std::sin(two_tau / 2);
        const double yc_t = ct * YC + st * YS;
        const double ys_t = ct * YS - st * YC;
        const double cc = double(m) / 2 + (std::cos(two_tau) * C2 + std::sin(two_tau) * S2) / 2;
        const double sn = double(m) - cc;
        double p = 0;
        if (cc > 0)
            p += yc_t * yc_t / cc;
        if (sn > 0)
            p += ys_t * ys_t / sn;
        out.powers[i] = p / (2 * variance);
        if (out.powers[i] > out.best_power) {
            out.best_power = out.powers[i];
            out.best_period = out.periods[i];
        }
    }
    const double span = std::max(1.0, double(last - first) * step_hours);
    out.independent_frequencies = std::max(1.0, span * (1 / min_period - 1 / max_period));
    // 1 - (1 - e^-P)^M, without losing the small values to rounding.
    out.fap = -std::expm1(out.independent_frequencies * std::log1p(-std::exp(-out.best_power)));
    return out;
}
