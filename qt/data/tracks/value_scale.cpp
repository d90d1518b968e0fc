#include "data/tracks/value_scale.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

value_scale::value_scale(const std::vector<double>& values, track_colouring c)
    : colouring(c), unit(track_colouring_unit(c))
{
    std::vector<double> finite;
    finite.reserve(values.size());
    for (const double v : values)
        if (std::isfinite(v))
            finite.push_back(v);
    if (finite.empty())
        return;
    if (colouring == track_colouring::time) {
        const auto [lo, hi] = std::minmax_element(finite.begin(), finite.end());
        low = *lo;
        high = *hi;
        return;
    }
    // Nearest rank: the smallest value with at least p percent of the values at or below it.
    const auto rank = [&](double p) {
        const std::size_t n = finite.size();
        const std::size_t k = std::size_t(std::max(1.0, std::ceil(p / 100.0 * double(n)))) - 1;
        std::nth_element(finite.begin(), finite.begin() + std::ptrdiff_t(k), finite.end());
        return finite[k];
    };
    low = rank(low_percentile);
    high = rank(high_percentile);
}

double value_scale::position(double v) const
{
    if (std::isnan(v))
        return v;
    if (high == low)
        return 0.5;
    return std::clamp((v - low) / (high - low), 0.0, 1.0);
}

QString value_scale::text(double v) const
{
    if (colouring == track_colouring::time)
        return QDateTime::fromMSecsSinceEpoch(qint64(v), Qt::UTC)
            .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    // Three significant digits at most, no exponent for the values tags give.
    const double magnitude = std::abs(v);
    const int places = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : 2;
    return QString::number(v, 'f', places) + QLatin1Char(' ') + unit;
}
