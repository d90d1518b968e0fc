#include "data/tracks/track_format.h"

QString track_format_suffix(track_format format)
{
    switch (format) {
    case track_format::gpx:
        return QStringLiteral("gpx");
    case track_format::kml:
        return QStringLiteral("kml");
    case track_format::geojson:
        break;
    }
    return QStringLiteral("geojson");
}

bool track_format_from(const QString& word, track_format* format)
{
    for (const track_format f : {track_format::gpx, track_format::kml, track_format::geojson})
        if (word == track_format_suffix(f)) {
            *format = f;
            return true;
        }
    return false;
}
