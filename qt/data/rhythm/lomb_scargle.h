#pragma once

#include <QtGlobal>

#include <vector>

// The Lomb–Scargle periodogram of an evenly spaced series with gaps, normalised by the variance
// (Horne & Baliunas 1986), over a grid of trial periods.
struct lomb_scargle
{
    std::vector<double> periods; // hours, ascending
    std::vector<double> powers;  // normalised power at each period
    double best_period = 0;      // hours; the highest power's period (the first if tied)
    double best_power = 0;
    // False-alarm probability of best_power: 1 - (1 - e^-P)^M with M = T (1/min - 1/max) independent
    // frequencies over the searched band, T the span of the series in hours (at least 1).
    double fap = 1;
    double independent_frequencies = 1;

    // values[k] is the value at k * step_hours; present[k] false leaves it out. Periods run from
    // min_period to max_period (hours) in steps of period_step. With fewer than three values present
    // or no variance every power is 0 and fap 1.
    static lomb_scargle compute(const std::vector<double>& values, const std::vector<bool>& present,
                                double step_hours, double min_period = 16, double max_period = 32,
                                double period_step = 0.05);
};
