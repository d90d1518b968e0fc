#include "views/activity/activity_plot_options.h"

#include <QStringList>

#include <cstdlib>

QString activity_utc_offset_text(qint32 minutes)
{
    if (minutes == 0)
        return QStringLiteral("UTC");
    const qint32 m = std::abs(minutes);
    return QStringLiteral("UTC%1%2:%3")
        .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(m / 60, 2, 10, QLatin1Char('0'))
        .arg(m % 60, 2, 10, QLatin1Char('0'));
}

QString activity_plot_options::describe() const
{
    QStringList parts;
    if (double_plot)
        parts << QStringLiteral("double plot");
    if (utc_offset_minutes != 0)
        parts << QStringLiteral("hours in ") + activity_utc_offset_text(utc_offset_minutes);
    if (sun_times)
        parts << QStringLiteral("sun times");
    if (shade_night)
        parts << QStringLiteral("night shaded");
    return parts.join(QStringLiteral(", "));
}
