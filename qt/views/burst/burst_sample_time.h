#pragma once

#include <QtGlobal>

class burst;

// Time in ms since the epoch of sample s of b: the start plus s * 1000 / f, truncated toward zero
// and held within about 31,700 years of 1970. A burst without a usable rate gives its start time.
qint64 burst_sample_time(const burst& b, qint64 s);

// Time of the last sample of b (its start for a burst without samples or a usable rate).
qint64 burst_end_time(const burst& b);
