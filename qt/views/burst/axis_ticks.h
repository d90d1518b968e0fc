#pragma once

#include <vector>

// Tick values for an axis from lo to hi drawn over length pixels: the multiples within [lo, hi] of
// the smallest step of 1, 2 or 5 times a power of ten that leaves at least min_gap pixels between
// ticks. Empty when lo > hi, length <= 0, or the bounds are not finite.
std::vector<double> axis_ticks(double lo, double hi, double length, double min_gap);

// The step axis_ticks uses for the same arguments; 0 when it returns nothing.
double axis_tick_step(double lo, double hi, double length, double min_gap);
