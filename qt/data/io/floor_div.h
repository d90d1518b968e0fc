#pragma once

#include <QtGlobal>

// Quotient rounded towards minus infinity for either sign of a and b (b != 0): floor_div(-1, 256)
// is -1, floor_div(-257, 256) is -2, floor_div(5, -2) is -3.
inline qint64 floor_div(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
