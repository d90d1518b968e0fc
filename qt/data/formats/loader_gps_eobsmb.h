#pragma once

#include "data/formats/gps_layout_reader.h"

// Reads a GPS export with the fixed seventeen-column header. No field is unquoted.
class loader_gps_eobsmb : public gps_layout_reader<loader_gps_eobsmb>
{
public:
    using gps_layout_reader::gps_layout_reader;

    static const char* const header;
    static const layout format;
};
