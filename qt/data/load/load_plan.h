#pragma once

#include "data/formats/header_sniff.h"

#include <QString>

#include <optional>

// What one background load reads: an acceleration file, a GPS file, or both as a pair (the GPS file
// first), each with the sniff of its first line when the GUI thread already took one (its messages
// on a failed load read it; the load judges the first line it reads itself).
struct load_plan
{
    QString acc_file; // empty: no acceleration file
    QString gps_file; // empty: no GPS file
    std::optional<header_sniff> acc_sniff;
    std::optional<header_sniff> gps_sniff;

    bool pair() const { return !acc_file.isEmpty() && !gps_file.isEmpty(); }
};
