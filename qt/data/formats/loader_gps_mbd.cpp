#include "data/formats/loader_gps_mbd.h"

const char* const loader_gps_mbd::header_1 =
    "eobs_battery_voltage,eobs_fix_battery_voltage,eobs_horizontal_accuracy_estimate,eobs_key_bin_checksum,"
    "eobs_speed_accuracy_estimate,eobs_start_timestamp,eobs_status,eobs_temperature,eobs_type_of_fix,"
    "eobs_used_time_to_get_fix,ground_speed,heading,height_above_ellipsoid,location_lat,location_long,"
    "timestamp,visible,study_id,tag_id,timestamp";
const char* const loader_gps_mbd::header_2 =
    "comments,eobs_battery_voltage,eobs_fix_battery_voltage,eobs_horizontal_accuracy_estimate,"
    "eobs_key_bin_checksum,eobs_speed_accuracy_estimate,eobs_start_timestamp,eobs_status,eobs_temperature,"
    "eobs_type_of_fix,eobs_used_time_to_get_fix,ground_speed,heading,height_above_ellipsoid,location_lat,"
    "location_long,manually_marked_outlier,migration_stage,timestamp,study_id,tag_id,timestamp";
const char* const loader_gps_mbd::header_3 =
    "eobs_battery_voltage,eobs_fix_battery_voltage,eobs_horizontal_accuracy_estimate,eobs_key_bin_checksum,"
    "eobs_speed_accuracy_estimate,eobs_start_timestamp,eobs_status,eobs_temperature,eobs_type_of_fix,"
    "eobs_used_time_to_get_fix,ground_speed,heading,height_above_ellipsoid,location_lat,location_long,"
    "timestamp,study_id,tag_id,timestamp";

const gps_csv_reader::layout loader_gps_mbd::format{{header_1, header_2, header_3},
                                                    "location_long",
                                                    "location_lat",
                                                    "height_above_ellipsoid",
                                                    "timestamp",
                                                    "eobs_type_of_fix",
                                                    "eobs_status",
                                                    true};
