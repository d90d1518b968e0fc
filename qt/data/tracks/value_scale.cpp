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

value_scale value_scale::of_behaviours(std::vector<std::vector<double>>& values,
                                      const std::vector<const named_colours*>& names)
{
    value_scale s;
    s.colouring = track_colouring::behaviour;
    for (std::size_t t = 0; t < values.size() && t < names.size(); ++t) {
        const named_colours& own = *names[t];
        std::vector<int> merged(own.size(), -1);
        for (double& v : values[t]) {
            if (!(v >= 0 && v < double(own.size()))) {
                v = std::nan(""); // names no behaviour of its track: drawn as none
                continue;
            }
            int& m = merged[std::size_t(v)];
            if (m < 0) {
                const auto met = std::find_if(s.categories.begin(), s.categories.end(),
                                              [&](const auto& c) { return c.first == own[std::size_t(v)].first; });
                m = int(met - s.categories.begin());
                if (met == s.categories.end())
                    s.categories.push_back(own[std::size_t(v)]);
            }
            v = m;
        }
    }
    if (!s.categories.empty()) {
        s.low = 0;
        s.high = double(s.categories.size() - 1);
    }
    return s;
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
