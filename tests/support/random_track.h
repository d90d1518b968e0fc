#pragma once
// A reproducible GPS track for tests and benchmarks: a random walk of mostly short moves
// (foraging), longer ones and now and then a flight, one fix every 5 minutes from 2021-03-01.
#include "data/model/event_space.h"
#include "data/model/gps_event.h"

#include <memory>
#include <random>
#include <vector>

namespace test_support {

struct walk
{
    unsigned seed;
    double lon, lat;     // the start
    double move_below;   // a draw in [0.6, move_below) makes a longer move, below 0.6 a short one
    double move_scale;   // degrees of a longer move (a short one is 0.00002)
    double flight_scale; // degrees of a flight, taken with the chance left
};

inline std::unique_ptr<event_space> random_track(int fixes, const walk& w)
{
    std::mt19937 random(w.seed);
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::vector<std::unique_ptr<gps_event>> list;
    list.reserve(static_cast<std::size_t>(fixes));
    double lon = w.lon, lat = w.lat;
    qint64 t = 1614556800000;
    for (int i = 0; i < fixes; ++i) {
        const double c = chance(random);
        const double scale = c < 0.6 ? 0.00002 : (c < w.move_below ? w.move_scale : w.flight_scale);
        lon += step(random) * scale;
        lat += step(random) * scale * 0.6;
        list.push_back(std::make_unique<gps_event>(gps_event{t += 300000, lon, lat}));
    }
    return std::make_unique<event_space>(list);
}

} // namespace test_support
