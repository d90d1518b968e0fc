// Writes a behaviour example: three days (2 to 4 May 2014) of a white stork, one burst of 4 s at 20 Hz
// every two minutes or so, each drawn from the behaviour of its time, with the behaviours as a labels
// file (the ground truth) and a GPS export that moves with them (a fix every five minutes).
// Deterministic: the same arguments give the same files, and each layout the same data.
//   behaviour_gen [--tag N] [--layout fixed|eobs] [--failed-fixes] <acc output> [<labels output>] <gps output>
// The tag (4711 unless given) seeds the draws and turns g into raw units by its default calibration
// (4711: raw = 2048 + 512 g, Y inverted; 2241: 0.0027 g per unit), so a bird at rest reads 1 g.
// --failed-fixes lets some fixes fail or be 2D as on a real tag, drawn apart from the rest.
// Behaviours, in g:
//   resting  steady upright posture, noise 0.01 g;
//   walking  about 2 Hz strides (surge and heave 0.2-0.3 g), slight forward pitch;
//   flapping wing beats of 3-4 Hz, heave 0.8-1 g on Z;
//   soaring  banked 20-35 degrees, little dynamic acceleration;
//   foraging head down (pitch -40 to -60 degrees), irregular pecks and steps.
#include "acc_burst_row.h"
#include "data/metrics/burst_calibration.h"
#include "gps_fix_row.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double rate = 20;    // Hz
constexpr int samples = 80;    // per axis: 4 s
constexpr double nest_latitude = 47.7312461, nest_longitude = 9.0587213;

enum behaviour { resting, walking, flapping, soaring, foraging };
const char* const names[] = {"resting", "walking", "flapping", "soaring", "foraging"};

struct segment
{
    qint64 start, end; // ms, [start, end)
    behaviour what;
};

class generator
{
public:
    explicit generator(quint32 seed) : rng_(seed) {}
    double uniform(double lo, double hi) { return lo + (hi - lo) * rng_.generateDouble(); }
    double normal(double sd)
    {
        // Box-Muller from two uniforms.
        const double u = std::max(1e-12, rng_.generateDouble()), v = rng_.generateDouble();
        return sd * std::sqrt(-2 * std::log(u)) * std::cos(2 * pi * v);
    }
    int bounded(int lo, int hi) { return lo + int(rng_.bounded(quint32(hi - lo + 1))); }

private:
    QRandomGenerator rng_;
};

// A day: rest until dawn, then bouts of foraging, walking and flights (take-off by flapping, then
// soaring, then flapping again to land), rest at noon and from dusk.
std::vector<segment> schedule(generator& g, qint64 from, qint64 to)
{
    std::vector<segment> out;
    const auto minutes = [](double m) { return qint64(std::lround(m * 60)) * 1000; };
    qint64 t = from;
    const auto add = [&](behaviour b, qint64 length) {
        const qint64 end = std::min(to, t + length);
        if (end > t)
            out.push_back({t, end, b});
        t = end;
    };
    while (t < to) {
        const int hour = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).time().hour();
        if (hour < 5 || hour >= 19) {
            add(resting, minutes(g.uniform(60, 120)));
            continue;
        }
        switch (g.bounded(0, 5)) {
        case 0:
        case 1:
            add(foraging, minutes(g.uniform(20, 60)));
            break;
        case 2:
            add(walking, minutes(g.uniform(6, 20)));
            break;
        case 3:
            add(flapping, minutes(g.uniform(3, 6)));
            add(soaring, minutes(g.uniform(15, 40)));
            add(flapping, minutes(g.uniform(2, 5)));
            break;
        default:
            add(resting, minutes(g.uniform(15, 45)));
            break;
        }
    }
    return out;
}

