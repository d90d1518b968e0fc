#include "data/formats/loader_gps_eobsmb.h"

const char* const loader_gps_eobsmb::header =
    "key-bin-checksum,tag-serial-number,start-timestamp,longitude,latitude,height-above-ellipsoid,type-of-"
    "fix,"
    "status,used-time-to-get-fix,timestamp-of-fix,battery-voltage,fix-battery-voltage,temperature,"
    "speed-over-ground,heading-degree,speed-accuracy-estimate,horizontal-accuracy-estimate";

const gps_csv_reader::layout loader_gps_eobsmb::format{{header},
                                                       "longitude",
                                                       "latitude",
                                                       "height-above-ellipsoid",
                                                       "timestamp-of-fix",
                                                       "type-of-fix",
                                                       "status",
                                                       false};
