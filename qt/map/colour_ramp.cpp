#include "map/colour_ramp.h"

#include <QColor>

#include <array>
#include <cmath>

namespace {

std::array<QRgb, 256> make_table()
{
    // Stops of the ramp at 0, 0.25, 0.5, 0.75 and 1, interpolated linearly in RGB.
    static const QColor stops[] = {QColor("#0d0887"), QColor("#6a00a8"), QColor("#b12a90"), QColor("#e16462"),
                                   QColor("#fca636")};
    std::array<QRgb, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const double x = i / 255.0 * 4;
        const int k = std::min(3, int(x));
        const double f = x - k;
        const QColor& a = stops[k];
        const QColor& b = stops[k + 1];
        const auto mix = [f](int u, int v) { return int(std::lround(u + (v - u) * f)); };
        table[std::size_t(i)] =
            qRgb(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
    }
    return table;
}

} // namespace

QRgb colour_ramp::at(double position)
{
    static const std::array<QRgb, 256> table = make_table();
    if (std::isnan(position))
        return qRgb(128, 128, 128);
    const double clamped = position < 0 ? 0 : position > 1 ? 1 : position;
    return table[std::size_t(std::lround(clamped * 255))];
}
