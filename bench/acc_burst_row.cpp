#include "acc_burst_row.h"

QByteArray acc_burst_row::header(export_layout layout)
{
    switch (layout) {
    case export_layout::named:
        return "\"event-id\",\"visible\",\"timestamp\",\"location-long\",\"location-lat\",\"eobs:battery-voltage\","
               "\"eobs:start-timestamp\",\"eobs:acceleration-axes\",\"eobs:accelerations-raw\","
               "\"eobs:acceleration-sampling-frequency-per-axis\",\"eobs:key-bin-checksum\",\"sensor-type\","
               "\"individual-taxon-canonical-name\",\"tag-local-identifier\",\"individual-local-identifier\","
               "\"study-name\"\r\n";
    case export_layout::eobs:
        return "event-id,visible,timestamp,location-long,location-lat,eobs:battery-voltage,"
               "eobs_acceleration_axes,eobs_acceleration_sampling_frequency_per_axis,eobs_accelerations_raw,"
               "eobs_key_bin_checksum,eobs_start_timestamp,sensor-type,individual-taxon-canonical-name,"
               "tag-local-identifier,individual-local-identifier,study-name\r\n";
    case export_layout::fixed:
        break;
    }
    return "key-bin-checksum,tag-serial-number,start-timestamp,acceleration-sampling-frequency-per-axis,"
           "acceleration-axes,accelerations-raw\r\n";
}

QByteArray acc_burst_row::line(export_layout layout) const
{
    const QByteArray id = QByteArray::number(event_id), number = QByteArray::number(tag);
    switch (layout) {
    case export_layout::named:
        return "\"" + id + "\",\"true\",\"" + start + "\",\"\",\"\",\"" + battery + "\",\"" + start +
               "\",\"XYZ\",\"" + raw + "\",\"" + frequency + "\",\"" + checksum +
               "\",\"acceleration\",\"Ciconia ciconia\",\"" + number + "\",\"Stork " + number +
               "\",\"White storks of the upper valley, \"\"north\"\" group\"\r\n";
    case export_layout::eobs:
        return id + ",true," + start + ",,," + battery + ",XYZ," + frequency + "," + raw + "," + checksum + "," +
               start + ",acceleration,Ciconia ciconia," + number + ",Stork " + number +
               ",White storks of the upper valley\r\n";
    case export_layout::fixed:
        break;
    }
    return checksum + "," + number + "," + start + "," + frequency + ",XYZ," + raw + "\r\n";
}
