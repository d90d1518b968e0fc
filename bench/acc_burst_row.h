#pragma once

#include "export_layout.h"

#include <QByteArray>

// One burst as a line of an acceleration export; each layout holds the same burst.
struct acc_burst_row
{
    qint64 event_id = 0;  // the eobs and named layouts' event-id
    QByteArray start;     // yyyy-MM-dd hh:mm:ss.zzz
    QByteArray frequency; // per axis, as written
    QByteArray raw;       // X Y Z X Y Z ..., space-separated
    QByteArray checksum;
    QByteArray battery;   // volts; the fixed layout has no column for it
    int tag = 0;

    static QByteArray header(export_layout layout);
    QByteArray line(export_layout layout) const;
};
