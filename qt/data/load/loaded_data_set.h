#pragma once

#include "data/model/burst_space.h"
#include "data/model/event_space.h"

#include <QString>

#include <memory>

// One data set as the open pipeline hands it to the windows: the bursts, the fixes or both of one
// animal, with the files they came from.
struct loaded_data_set
{
    std::unique_ptr<burst_space> bursts; // null for fixes alone
    std::unique_ptr<event_space> fixes;  // null for bursts alone
    QString acc_file;
    QString gps_file;
    QString animal; // the animal of a file of several; empty for a file of one
    // Lines of each file skipped while reading it (malformed, over-long, wrong field count).
    qint64 acc_skipped_lines = 0;
    qint64 gps_skipped_lines = 0;
};
