#include "data/tracks/track_colouring.h"

#include "data/io/named_value.h"

namespace {

constexpr named_value<track_colouring> keys[] = {{track_colouring::track, "track"},
                                                 {track_colouring::time, "time"},
                                                 {track_colouring::speed, "speed"},
                                                 {track_colouring::height, "height"},
                                                 {track_colouring::vedba, "vedba"},
                                                 {track_colouring::behaviour, "behaviour"}};
constexpr named_value<track_colouring> units[] = {
    {track_colouring::speed, "km/h"}, {track_colouring::height, "m"}, {track_colouring::vedba, "g"}};

} // namespace

QString track_colouring_key(track_colouring colouring)
{
    return name_of(keys, colouring, "track");
}

track_colouring track_colouring_from(const QString& key)
{
    track_colouring colouring = track_colouring::track;
    value_named(keys, key, &colouring);
    return colouring;
}

QString track_colouring_unit(track_colouring colouring)
{
    return name_of(units, colouring);
}
