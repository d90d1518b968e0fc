#pragma once

#include "data/formats/gps_csv_reader.h"

// The GPS reader of one layout, which Layout::format describes: the layouts differ by data, not by
// code. Layout is the class deriving from it.
template <typename Layout> class gps_layout_reader : public gps_csv_reader
{
public:
    gps_layout_reader(const byte_input& input, loader_progress* progress)
        : gps_csv_reader(input, progress, Layout::format)
    {
    }
    // Reads on from a loader chain's opened source, whose header [begin, end) the layout accepts.
    gps_layout_reader(line_reader& lines, const char* begin, const char* end, loader_progress* progress)
        : gps_csv_reader(lines, begin, end, progress, Layout::format)
    {
    }
};
