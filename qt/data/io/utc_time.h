#pragma once

#include <QString>
#include <QtGlobal>

#include <string>

// A time as the exports write it: ISO 8601 in UTC, milliseconds only when not zero
// ("2014-05-02T00:00:13Z", "2014-05-02T00:00:13.250Z"); the proleptic Gregorian calendar.
class utc_time
{
public:
    // Appends the text of msecs since 1970-01-01T00:00:00Z.
    static void append(std::string& text, qint64 msecs);
    static QString text(qint64 msecs);
};
