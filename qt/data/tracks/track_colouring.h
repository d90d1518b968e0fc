#pragma once

#include <QString>

// What a track's line is coloured by: one colour per track, a value of each fix on a colour ramp, or
// the behaviour of each fix's nearest burst in that behaviour's colour.
enum class track_colouring { track, time, speed, height, vedba, behaviour };

// The colourings in menu order.
constexpr track_colouring track_colourings[] = {track_colouring::track, track_colouring::time,
                                                track_colouring::speed, track_colouring::height,
                                                track_colouring::vedba, track_colouring::behaviour};

// The word a colouring is remembered by ("track", "time", "speed", "height", "vedba", "behaviour");
// the colouring of such a word, track for any other.
QString track_colouring_key(track_colouring colouring);
track_colouring track_colouring_from(const QString& key);
// The scale's unit: "km/h", "m" above the ellipsoid, "g" for VeDBA; empty for time, track and behaviour.
QString track_colouring_unit(track_colouring colouring);
