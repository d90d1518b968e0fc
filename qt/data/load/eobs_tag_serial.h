#pragma once

#include <QString>

class burst_space;

// The tag serial number of an E-OBS export: the "tag-serial-number" field of the first data line.
// Empty when the file cannot be read, has no such column or the field is empty.
QString eobs_tag_serial(const QString& path);

// The tag number of an export for its default calibration: the "tag-serial-number" field of the first
// data line, else its "tag-local-identifier" field. Empty when neither is there.
QString eobs_tag_number(const QString& path);

// The tag number of an animal's default calibration: for a file of one animal (animal empty) that of
// the file's first line, for an animal of a download of several the one its own rows name.
QString animal_tag_number(const QString& path, const QString& animal, const burst_space& space);
