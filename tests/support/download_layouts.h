#pragma once
// The repository download layouts (named columns) as tests write them: the headers several tests
// share and the smallest download with both sensors.
#include <QByteArray>

namespace test_support {

inline const QByteArray named_acc_header =
    "individual-local-identifier,eobs:start-timestamp,"
    "eobs:acceleration-axes,eobs:acceleration-sampling-frequency-per-axis,"
    "eobs:accelerations-raw";
inline const QByteArray named_gps_header = "individual-local-identifier,location-long,location-lat,timestamp";
inline const QByteArray mixed_sensor_header =
    "timestamp,sensor-type,location-long,location-lat,"
    "eobs:acceleration-axes,eobs:acceleration-sampling-frequency-per-"
    "axis,eobs:accelerations-raw";

// One fix and one burst at 10:00 on 2014-05-02.
inline const QByteArray mixed_sensor_file = mixed_sensor_header +
                                            "\n2014-05-02 10:00:00.000,gps,8.5,47.25,,,\n"
                                            "2014-05-02 10:00:00.000,acceleration,,,XYZ,10,1 2 3\n";

// Every column name of a header in double quotes, as some downloads come.
inline QByteArray quoted(const QByteArray& header)
{
    return '"' + QByteArray(header).replace(",", "\",\"") + '"';
}

} // namespace test_support
