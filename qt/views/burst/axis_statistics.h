#pragma once

#include "data/metrics/burst_calibration.h"

#include <QtGlobal>

#include <vector>

// Mean, smallest, largest value and standard deviation (of the population: divided by n) of the
// first n values of one axis. All 0 for no values.
struct axis_statistics
{
    double mean = 0;
    double min = 0;
    double max = 0;
    double sd = 0;

    static axis_statistics of(const std::vector<float>& values, qint32 n);
    // The same figures in g for axis a of calibration (a negative scale swaps min and max).
    axis_statistics in_g(const burst_calibration& calibration, int a) const;
};
