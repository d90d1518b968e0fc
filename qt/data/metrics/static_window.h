#pragma once

#include <QString>

#include <QtGlobal>

// How the static (postural) part of each axis is taken: the burst mean (seconds <= 0), or a centred
// running mean of max(1, 2*floor(seconds*f/2) + 1) samples, shortened at the burst's ends.
struct static_window
{
    double seconds = 0;

    bool running() const { return seconds > 0; }
    // Samples on each side of the centre at f Hz.
    qint32 half_width(double frequency_hz) const;
    // "static=burst-mean" or "static=running-mean window_s=2", as every output states it.
    QString described() const;
};