// Posture and motion of one burst, in g on X (surge), Y (sway) and Z (heave).
void draw_burst(generator& g, behaviour b, double out[3][samples])
{
    double pitch = 0, roll = 0, noise = 0.01;
    double freq = 0, amp[3] = {0, 0, 0}, phase = g.uniform(0, 2 * pi);
    switch (b) {
    case resting:
        pitch = g.uniform(-5, 8);
        roll = g.uniform(-4, 4);
        break;
    case walking:
    case flapping: {
        // Ranges of pitch, roll, stride or wingbeat frequency and amplitude on X, Y, Z, drawn in this order.
        static const double ranges[2][6][2] = {
            {{5, 15}, {-5, 5}, {1.8, 2.2}, {0.2, 0.3}, {0.05, 0.1}, {0.2, 0.3}},
            {{-5, 10}, {-8, 8}, {3.1, 3.9}, {0.2, 0.35}, {0.05, 0.1}, {0.8, 1.0}}};
        const auto& r = ranges[b == walking ? 0 : 1];
        double* const drawn[6] = {&pitch, &roll, &freq, &amp[0], &amp[1], &amp[2]};
        for (int i = 0; i < 6; ++i)
            *drawn[i] = g.uniform(r[i][0], r[i][1]);
        noise = b == walking ? 0.05 : 0.08;
        break;
    }
    case soaring:
        pitch = g.uniform(-5, 5);
        roll = (g.bounded(0, 1) ? 1 : -1) * g.uniform(20, 35);
        noise = 0.03;
        break;
    case foraging:
        pitch = g.uniform(-60, -40);
        roll = g.uniform(-10, 10);
        noise = 0.12;
        break;
    }
    const double p = pitch * pi / 180, r = roll * pi / 180;
    const double posture[3] = {std::sin(p), std::cos(p) * std::sin(r), std::cos(p) * std::cos(r)};
    // Foraging: a few pecks, each a short jolt on X and Z at a random sample.
    std::vector<int> pecks;
    if (b == foraging)
        for (int k = g.bounded(2, 6); k > 0; --k)
            pecks.push_back(g.bounded(0, samples - 4));
    for (int j = 0; j < samples; ++j) {
        const double t = j / rate;
        for (int a = 0; a < 3; ++a) {
            double v = posture[a] + g.normal(noise);
            if (freq > 0)
                v += amp[a] * std::sin(2 * pi * freq * t * (a == 1 ? 0.5 : 1) + phase + a);
            if (b == soaring)
                v += 0.04 * std::sin(2 * pi * 0.25 * t + a);
            for (int peck : pecks)
                if (j >= peck && j < peck + 3 && a != 1)
                    v += (a == 0 ? -0.5 : 0.4) * (1 - (j - peck) / 3.0);
            out[a][j] = v;
        }
    }
}

QByteArray iso(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-ddThh:mm:ss.zzzZ").toLatin1();
}

QByteArray plain(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss.zzz").toLatin1();
}

