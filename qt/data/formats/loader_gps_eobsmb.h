#pragma once

#include "data/formats/gps_csv_reader.h"

// Reads a GPS export with the fixed seventeen-column header. No field is unquoted.
class loader_gps_eobsmb : public gps_csv_reader
{
public:
    loader_gps_eobsmb(const QString& file_name, loader_progress* progress);

    static const char* const header;
};
