#pragma once

#include <QString>

// What a track's line is coloured by: one colour per track, or a value of each fix on a colour ramp.
enum class track_colouring { track, time, speed, height, vedba };

// The colourings in menu order.
constexpr track_colouring track_colourings[] = {track_colouring::track, track_colouring::time,
                                                track_colouring::speed, track_colouring::height,
                                                track_colouring::vedba};

// The word a colouring is remembered by ("track", "time", "speed", "height", "vedba"); the colouring
// of such a word, track for any other.
QString track_colouring_key(track_colouring colouring);
track_colouring track_colouring_from(const QString& key);
// The scale's unit: "km/h", "m" above the ellipsoid, "g" for VeDBA; empty for time and track.
QString track_colouring_unit(track_colouring colouring);
