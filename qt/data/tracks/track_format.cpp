#include "data/tracks/track_format.h"

#include "data/io/named_value.h"

namespace {

constexpr named_value<track_format> suffixes[] = {
    {track_format::gpx, "gpx"}, {track_format::kml, "kml"}, {track_format::geojson, "geojson"}};

} // namespace

QString track_format_suffix(track_format format)
{
    return name_of(suffixes, format, "geojson");
}

bool track_format_from(const QString& word, track_format* format)
{
    return value_named(suffixes, word, format);
}
