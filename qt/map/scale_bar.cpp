#include "map/scale_bar.h"

#include <cmath>

scale_bar scale_bar::choose(double metres_per_pixel, double max_pixels)
{
    scale_bar bar;
    if (!(metres_per_pixel > 0) || !std::isfinite(metres_per_pixel) || !(max_pixels >= 1))
        return bar;
    const double longest = metres_per_pixel * max_pixels;
    if (longest < 1)
        return bar;
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    for (double step : {5.0, 2.0, 1.0}) {
        if (step * power <= longest) {
            bar.metres = step * power;
            break;
        }
    }
    bar.pixels = bar.metres / metres_per_pixel;
    bar.label = bar.metres >= 1000 ? QStringLiteral("%1 km").arg(bar.metres / 1000, 0, 'g', 12)
                                   : QStringLiteral("%1 m").arg(bar.metres, 0, 'g', 12);
    return bar;
}
