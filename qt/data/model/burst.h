#pragma once

#include "data/model/burst_block.h"
#include "data/model/sample_axis.h"

#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <vector>

class burst;

// Smallest and largest value of each axis of one burst. A burst without samples gets
// min = 3.4028235e38 and max = -3.4028235e38, so folding it into a value range changes nothing.
struct burst_min_max
{
    burst_min_max(const float* x, const float* y, const float* z, std::size_t count);
    explicit burst_min_max(const burst& b);

    float min_x, min_y, min_z;
    float max_x, max_y, max_z;
};

// One burst of an acceleration file: samples on up to three axes, taken at a fixed rate from a
// start time. The values are the raw sensor numbers as written in the file; an axis the file does
// not record holds sample_count zeros. The burst and its samples (x, then y, then z) take one
// allocation. Built once by make, never changed, not copyable.
class burst
{
public:
    // x, y and z must each hold sample_count values; they are copied.
    static std::unique_ptr<burst> make(qint64 start_timestamp, double sampling_frequency_per_axis,
                                       qint32 sample_count, const std::vector<float>& x,
                                       const std::vector<float>& y, const std::vector<float>& z);
    // With the samples a reader filled in, and the extremes of its axes taken beforehand (on the
    // reader's own thread).
    static std::unique_ptr<burst> make(qint64 start_timestamp, double sampling_frequency_per_axis,
                                       burst_block samples, const burst_min_max& extremes);

    // The room of one burst of sample_count samples, for a reader to fill.
    static burst_block new_block(std::size_t sample_count);

    burst(const burst&) = delete;
    burst& operator=(const burst&) = delete;
    // The allocation made by burst_block.
    static void operator delete(void* memory);

    const qint64 start_timestamp;             // ms since 1970-01-01T00:00:00 UTC of sample 0
    const double sampling_frequency_per_axis; // Hz; sample k lies k * 1000 / f ms after the start
    const qint32 sample_count;                // samples per axis
    const sample_axis x;
    const sample_axis y;
    const sample_axis z;
    const burst_min_max extremes;

private:
    burst(qint64 start_timestamp, double sampling_frequency_per_axis, const burst_block& samples,
          const burst_min_max& extremes);
};
