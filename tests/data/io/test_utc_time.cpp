// Export times against QDateTime's own text, across centuries, leap days and both signs.
#include "data/io/utc_time.h"

#include <QDateTime>

#include <gtest/gtest.h>

TEST(utc_time, matches_qdatetime_from_1900_to_2100)
{
    const qint64 from = QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    const qint64 to = QDateTime(QDate(2100, 12, 31), QTime(23, 59), Qt::UTC).toMSecsSinceEpoch();
    // 37 hours and 1,001 ms apart: every hour of the day, every date and millisecond values in turn.
    for (qint64 ms = from; ms < to; ms += 37 * 3600000LL + 1001) {
        const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
        const QString qt = t.toString(ms % 1000 == 0 ? "yyyy-MM-ddThh:mm:ssZ" : "yyyy-MM-ddThh:mm:ss.zzzZ");
        ASSERT_EQ(utc_time::text(ms), qt) << ms;
    }
    EXPECT_EQ(utc_time::text(951782400000), "2000-02-29T00:00:00Z");
    EXPECT_EQ(utc_time::text(-1), "1969-12-31T23:59:59.999Z");
}
