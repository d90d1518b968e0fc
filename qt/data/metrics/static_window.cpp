#include "data/metrics/static_window.h"

#include <cmath>

qint32 static_window::half_width(double frequency_hz) const
{
    if (!running() || !(frequency_hz > 0))
        return 0;
    const double h = std::floor(seconds * frequency_hz / 2);
    return h >= 1e9 ? 1000000000 : static_cast<qint32>(h);
}

QString static_window::described() const
{
    if (!running())
        return QStringLiteral("static=burst-mean");
    return QStringLiteral("static=running-mean window_s=%1").arg(QString::number(seconds, 'g', 10));
}
