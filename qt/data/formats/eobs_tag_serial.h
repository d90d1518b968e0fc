#pragma once

#include <QString>

// The tag serial number of an E-OBS export: the "tag-serial-number" field of the first data line.
// Empty when the file cannot be read, has no such column or the field is empty.
QString eobs_tag_serial(const QString& path);

// The tag number of an export for its default calibration: the "tag-serial-number" field of the first
// data line, else its "tag-local-identifier" field. Empty when neither is there.
QString eobs_tag_number(const QString& path);
