#pragma once

#include <QString>

// The tag serial number of an E-OBS export: the "tag-serial-number" field of the first data line.
// Empty when the file cannot be read, has no such column or the field is empty.
QString eobs_tag_serial(const QString& path);
