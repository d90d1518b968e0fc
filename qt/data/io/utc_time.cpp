#include "data/io/utc_time.h"

#include "data/io/floor_div.h"

#include <cstdio>

namespace {

constexpr qint64 day_ms = 86400000;

// Proleptic Gregorian date of a day count from 1970-01-01 (H. Hinnant's civil_from_days).
void civil_from_days(qint64 z, qint64& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const qint64 era = floor_div(z, 146097);
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<qint64>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

} // namespace

void utc_time::append(std::string& text, qint64 msecs)
{
    const qint64 days = floor_div(msecs, day_ms);
    const qint64 in_day = msecs - days * day_ms;
    qint64 y = 0;
    unsigned mo = 0, d = 0;
    civil_from_days(days, y, mo, d);
    const auto s = static_cast<int>(in_day / 1000);
    char buf[48];
    const int n = std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(y),
                                mo, d, s / 3600, s / 60 % 60, s % 60);
    text.append(buf, static_cast<std::size_t>(n));
    const auto rest = static_cast<int>(in_day % 1000);
    if (rest != 0) {
        const int r = std::snprintf(buf, sizeof buf, ".%03d", rest);
        text.append(buf, static_cast<std::size_t>(r));
    }
    text += 'Z';
}

QString utc_time::text(qint64 msecs)
{
    std::string text;
    append(text, msecs);
    return QString::fromLatin1(text.data(), static_cast<int>(text.size()));
}
