// Writes a realistic GPS export for the benchmarks: one fix scheduled every interval
// seconds from 2014-05-02 00:00 UTC (the start of acc_gen's bursts) of a bird that rests at its nest
// by night and forages up to some twenty kilometres away by day, with a few failed fixes (type of fix
// 0, status V, no position) and 2D fixes (type of fix 2). The same arguments give the same track in
// either layout.
//   gps_gen <eobs|fixed> <fixes> <output file> [interval seconds, default 300]
#include "gps_fix_row.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double nest_latitude = 47.7312461;
constexpr double nest_longitude = 9.0587213;
constexpr double metres_per_degree = 111320.0;
constexpr double pi = 3.14159265358979323846;

// A bird's day: calm at the nest at night, foraging walks and flights by day, home by dusk.
class track
{
public:
    explicit track(quint32 seed) : rng_(seed) {}

    gps_fix_row next(qint64 start_ms, int interval)
    {
        gps_fix_row f;
        f.tag = 2241;
        f.start_ms = start_ms;
        const double hour = static_cast<double>(start_ms % 86400000) / 3600000.0;
        const bool day = hour >= 5 && hour < 19;
        const double dx =
            (longitude_ - nest_longitude) * metres_per_degree * std::cos(nest_latitude * pi / 180);
        const double dy = (latitude_ - nest_latitude) * metres_per_degree;
        const double from_nest = std::hypot(dx, dy);
        double speed = 0;
        if (!day || (hour >= 18 && from_nest < 300)) {
            // Roosting: the fixes scatter by a few metres around the nest.
            latitude_ = nest_latitude + normal(4) / metres_per_degree;
            longitude_ =
                nest_longitude + normal(4) / (metres_per_degree * std::cos(nest_latitude * pi / 180));
            speed = std::fabs(normal(0.1));
        } else {
            const bool homing = hour >= 18 || from_nest > 20000;
            if (homing)
                heading_ = std::atan2(-dx, -dy) * 180 / pi + normal(10);
            else
                heading_ += normal(35);
            const bool flying = homing || uniform() < 0.15;
            speed = flying ? 8 + uniform() * 6 : uniform() * 0.8;
            double step = speed * interval * (flying ? 0.3 : 1); // flights are short bouts
            if (homing)
                step = std::min(step, from_nest);
            const double rad = heading_ * pi / 180;
            latitude_ += step * std::cos(rad) / metres_per_degree;
            longitude_ += step * std::sin(rad) / (metres_per_degree * std::cos(latitude_ * pi / 180));
        }
        heading_ = std::fmod(heading_ + 360, 360);
        height_ += day ? normal(3) : (455 - height_) * 0.5;

        const double roll = uniform();
        f.failed = roll < 0.025;
        f.type_of_fix = f.failed ? 0 : roll < 0.035 ? 2 : 3;
        f.time_to_fix = f.failed ? 90 : 6 + static_cast<int>(rng_.bounded(30));
        f.fix_ms = start_ms + f.time_to_fix * 1000;
        f.latitude = latitude_;
        f.longitude = longitude_;
        f.height = height_ + (speed > 5 ? 40 + uniform() * 120 : 0) + normal(f.type_of_fix == 2 ? 25 : 5);
        f.speed = speed;
        f.heading = heading_;
        f.speed_accuracy = 0.3 + uniform() * 2;
        f.horizontal_accuracy = (f.type_of_fix == 2 ? 20 : 2) + uniform() * 12;
        // Solar charging by day, slow drain by night; cooler at night.
        battery_ = std::clamp(battery_ + (day ? 4 : -3) + static_cast<int>(rng_.bounded(-2, 3)), 3550, 4150);
        f.battery = battery_;
        f.fix_battery = battery_ - 150 - static_cast<int>(rng_.bounded(60));
        f.temperature = static_cast<int>(std::lround(16 + 8 * std::sin((hour - 8) * pi / 12) + normal(1.5)));
        f.checksum = rng_.generate();
        return f;
    }

private:
    double uniform() { return rng_.generateDouble(); }
    double normal(double sigma)
    {
        const double u = 1 - uniform(); // (0, 1]
        return sigma * std::sqrt(-2 * std::log(u)) * std::cos(2 * pi * uniform());
    }

    QRandomGenerator rng_;
    double latitude_ = nest_latitude, longitude_ = nest_longitude, height_ = 455, heading_ = 0;
    int battery_ = 3900;
};

} // namespace

int main(int argc, char** argv)
{
    if ((argc != 4 && argc != 5) ||
        (std::strcmp(argv[1], "eobs") != 0 && std::strcmp(argv[1], "fixed") != 0)) {
        std::fprintf(stderr, "usage: gps_gen <eobs|fixed> <fixes> <output file> [interval seconds]\n");
        return 2;
    }
    const bool eobs = std::strcmp(argv[1], "eobs") == 0;
    const long fixes = std::atol(argv[2]);
    const int interval = argc == 5 ? std::atoi(argv[4]) : 300;
    if (fixes < 0 || interval <= 0) {
        std::fprintf(stderr, "gps_gen: the count must not be negative and the interval must be positive\n");
        return 2;
    }
    QFile out(QString::fromLocal8Bit(argv[3]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "gps_gen: %s\n", qPrintable(out.errorString()));
        return 1;
    }
    const export_layout layout = eobs ? export_layout::eobs : export_layout::fixed;
    out.write(gps_fix_row::header(layout));

    track bird(2241);
    const qint64 start = QDateTime(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    for (long i = 0; i < fixes; ++i)
        out.write(bird.next(start + static_cast<qint64>(i) * interval * 1000, interval).line(layout));
    return 0;
}
