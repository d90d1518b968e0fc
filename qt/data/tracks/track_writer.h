#pragma once

#include "data/tracks/track_format.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class QIODevice;
class event_space;

// Writes one animal's fixes in file order, as the map draws them, in one of the track formats:
// GPX 1.1 (a track of one segment, trkpt with ele where known and time), KML 2.2 (a LineString
// placemark with the TimeSpan of the fixes) or GeoJSON (a LineString feature, then one Point feature
// per fix with its time). Fixes whose position is not a finite number are left out and counted.
class track_writer
{
public:
    // Told the fixes written of all every few thousand fixes; false stops the write.
    using step = std::function<bool(qint64 done, qint64 total)>;
    // name labels the track inside the file (in XML, a control character it cannot hold as \xHH). False
    // when out could not be written or step stopped the write (reason set: "cancelled" then).
    static bool write(track_format format, const event_space& fixes, const QString& name, QIODevice& out,
                      QString* reason, const step& going_on = {});

    // The fixes a write leaves out for want of a finite position.
    static qint64 left_out(const event_space& fixes);

    // A fix's time as xsd:dateTime in UTC, milliseconds only when not zero: "2014-05-02T00:00:13Z".
    static QString time_text(qint64 msecs);
};
