#pragma once

#include <QString>
#include <QtGlobal>

class burst;

// The raw samples of burst number of a file as CSV: the header "burst,sample,time_utc,time_ms,x,y,z",
// then one line per sample with the burst's number, the sample's number, its UTC time
// (yyyy-MM-ddThh:mm:ss.zzzZ, truncated to the ms; without a usable rate only the first sample's), its
// time after the burst start in ms (three decimals; empty without a usable rate) and the three raw
// values written so they read back exactly. Lines end in "\n".
QString burst_samples_csv(const burst& b, qint32 number);
