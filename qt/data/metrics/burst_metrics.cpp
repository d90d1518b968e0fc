#include "data/metrics/burst_metrics.h"

#include "data/metrics/axis_spectrum.h"
#include "data/model/burst_space.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double degrees = 180 / M_PI;

// Buffers and FFT plans of one thread.
struct scratch
{
    std::vector<double> values[3], statics[3], prefix;
    axis_spectrum spectrum;
};

burst_metrics compute(const burst& b, const std::optional<burst_calibration>& calibration,
                      const static_window& window, scratch& s)
{
    burst_metrics m;
    const int n = std::max(0, b.sample_count);
    m.samples = n;
    m.frequency_hz = b.sampling_frequency_per_axis;
    if (n == 0) {
        for (axis_metrics& a : m.axis)
            a = {nan, nan, nan, nan, nan, nan};
        m.odba = m.vedba = m.pitch_deg = m.roll_deg = nan;
        return m;
    }
    const sample_axis* raw[3] = {&b.x, &b.y, &b.z};
    const qint32 half = window.half_width(b.sampling_frequency_per_axis);
    for (int a = 0; a < 3; ++a) {
        std::vector<double>& v = s.values[a];
        v.resize(std::size_t(n));
        const float* r = raw[a]->data();
        if (calibration) {
            const double zero = calibration->axes[a].zero, g_per_unit = 1 / calibration->axes[a].per_g;
            for (int j = 0; j < n; ++j)
                v[std::size_t(j)] = (r[j] - zero) * g_per_unit;
        } else {
            for (int j = 0; j < n; ++j)
                v[std::size_t(j)] = r[j];
        }
        axis_metrics& am = m.axis[a];
        double sum = 0, lo = v[0], hi = v[0];
        for (const double x : v) {
            sum += x;
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        am.mean = sum / n;
        am.min = lo;
        am.max = hi;
        double squares = 0;
        for (const double x : v)
            squares += (x - am.mean) * (x - am.mean);
        am.sd = n > 1 ? std::sqrt(squares / (n - 1)) : nan;
        std::vector<double>& st = s.statics[a];
        if (!window.running()) {
            continue; // the burst mean, taken below without a copy per sample
        } else if (half == 0) {
            st = v;
        } else {
            // Centred mean of the samples i - half .. i + half that exist, from prefix sums.
            s.prefix.resize(std::size_t(n) + 1);
            s.prefix[0] = 0;
            for (int j = 0; j < n; ++j)
                s.prefix[std::size_t(j) + 1] = s.prefix[std::size_t(j)] + v[std::size_t(j)];
            st.resize(std::size_t(n));
            for (int i = 0; i < n; ++i) {
                const int from = std::max(0, i - half), to = std::min(n - 1, i + half);
                st[std::size_t(i)] = (s.prefix[std::size_t(to) + 1] - s.prefix[std::size_t(from)]) / (to - from + 1);
            }
        }
    }
    double odba = 0, vedba = 0;
    const double* const x = s.values[0].data();
    const double* const y = s.values[1].data();
    const double* const z = s.values[2].data();
    const auto add = [&](double dx, double dy, double dz) {
        odba += std::fabs(dx) + std::fabs(dy) + std::fabs(dz);
        vedba += std::sqrt(dx * dx + dy * dy + dz * dz);
    };
    if (window.running()) {
        for (std::size_t j = 0; j < std::size_t(n); ++j)
            add(x[j] - s.statics[0][j], y[j] - s.statics[1][j], z[j] - s.statics[2][j]);
    } else {
        const double mx = m.axis[0].mean, my = m.axis[1].mean, mz = m.axis[2].mean;
        for (std::size_t j = 0; j < std::size_t(n); ++j)
            add(x[j] - mx, y[j] - my, z[j] - mz);
    }
    m.odba = odba / n;
    m.vedba = vedba / n;
    const double sx = m.axis[0].mean, sy = m.axis[1].mean, sz = m.axis[2].mean;
    m.pitch_deg = std::atan2(sx, std::sqrt(sy * sy + sz * sz)) * degrees;
    m.roll_deg = std::atan2(sy, sz) * degrees;
    const double* const axes[3] = {s.values[0].data(), s.values[1].data(), s.values[2].data()};
    axis_spectrum::peak peaks[3];
    s.spectrum.dominant(axes, n, b.sampling_frequency_per_axis, peaks);
    for (int a = 0; a < 3; ++a) {
        m.axis[a].dom_freq_hz = peaks[a].frequency_hz;
        m.axis[a].dom_amp = peaks[a].amplitude;
    }
    return m;
}

} // namespace

burst_metrics burst_metrics::of(const burst& b, const std::optional<burst_calibration>& calibration,
                                const static_window& window)
{
    scratch s;
    return compute(b, calibration, window, s);
}

std::array<double, burst_metrics::figure_count> burst_metrics::figures() const
{
    std::array<double, figure_count> f{};
    std::size_t k = 0;
    for (const axis_metrics& a : axis)
        for (const double v : {a.mean, a.sd, a.min, a.max, a.dom_freq_hz, a.dom_amp})
            f[k++] = v;
    for (const double v : {odba, vedba, pitch_deg, roll_deg})
        f[k++] = v;
    return f;
}

QStringList burst_metrics::figure_names()
{
    QStringList n;
    for (const char* axis : {"x", "y", "z"})
        for (const char* figure : {"mean", "sd", "min", "max", "dom_freq", "dom_amp"})
            n << QString("%1_%2").arg(figure, axis);
    return n << "odba"
             << "vedba"
             << "pitch_deg"
             << "roll_deg";
}

std::vector<burst_metrics> burst_metrics::of_all(const burst_space& space,
                                                 const std::optional<burst_calibration>& calibration,
                                                 const static_window& window, int threads,
                                                 progress* progress)
{
    const qint32 count = space.entry_count();
    std::vector<burst_metrics> result(std::size_t(std::max(0, count)));
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    constexpr qint32 block = 512;
    threads = std::max(1, std::min(threads, (count + block - 1) / block));
    std::atomic<qint32> next{0};
    const auto work = [&] {
        scratch s;
        for (qint32 from; (from = next.fetch_add(block)) < count;) {
            if (progress && progress->cancel)
                return;
            const qint32 to = std::min(count, from + block);
            for (qint32 i = from; i < to; ++i)
                result[std::size_t(i)] = compute(*space.entry(i).burst, calibration, window, s);
            if (progress)
                progress->done += to - from;
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    return result;
}
