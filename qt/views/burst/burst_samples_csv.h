#pragma once

#include <QString>

class burst;

// The raw samples of b as CSV: the header "sample,time_ms,x,y,z", then one line per sample with
// its number, its time after the burst start in ms (three decimals; empty without a usable rate)
// and the three raw values written so they read back exactly. Lines end in "\n".
QString burst_samples_csv(const burst& b);
