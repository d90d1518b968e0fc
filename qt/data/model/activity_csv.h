#pragma once

#include <QString>

class QIODevice;
class activity_calculator;

// The header line of an activity CSV, with its line end.
extern const char activity_csv_header[];

// Writes the values of calc as CSV: the header line, then one line per six-minute bin with its start
// (UTC, ISO 8601), day index and bin of day on the plot's clock, the number of samples in the bin and
// its activity, printed so that reading it back gives the same double. Returns false with the
// device's error text in error when a write fails.
bool write_activity_csv(const activity_calculator& calc, QIODevice& out, QString* error);
