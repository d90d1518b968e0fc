#include "data/rhythm/rhythm_csv.h"

#include "data/io/csv_text.h"
#include "data/model/activity_calculator.h"
#include "data/rhythm/rhythm_figures.h"
#include "data/rhythm/sun_schedule.h"

#include <QDateTime>
#include <QIODevice>
#include <QStringList>

#include <cmath>

const char rhythm_summary_header[] =
    "file,days,l5,l5_start,m10,m10_start,ra,is,iv,period_h,period_power,period_fap\n";
const char sun_table_header[] = "date,latitude,longitude,sunrise_utc,sunset_utc\n";

namespace {

// Ten significant digits; NA for NaN.
QString number(double v)
{
    return std::isnan(v) ? QStringLiteral("NA") : QString::number(v, 'g', 10);
}

QString utc(qint64 ms)
{
    // Rounded to the nearest second.
    const qint64 s = (ms >= 0 ? ms + 500 : ms - 500) / 1000;
    return QDateTime::fromSecsSinceEpoch(s, Qt::UTC).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QLatin1Char('Z');
}

} // namespace

QString rhythm_summary_row(const QString& file, const rhythm_figures& f)
{
    const double nan = std::nan("");
    const bool p = f.has_period;
    QStringList fields{csv_quoted_for_sheets(file),
                       QString::number(f.days),
                       number(f.l5),
                       std::isnan(f.l5) ? number(nan) : number(f.l5_start),
                       number(f.m10),
                       std::isnan(f.m10) ? number(nan) : number(f.m10_start),
                       number(f.ra),
                       number(f.is),
                       number(f.iv),
                       number(p ? f.period.best_period : nan),
                       number(p ? f.period.best_power : nan),
                       number(p ? f.period.fap : nan)};
    return fields.join(QLatin1Char(',')) + QLatin1Char('\n');
}

bool write_sun_table(const sun_schedule& sun, qint64 plot_begin, qint64 utc_offset_ms, QIODevice& out,
                     QString* error)
{
    QString text = QString::fromLatin1(sun_table_header);
    for (std::size_t d = 0; d < sun.days().size(); ++d) {
        const solar_position::sun_day& day = sun.days()[d];
        const day_position& at = sun.positions()[d];
        const qint64 start = plot_begin + qint64(d) * activity_day_ms + utc_offset_ms;
        text += QDateTime::fromMSecsSinceEpoch(start, Qt::UTC).date().toString(Qt::ISODate) +
                QLatin1Char(',') + QString::number(at.latitude, 'g', 10) + QLatin1Char(',') +
                QString::number(at.longitude, 'g', 10) + QLatin1Char(',');
        if (day.kind == solar_position::sun_day::rises_and_sets)
            text += utc(day.sunrise) + QLatin1Char(',') + utc(day.sunset);
        else if (day.kind == solar_position::sun_day::polar_day)
            text += QStringLiteral("polar day,polar day");
        else
            text += QStringLiteral("polar night,polar night");
        text += QLatin1Char('\n');
    }
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) != bytes.size()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
