#include "gps_fix_row.h"

#include <QDateTime>

#include <cstdio>

namespace {

QByteArray timestamp(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss.zzz").toLatin1();
}

} // namespace

QByteArray gps_fix_row::header(export_layout layout)
{
    return layout == export_layout::eobs
               ? "eobs_battery_voltage,eobs_fix_battery_voltage,eobs_horizontal_accuracy_estimate,"
                 "eobs_key_bin_checksum,eobs_speed_accuracy_estimate,eobs_start_timestamp,eobs_status,"
                 "eobs_temperature,eobs_type_of_fix,eobs_used_time_to_get_fix,ground_speed,heading,"
                 "height_above_ellipsoid,location_lat,location_long,timestamp,visible,study_id,tag_id,"
                 "timestamp\r\n"
               : "key-bin-checksum,tag-serial-number,start-timestamp,longitude,latitude,"
                 "height-above-ellipsoid,type-of-fix,status,used-time-to-get-fix,timestamp-of-fix,"
                 "battery-voltage,fix-battery-voltage,temperature,speed-over-ground,heading-degree,"
                 "speed-accuracy-estimate,horizontal-accuracy-estimate\r\n";
}

QByteArray gps_fix_row::line(export_layout layout) const
{
    const QByteArray scheduled = timestamp(start_ms);
    const QByteArray taken = timestamp(fix_ms);
    const char* status = failed ? "V" : "A";
    char position[160];
    char line[512];
    int n;
    if (layout == export_layout::eobs) {
        // lat and long stand in that order here, and a failed fix leaves them empty.
        if (failed)
            std::snprintf(position, sizeof position, ",,,,");
        else
            std::snprintf(position, sizeof position, "%.2f,%.1f,%.1f,%.7f,%.7f", speed, heading, height, latitude,
                          longitude);
        n = std::snprintf(line, sizeof line, "%d,%d,%.2f,%u,%.2f,%s,%s,%d,%d,%d,%s,%s,%s,1406215,%d,%s\r\n",
                          battery, fix_battery, horizontal_accuracy, checksum, speed_accuracy,
                          scheduled.constData(), status, temperature, type_of_fix, time_to_fix, position,
                          taken.constData(), failed ? "false" : "true", tag, taken.constData());
    } else {
        if (failed)
            std::snprintf(position, sizeof position, ",,");
        else
            std::snprintf(position, sizeof position, "%.7f,%.7f,%.1f", longitude, latitude, height);
        char motion[64] = "";
        if (!failed)
            std::snprintf(motion, sizeof motion, "%.2f,%.1f", speed, heading);
        else
            std::snprintf(motion, sizeof motion, ",");
        n = std::snprintf(line, sizeof line, "%u,%d,%s,%s,%d,%s,%d,%s,%d,%d,%d,%s,%.2f,%.2f\r\n", checksum, tag,
                          scheduled.constData(), position, type_of_fix, status, time_to_fix, taken.constData(),
                          battery, fix_battery, temperature, motion, speed_accuracy, horizontal_accuracy);
    }
    return QByteArray(line, n);
}
