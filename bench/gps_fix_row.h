#pragma once

#include "export_layout.h"

#include <QByteArray>

// One GPS fix as a line of a GPS export, in the fixed or the eobs layout (the same fix in both).
struct gps_fix_row
{
    qint64 start_ms = 0; // scheduled time
    qint64 fix_ms = 0;   // time of the fix: start plus the time to get it
    int time_to_fix = 0; // s
    int type_of_fix = 3; // 3: 3D, 2: 2D, 0: none
    bool failed = false; // no position at all
    double latitude = 0, longitude = 0, height = 0;
    double speed = 0, heading = 0, speed_accuracy = 0, horizontal_accuracy = 0;
    int battery = 0, fix_battery = 0, temperature = 0;
    quint32 checksum = 0;
    int tag = 0;

    static QByteArray header(export_layout layout);
    QByteArray line(export_layout layout) const;
};
