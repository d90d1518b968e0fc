#pragma once
// The two acceleration export layouts as tests write them: headers and a data line from the four
// values the readers take.
#include <QByteArray>

namespace test_support {

inline const QByteArray acc_fixed_header =
    "key-bin-checksum,tag-serial-number,start-timestamp,"
    "acceleration-sampling-frequency-per-axis,acceleration-axes,accelerations-raw";
inline const QByteArray acc_mbd_header =
    "event-id,eobs_acceleration_axes,tag-local-identifier,eobs_accelerations_raw,"
    "eobs_start_timestamp,study-name,eobs_acceleration_sampling_frequency_per_axis";
// The "eobs_" layout with only the four columns its reader takes, and with an event id besides.
inline const QByteArray acc_mbd_bare_header =
    "eobs_start_timestamp,eobs_acceleration_sampling_frequency_per_axis,"
    "eobs_acceleration_axes,eobs_accelerations_raw";
inline const QByteArray acc_mbd_event_header =
    "event-id,eobs_acceleration_axes,eobs_accelerations_raw,"
    "eobs_start_timestamp,eobs_acceleration_sampling_frequency_per_axis";

inline QByteArray acc_fixed_line(const QByteArray& t, const QByteArray& f, const QByteArray& axes,
                                 const QByteArray& raw)
{
    return "1a2b,2241," + t + "," + f + "," + axes + "," + raw;
}

inline QByteArray acc_mbd_line(const QByteArray& t, const QByteArray& f, const QByteArray& axes,
                               const QByteArray& raw)
{
    return "17," + axes + ",2241," + raw + "," + t + ",\"White Storks\"," + f;
}

} // namespace test_support
