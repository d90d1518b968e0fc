#pragma once

#include <QString>
#include <QtGlobal>

#include <utility>
#include <vector>

// How the picture is laid out; the defaults give the plain one-day-per-row UTC plot.
struct activity_plot_options
{
    bool double_plot = false;      // each row shows day d and day d + 1
    qint32 utc_offset_minutes = 0; // hours of day on the clock this far ahead of UTC
    bool sun_times = false;        // sunrise and sunset marked in each row
    bool shade_night = false;      // bins between sunset and sunrise tinted

    // Per bin, the colour (0xRRGGBB) of its most frequent behaviour, -1 for none (grey by activity);
    // empty: no behaviours. The legend names each colour.
    std::vector<qint32> behaviour_rgb;
    std::vector<std::pair<QString, quint32>> behaviour_legend;

    bool is_default() const { return !double_plot && utc_offset_minutes == 0 && !sun_times && !shade_night; }
    qint64 utc_offset_ms() const { return qint64(utc_offset_minutes) * 60000; }
    // "double plot, hours in UTC+05:30, sun times, night shaded" style, naming only what differs from the defaults; empty for them.
    QString describe() const;
};

// "UTC", "UTC+05:30", "UTC-03:00".
QString activity_utc_offset_text(qint32 minutes);
