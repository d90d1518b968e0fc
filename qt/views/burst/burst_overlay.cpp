#include "views/burst/burst_overlay.h"

#include <cmath>

int burst_overlay::frame::x_at(double p) const
{
    const double x = (p - left) / per_pixel;
    constexpr double limit = 1 << 22;
    if (!(x >= -limit))
        return -(1 << 22);
    return x > limit ? 1 << 22 : static_cast<int>(std::trunc(x));
}

QRect burst_overlay::text_rect(const frame&, const QFont&) const
{
    return QRect();
}
