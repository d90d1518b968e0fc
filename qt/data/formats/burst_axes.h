#pragma once

#include "data/model/burst_block.h"

#include <QtGlobal>

#include <cstddef>
#include <vector>

class QTextCodec;
class memory_budget;

// One burst row's samples per axis, as both kinds of acceleration reader take them apart: the axes
// text ("XYZ", "XZ", ...) says which axes the blank-separated raw values hold and in what order;
// sample n of an axis is the value at n times the number of axes plus its letter's position.
struct burst_axes
{
    std::size_t samples = 0;
    burst_block block; // the burst's allocation with samples values of x, then of y, then of z

    // Reads the row's axes (both fields already unquoted); false, with nothing read, when the axes
    // text names no axis. pieces is scratch space the caller may reuse. The burst's memory, and that
    // of a long row's pieces, is reserved from budget before it is allocated.
    bool read(const char* axes_begin, const char* axes_end, const char* raw_begin, const char* raw_end,
              QTextCodec* codec, std::vector<float>& pieces, memory_budget& budget);

    // Throws loader_read_failed ("Too many samples: ...") when a file's total passes the limit.
    static void check_limit(qint64 total_samples, qint64 sample_limit);
};
