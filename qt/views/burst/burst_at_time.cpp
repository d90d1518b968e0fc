#include "views/burst/burst_at_time.h"

#include "data/model/burst_space.h"
#include "views/burst/burst_sample_time.h"

#include <QDateTime>

qint32 burst_at_time(const burst_space& space, qint64 t)
{
    if (space.entry_count() == 0)
        return -1;
    const qint32 i = space.burst_index_for_timestamp(t);
    if (i == -1)
        return 0;
    if (i == space.entry_count() - 1)
        return i;
    const qint64 end = burst_end_time(*space.entry(i).burst);
    if (t <= end)
        return i;
    const qint64 next_start = space.timestamps()[static_cast<std::size_t>(i) + 1];
    return t - end <= next_start - t ? i : i + 1;
}

std::optional<qint64> parse_utc_time(const QString& text)
{
    // Date and time are read apart: read as one local time, a time a clock change skips is invalid.
    const QStringList parts = text.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 2)
        return std::nullopt;
    const QDate date = QDate::fromString(parts[0], QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (parts.size() == 2) {
        time = QTime();
        for (const char* format : {"hh:mm:ss.zzz", "hh:mm:ss", "hh:mm"}) {
            time = QTime::fromString(parts[1], QString::fromLatin1(format));
            if (time.isValid())
                break;
        }
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
}
