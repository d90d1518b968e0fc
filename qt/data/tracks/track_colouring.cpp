#include "data/tracks/track_colouring.h"

QString track_colouring_key(track_colouring colouring)
{
    switch (colouring) {
    case track_colouring::time:
        return QStringLiteral("time");
    case track_colouring::speed:
        return QStringLiteral("speed");
    case track_colouring::height:
        return QStringLiteral("height");
    case track_colouring::vedba:
        return QStringLiteral("vedba");
    case track_colouring::behaviour:
        return QStringLiteral("behaviour");
    case track_colouring::track:
        break;
    }
    return QStringLiteral("track");
}

track_colouring track_colouring_from(const QString& key)
{
    for (const track_colouring c : track_colourings)
        if (track_colouring_key(c) == key)
            return c;
    return track_colouring::track;
}

QString track_colouring_unit(track_colouring colouring)
{
    switch (colouring) {
    case track_colouring::speed:
        return QStringLiteral("km/h");
    case track_colouring::height:
        return QStringLiteral("m");
    case track_colouring::vedba:
        return QStringLiteral("g");
    default:
        return QString();
    }
}
