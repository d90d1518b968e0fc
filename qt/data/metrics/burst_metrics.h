#pragma once

#include "data/metrics/burst_calibration.h"
#include "data/metrics/static_window.h"

#include <QtGlobal>

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

    static burst_metrics of(const burst& b, const std::optional<burst_calibration>& calibration,
                            const static_window& window);
    // Every burst of space in its order, on threads threads (0: the machine's cores).
    static std::vector<burst_metrics> of_all(const burst_space& space,
                                             const std::optional<burst_calibration>& calibration,
                                             const static_window& window, int threads = 0);
};
