#pragma once

#include <QString>
#include <QtGlobal>

// One labelled stretch of time of one animal: a burst starting at t belongs to it when
// start_ms <= t < end_ms. Times are ms since 1970-01-01T00:00:00 UTC.
struct label_segment
{
    QString animal; // empty for a file of one animal
    qint64 start_ms = 0;
    qint64 end_ms = 0;
    QString label;
    QString note;

    bool operator==(const label_segment& o) const
    {
        return start_ms == o.start_ms && end_ms == o.end_ms && label == o.label && note == o.note &&
               animal == o.animal;
    }
    bool operator!=(const label_segment& o) const { return !(*this == o); }
};
