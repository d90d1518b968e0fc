#include "views/burst/burst_samples_csv.h"

#include "data/model/burst.h"
#include "views/burst/burst_sample_time.h"

#include <QDateTime>

#include <cmath>

QString burst_samples_csv(const burst& b, qint32 number)
{
    const double f = b.sampling_frequency_per_axis;
    const bool timed = f > 0 && std::isfinite(f);
    QString text = QStringLiteral("burst,sample,time_utc,time_ms,x,y,z\n");
    text.reserve(64 * (b.sample_count + 1));
    const QLatin1Char comma(',');
    const QString burst_number = QString::number(number) + comma;
    for (qint32 k = 0; k < b.sample_count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString utc = timed || k == 0 ? QDateTime::fromMSecsSinceEpoch(burst_sample_time(b, k), Qt::UTC)
                                                  .toString(QStringLiteral("yyyy-MM-dd'T'hh:mm:ss.zzz'Z'"))
                                            : QString();
        text += burst_number + QString::number(k) + comma + utc + comma +
                (timed ? QString::number(k * 1000.0 / f, 'f', 3) : QString()) + comma +
                QString::number(static_cast<double>(b.x[i]), 'g', 9) + comma +
                QString::number(static_cast<double>(b.y[i]), 'g', 9) + comma +
                QString::number(static_cast<double>(b.z[i]), 'g', 9) + QLatin1Char('\n');
    }
    return text;
}
