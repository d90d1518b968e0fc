#pragma once

#include <QtGlobal>

// Stands in for start times a reader cannot use: unparsable ones (read as 0) and those outside
// 1990-01-01 to 2100-12-31 UTC take the time of the previous usable line of the file; lines before
// the first usable one take that first time once it is known (resolve()).
class start_time_repair
{
public:
    static constexpr qint64 earliest = 631152000000;  // 1990-01-01T00:00:00Z
    static constexpr qint64 latest = 4133980800000;   // 2101-01-01T00:00:00Z, exclusive

    static bool usable(qint64 msecs) { return msecs >= earliest && msecs < latest; }

    // The time to use for a line that read `msecs`; false when no usable time has been seen yet
    // (the caller keeps the line and asks pending_time() later).
    bool take(qint64& msecs);
    // The time for lines that came before the first usable one: that first time, or 0 if the file
    // has none.
    qint64 pending_time() const { return seen_ ? first_ : 0; }
    qint64 replaced() const { return replaced_; }

private:
    bool seen_ = false;
    qint64 first_ = 0;
    qint64 last_ = 0;
    qint64 replaced_ = 0;
};
