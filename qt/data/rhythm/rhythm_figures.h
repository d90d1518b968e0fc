#pragma once

#include "data/rhythm/lomb_scargle.h"

#include <QString>
#include <QtGlobal>

#include <vector>

// Rest-activity figures of a series of six-minute bins (240 a day, the first at 00:00 of the plot's
// clock). A bin without samples is missing, not zero; a missing value is NaN.
struct rhythm_figures
{
    static constexpr int bins_per_day = 240;
    static constexpr int bins_per_hour = 10;
    static constexpr qint64 min_days = 2; // IS, IV and the period need this many days with data

    qint64 days = 0;             // days with at least one bin with samples
    std::vector<double> hourly;  // per hour of the plot: the mean of its bins with samples
    std::vector<double> profile; // per bin of the day: the mean over the days that have it
    double l5 = 0, l5_start = 0; // lowest 5 h mean of the profile, taken circularly; start in hours
    double m10 = 0, m10_start = 0;
    double ra = 0; // (M10 - L5) / (M10 + L5)
    double is = 0; // interdaily stability (van Someren), hourly
    double iv = 0; // intradaily variability
    lomb_scargle period;
    bool has_period = false; // period computed (min_days reached)

    bool enough_days() const { return days >= min_days; }

    // activities and samples: one value per bin, as activity_calculator holds them.
    static rhythm_figures compute(const std::vector<double>& activities, const std::vector<qint64>& samples);
};

// One figure as text: the number with digits significant digits, or "n/a" for NaN.
QString rhythm_number(double value, int digits = 4);
