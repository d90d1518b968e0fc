#pragma once

#include <QtGlobal>

// An animal's GPS rows read but not kept as fixes, by reason, and its fixes kept without their height.
struct fixes_left_out
{
    qint64 two_d_or_invalid = 0; // type of fix other than 3D, status other than valid, or no position
    qint64 no_time = 0;          // time unreadable or outside the years a tag can have recorded
    qint64 off_the_earth = 0;    // a position outside fix_range::placed
    qint64 heights = 0;          // a height outside fix_range::height_within, kept as missing
};
