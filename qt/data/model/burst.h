#pragma once

#include <QtGlobal>

#include <vector>

class burst;

// Smallest and largest value of each axis of one burst. A burst without samples gets
// min = 3.4028235e38 and max = -3.4028235e38, so folding it into a value range changes nothing.
struct burst_min_max
{
    burst_min_max(const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& z);
    explicit burst_min_max(const burst& b);

    float min_x, min_y, min_z;
    float max_x, max_y, max_z;
};

// One burst of an acceleration file: samples on up to three axes, taken at a fixed rate from a
// start time. The values are the raw sensor numbers as written in the file; an axis the file does
// not record holds sample_count zeros. Built once, never changed, not copyable.
class burst
{
public:
    // x, y and z must each hold sample_count values; pass them with std::move to avoid a copy.
    burst(qint64 start_timestamp, double sampling_frequency_per_axis, qint32 sample_count,
          std::vector<float> x, std::vector<float> y, std::vector<float> z);
    // With the extremes of x, y and z taken beforehand (by a reader, on its own thread).
    burst(qint64 start_timestamp, double sampling_frequency_per_axis, qint32 sample_count,
          std::vector<float> x, std::vector<float> y, std::vector<float> z, const burst_min_max& extremes);

    burst(const burst&) = delete;
    burst& operator=(const burst&) = delete;

    const qint64 start_timestamp;             // ms since 1970-01-01T00:00:00 UTC of sample 0
    const double sampling_frequency_per_axis; // Hz; sample k lies k * 1000 / f ms after the start
    const qint32 sample_count;                // samples per axis
    const std::vector<float> x;
    const std::vector<float> y;
    const std::vector<float> z;
    const burst_min_max extremes;

private:
    void check_sizes() const;
};