bool write(const char* path, const QByteArray& text)
{
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size()) {
        std::fprintf(stderr, "behaviour_gen: %s: %s\n", path, qPrintable(f.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int tag = 4711;
    export_layout layout = export_layout::fixed;
    bool failed_fixes = false;
    int arg = 1;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
        if (std::strcmp(argv[arg], "--failed-fixes") == 0)
            failed_fixes = true;
        else if (std::strcmp(argv[arg], "--tag") == 0 && arg + 1 < argc && std::atoi(argv[arg + 1]) > 0)
            tag = std::atoi(argv[++arg]);
        else if (std::strcmp(argv[arg], "--layout") == 0 && arg + 1 < argc &&
                 (std::strcmp(argv[arg + 1], "fixed") == 0 || std::strcmp(argv[arg + 1], "eobs") == 0))
            layout = std::strcmp(argv[++arg], "eobs") == 0 ? export_layout::eobs : export_layout::fixed;
        else
            break;
    }
    const auto calibration = burst_calibration::default_for_tag(QString::number(tag));
    const int outputs = argc - arg;
    if ((outputs != 2 && outputs != 3) || !calibration) {
        std::fprintf(stderr, "usage: behaviour_gen [--tag N] [--layout fixed|eobs] [--failed-fixes] "
                             "<acc output> [<labels output>] <gps output>\n");
        return 2;
    }
    const char* const acc_path = argv[arg];
    const char* const labels_path = outputs == 3 ? argv[arg + 1] : nullptr;
    const char* const gps_path = argv[argc - 1];

    generator g{quint32(tag)};
    const qint64 from = QDateTime(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    const qint64 to = from + 3 * 86400000LL;
    const std::vector<segment> segments = schedule(g, from, to);

    // One row per run of a behaviour.
    QByteArray labels = "animal,start_utc,end_utc,label,note\n";
    for (std::size_t i = 0; i < segments.size();) {
        std::size_t j = i;
        while (j + 1 < segments.size() && segments[j + 1].what == segments[i].what)
            ++j;
        labels += "," + iso(segments[i].start) + "," + iso(segments[j].end) + "," + names[segments[i].what] + ",\n";
        i = j + 1;
    }

    QByteArray acc = acc_burst_row::header(layout);
    std::size_t k = 0;
    double values[3][samples];
    acc_burst_row row;
    row.event_id = 1000000;
    row.frequency = "20";
    row.tag = tag;
    for (qint64 t = from + 17000; t < to; t += 1000 * g.bounded(100, 140)) {
        while (segments[k].end <= t)
            ++k;
        // Each burst lies wholly inside one behaviour: none starts in the last 5 s of a segment.
        if (t + 5000 > segments[k].end)
            continue;
        draw_burst(g, segments[k].what, values);
        row.raw.clear();
        for (int j = 0; j < samples; ++j)
            for (int a = 0; a < 3; ++a) {
                const double r = calibration->to_raw(a, values[a][j]);
                row.raw += QByteArray::number(std::clamp(int(std::lround(r)), 0, 4095));
                row.raw += j == samples - 1 && a == 2 ? "" : " ";
            }
        row.checksum = QByteArray::number(quint32(g.uniform(0, 4e9)), 16);
        row.start = plain(t);
        // Not drawn, so that every layout keeps the same bursts: charged by day, lower at night.
        const int hour = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).time().hour();
        row.battery = hour >= 5 && hour < 19 ? "3.95" : "3.8";
        acc += row.line(layout);
        ++row.event_id;
    }

    // GPS: at the nest at rest, a few metres a minute walking or foraging, 8-12 m/s flying.
    QByteArray gps = gps_fix_row::header(layout);
    QRandomGenerator lost(quint32(tag) + 1); // apart from g, so failures change neither bursts nor track
    double north = 0, east = 0, heading = g.uniform(0, 2 * pi);
    k = 0;
    for (qint64 t = from; t < to; t += 300000) {
        while (segments[k].end <= t)
            ++k;
        const behaviour b = segments[k].what;
        const double speed = b == soaring || b == flapping ? g.uniform(8, 12)
                             : b == walking || b == foraging ? g.uniform(0.02, 0.1)
                                                             : 0;
        // Flights turn home once more than 15 km out; rest at night is at the nest.
        const double distance = std::hypot(north, east);
        heading += g.normal(0.3);
        if (distance > 15000)
            heading = std::atan2(-east, -north);
        north += speed * 300 * std::cos(heading);
        east += speed * 300 * std::sin(heading);
        const int hour = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).time().hour();
        if (hour < 5 || hour >= 19)
            north = east = 0;
        gps_fix_row f;
        f.tag = tag;
        f.start_ms = t;
        f.time_to_fix = g.bounded(8, 30);
        f.fix_ms = t + 1000 * f.time_to_fix;
        f.latitude = nest_latitude + north / 111320.0;
        f.longitude = nest_longitude + east / (111320.0 * std::cos(nest_latitude * pi / 180));
        f.height = 450 + (b == soaring ? g.uniform(300, 900) : g.uniform(-3, 3)); // drawn before the checksum
        f.checksum = quint32(g.uniform(0, 4e9));
        f.speed = speed;
        f.heading = std::fmod(heading * 180 / pi + 720, 360);
        f.battery = 3890;
        f.fix_battery = 3700;
        f.temperature = 14;
        f.speed_accuracy = 0.4;
        f.horizontal_accuracy = 5.1;
        if (failed_fixes) {
            const double roll = lost.generateDouble();
            f.failed = roll < 0.025;
            f.type_of_fix = f.failed ? 0 : roll < 0.035 ? 2 : 3;
            if (f.failed) // the tag searched until it gave up
                f.fix_ms = t + 1000 * (f.time_to_fix = 90);
        }
        gps += f.line(layout);
    }
    return write(acc_path, acc) && (!labels_path || write(labels_path, labels)) && write(gps_path, gps) ? 0 : 1;
}
