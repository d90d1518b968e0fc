#pragma once

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
// not record holds sample_count zeros. All samples lie in one block (x, then y, then z), one
// allocation per burst. Built once, never changed, not copyable.
class burst
{
    std::unique_ptr<float[]> block_; // first, so that the axis views below can point into it

public:
    // x, y and z must each hold sample_count values; they are copied into the burst's block.
    burst(qint64 start_timestamp, double sampling_frequency_per_axis, qint32 sample_count,
          const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& z);
    // With a block from new_block(sample_count) filled by a reader, and the extremes of its axes
    // taken beforehand (on the reader's own thread).
    burst(qint64 start_timestamp, double sampling_frequency_per_axis, qint32 sample_count,
          std::unique_ptr<float[]> block, const burst_min_max& extremes);

    burst(const burst&) = delete;
    burst& operator=(const burst&) = delete;

    // Uninitialised room for three axes of sample_count values each.
    static std::unique_ptr<float[]> new_block(std::size_t sample_count);

    const qint64 start_timestamp;             // ms since 1970-01-01T00:00:00 UTC of sample 0
    const double sampling_frequency_per_axis; // Hz; sample k lies k * 1000 / f ms after the start
    const qint32 sample_count;                // samples per axis
    const sample_axis x;
    const sample_axis y;
    const sample_axis z;
    const burst_min_max extremes;
};
