#pragma once

#include "data/metrics/burst_calibration.h"
#include "data/metrics/static_window.h"

#include <QStringList>
#include <QtGlobal>

#include <array>
#include <atomic>
#include <optional>
#include <vector>

class burst;
class burst_space;

// Figures of one axis of a burst, in g under a calibration, else in raw units. NaN where a figure
// does not exist (no samples; sd and the dominant frequency of a single sample).
struct axis_metrics
{
    double mean, sd, min, max; // sd of a sample: divided by n - 1, as R's sd
    double dom_freq_hz;        // k* f / n of the largest DFT bin k* in 1 .. n/2 of the values less their mean
    double dom_amp;            // 2 |X_k*| / n
};

// The figures of one burst used to tell behaviours apart. With s the static part of each axis (the
// burst mean or a running mean, see static_window) and d = value - s: ODBA = mean of |dx|+|dy|+|dz|,
// VeDBA = mean of sqrt(dx^2+dy^2+dz^2); pitch = atan2(sx, sqrt(sy^2+sz^2)) and roll = atan2(sy, sz)
// in degrees from the burst means whatever the static window.
struct burst_metrics
{
    qint32 samples;
    double frequency_hz;
    axis_metrics axis[3]; // X, Y, Z
    double odba, vedba, pitch_deg, roll_deg;

    // The figures in the order the burst table and the classifier's features take them: for x, y and
    // z in turn mean, sd, min, max, dom_freq, dom_amp; then odba, vedba, pitch_deg, roll_deg. Names
    // as "mean_x".
    static constexpr int figure_count = 3 * 6 + 4;
    std::array<double, figure_count> figures() const;
    static QStringList figure_names();

    // Shared with a thread running of_all: bursts done so far, and a request to stop.
    struct progress
    {
        std::atomic<qint32> done{0};
        std::atomic<bool> cancel{false};
    };

    static burst_metrics of(const burst& b, const std::optional<burst_calibration>& calibration,
                            const static_window& window);
    // Every burst of space in its order, on threads threads (0: the machine's cores). With progress,
    // counts there and stops soon after cancel is set (the result is then incomplete).
    static std::vector<burst_metrics> of_all(const burst_space& space,
                                             const std::optional<burst_calibration>& calibration,
                                             const static_window& window, int threads = 0,
                                             progress* progress = nullptr);
};
