#pragma once

#include <QString>

// The formats a track is exported in.
enum class track_format { gpx, kml, geojson };

// The file suffix of a format ("gpx", "kml", "geojson"), and the format of such a word (false for
// another word).
QString track_format_suffix(track_format format);
bool track_format_from(const QString& word, track_format* format);
