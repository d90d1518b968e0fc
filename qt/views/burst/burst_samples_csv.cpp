#include "views/burst/burst_samples_csv.h"

#include "data/model/burst.h"

#include <cmath>

QString burst_samples_csv(const burst& b)
{
    const double f = b.sampling_frequency_per_axis;
    const bool timed = f > 0 && std::isfinite(f);
    QString text = QStringLiteral("sample,time_ms,x,y,z\n");
    text.reserve(32 * (b.sample_count + 1));
    const QLatin1Char comma(',');
    for (qint32 k = 0; k < b.sample_count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        text += QString::number(k) + comma + (timed ? QString::number(k * 1000.0 / f, 'f', 3) : QString()) +
                comma + QString::number(static_cast<double>(b.x[i]), 'g', 9) + comma +
                QString::number(static_cast<double>(b.y[i]), 'g', 9) + comma +
                QString::number(static_cast<double>(b.z[i]), 'g', 9) + QLatin1Char('\n');
    }
    return text;
}
