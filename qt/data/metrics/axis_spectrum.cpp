#include "data/metrics/axis_spectrum.h"

#include <kiss_fft.h>
#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// std::hypot guards against overflow at many times the cost; sums of samples do not come near it.
inline float length(float re, float im)
{
    return std::sqrt(re * re + im * im);
}

} // namespace

// A kissfft plan for one n and cos/sin of 2 pi m / n in double for the exact magnitude of a few bins.
struct axis_spectrum::plan
{
    explicit plan(int n)
        : cfg(kiss_fft_alloc(n, 0, nullptr, nullptr)),
          real_cfg(n % 2 == 0 ? kiss_fftr_alloc(n, 0, nullptr, nullptr) : nullptr), cosines(n), sines(n)
    {
        for (int m = 0; m < n; ++m) {
            const double angle = 2 * M_PI * m / n;
            cosines[std::size_t(m)] = std::cos(angle);
            sines[std::size_t(m)] = std::sin(angle);
        }
    }
    ~plan()
    {
        kiss_fft_free(cfg);
        kiss_fft_free(real_cfg);
    }
    plan(const plan&) = delete;
    plan& operator=(const plan&) = delete;

    kiss_fft_cfg cfg;
    kiss_fftr_cfg real_cfg; // for even n: a real transform costs half a complex one
    std::vector<double> cosines, sines;
};

axis_spectrum::axis_spectrum() = default;

axis_spectrum::~axis_spectrum()
{
    for (plan* p : plans_)
        delete p;
}

axis_spectrum::plan* axis_spectrum::plan_for(int n)
{
    if (plans_.size() <= std::size_t(n))
        plans_.resize(std::size_t(n) + 1, nullptr);
    plan*& p = plans_[std::size_t(n)];
    if (!p)
        p = new plan(n);
    return p;
}

void axis_spectrum::dominant(const double* const axes[3], int n, double frequency_hz, peak out[3])
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (n < 2) {
        for (int a = 0; a < 3; ++a)
            out[a] = {nan, nan};
        return;
    }
    double means[3];
    for (int a = 0; a < 3; ++a) {
        double sum = 0;
        for (int j = 0; j < n; ++j)
            sum += axes[a][j];
        means[a] = sum / n;
    }
    const plan& p = *plan_for(n);
    const std::size_t size = 2 * std::size_t(n);
    in_.resize(size);
    out_.resize(size);
    const int half = n / 2;
    for (auto& m : magnitudes_)
        m.resize(std::size_t(half) + 1);
    // X and Y in one transform as the real and imaginary parts: X_k = (Z_k + conj Z_n-k) / 2,
    // Y_k = (Z_k - conj Z_n-k) / 2i.
    for (int j = 0; j < n; ++j) {
        in_[2 * std::size_t(j)] = float(axes[0][j] - means[0]);
        in_[2 * std::size_t(j) + 1] = float(axes[1][j] - means[1]);
    }
    auto* in = reinterpret_cast<kiss_fft_cpx*>(in_.data());
    auto* z = reinterpret_cast<kiss_fft_cpx*>(out_.data());
    kiss_fft(p.cfg, in, z);
    for (int k = 1; k <= half; ++k) {
        const kiss_fft_cpx a = z[k], b = z[(n - k) % n];
        magnitudes_[0][std::size_t(k)] = 0.5f * length(a.r + b.r, a.i - b.i);
        magnitudes_[1][std::size_t(k)] = 0.5f * length(a.i + b.i, b.r - a.r);
    }
    if (p.real_cfg) {
        for (int j = 0; j < n; ++j)
            in_[std::size_t(j)] = float(axes[2][j] - means[2]);
        kiss_fftr(p.real_cfg, in_.data(), z);
    } else {
        for (int j = 0; j < n; ++j) {
            in_[2 * std::size_t(j)] = float(axes[2][j] - means[2]);
            in_[2 * std::size_t(j) + 1] = 0;
        }
        kiss_fft(p.cfg, in, z);
    }
    for (int k = 1; k <= half; ++k)
        magnitudes_[2][std::size_t(k)] = length(z[k].r, z[k].i);
    for (int a = 0; a < 3; ++a)
        out[a] = choose(axes[a], means[a], n, frequency_hz, magnitudes_[a].data(), p);
}

axis_spectrum::peak axis_spectrum::choose(const double* values, double mean, int n, double frequency_hz,
                                          const float* magnitudes, const plan& p) const
{
    double bound = 0, size = 0; // bound: no |X_k| exceeds it
    for (int j = 0; j < n; ++j) {
        bound += std::fabs(values[j] - mean);
        size += std::fabs(values[j]);
    }
    if (!std::isfinite(bound))
        return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    const int half = n / 2;
    float top = 0;
    for (int k = 1; k <= half; ++k)
        top = std::max(top, magnitudes[k]);
    // Bins within float rounding of the top are measured again in double; of those equal within
    // double rounding, the lowest k wins.
    const double float_slack = 1e-4 * bound;
    int best_k = 1;
    double best = -1;
    for (int k = 1; k <= half; ++k) {
        if (double(magnitudes[k]) < double(top) - float_slack)
            continue;
        double re = 0, im = 0;
        std::size_t m = 0;
        for (int j = 0; j < n; ++j) {
            const double d = values[j] - mean;
            re += d * p.cosines[m];
            im -= d * p.sines[m];
            m += std::size_t(k);
            if (m >= std::size_t(n))
                m -= std::size_t(n);
        }
        const double magnitude = std::sqrt(re * re + im * im);
        if (magnitude > best + 1e-9 * bound) {
            best = magnitude;
            best_k = k;
        }
    }
    // A flat axis (deviations at rounding level) has no peak: its bins are all equal.
    if (!(best > 1e-12 * size)) {
        best_k = 1;
        best = 0;
    }
    const double rate = frequency_hz > 0 && std::isfinite(frequency_hz)
                            ? frequency_hz
                            : std::numeric_limits<double>::quiet_NaN();
    return {best_k * rate / n, 2 * best / n};
}
