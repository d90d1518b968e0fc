#pragma once

#include "data/tracks/track_colouring.h"

#include <QStringList>
#include <QtGlobal>

#include <vector>

class event_space;

// One value per fix of a track, in file order, for colouring it; NaN where a fix has none.
class fix_values
{
public:
    // time: ms since 1970 (UTC); speed: km/h from the previous fix in file order, great-circle
    // distance over the time between them (the first fix takes the second's; NaN when no time passed);
    // height: metres above the ellipsoid as the file gives it. Every value NaN for track and vedba.
    static std::vector<double> of(const event_space& fixes, track_colouring colouring);
    // Whether of() holds a finite value, mostly found at the first fixes rather than by computing all.
    static bool any(const event_space& fixes, track_colouring colouring);

    // For each fix the value of the burst nearest in time (ties: the earlier burst); burst_times
    // sorted ascending, one value each. All NaN without bursts.
    static std::vector<double> nearest_in_time(const event_space& fixes,
                                               const std::vector<qint64>& burst_times,
                                               const std::vector<double>& burst_values);

    // For each fix the behaviour of the burst nearest in time: the burst's label, else its predicted
    // behaviour, as an index into names (which it extends); NaN where that burst has neither. labels
    // and predicted hold one name (empty: none) per burst of burst_times.
    static std::vector<double> behaviours(const event_space& fixes, const std::vector<qint64>& burst_times,
                                          const QStringList& labels, const QStringList& predicted,
                                          QStringList& names);

    // Great-circle distance in metres on a sphere of the mean earth radius (haversine).
    static double distance_m(double lon1, double lat1, double lon2, double lat2);
};
