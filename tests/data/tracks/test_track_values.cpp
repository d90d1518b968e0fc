// The values a track is coloured by and the ends of their scale, against hand-computed figures.
#include "data/model/event_space.h"
#include "data/tracks/fix_values.h"
#include "data/tracks/value_scale.h"

#include <QTest>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<event_space> fixes(const std::vector<gps_event>& list)
{
    std::vector<std::unique_ptr<gps_event>> owned;
    for (const gps_event& e : list)
        owned.push_back(std::make_unique<gps_event>(e));
    return std::make_unique<event_space>(owned);
}

} // namespace

class test_track_values : public QObject
{
    Q_OBJECT

private slots:
    void scale_ends();
    void speed_between_fixes();
    void nearest_burst_in_time();
    void any_value_as_of_finds_it();
};

void test_track_values::scale_ends()
{
    // 1 ... 100 with NaN between: the 2nd percentile by nearest rank is the 2nd value, the 98th the 98th.
    std::vector<double> values{std::nan("")};
    for (int i = 100; i >= 1; --i)
        values.push_back(i);
    const value_scale speed(values, track_colouring::speed);
    QCOMPARE(speed.low, 2.0);
    QCOMPARE(speed.high, 98.0);
    QCOMPARE(speed.position(1), 0.0);
    QCOMPARE(speed.position(50), 0.5);
    QCOMPARE(speed.text(12.345), QStringLiteral("12.3 km/h"));
    // Time runs from the first fix to the last.
    const value_scale time(values, track_colouring::time);
    QCOMPARE(time.low, 1.0);
    QCOMPARE(time.high, 100.0);
    // One value: both ends on it, every fix mid-ramp; none: no scale.
    const value_scale one({7.0, std::nan("")}, track_colouring::height);
    QCOMPARE(one.low, 7.0);
    QCOMPARE(one.high, 7.0);
    QCOMPARE(one.position(7), 0.5);
    QCOMPARE(one.text(450), QStringLiteral("450 m"));
    QVERIFY(value_scale({std::nan("")}, track_colouring::speed).empty());
    // Three values: 2 % of 3 rounds up to the first, 98 % to the third.
    const value_scale three({5.0, 1.0, 3.0}, track_colouring::speed);
    QCOMPARE(three.low, 1.0);
    QCOMPARE(three.high, 5.0);
}

void test_track_values::speed_between_fixes()
{
    // One degree of latitude on the mean-radius sphere: 6371008.8 m * pi / 180 = 111195.08 m.
    const auto track =
        fixes({{0, 13.0, 52.0}, {3600000, 13.0, 53.0}, {5400000, 13.0, 53.0}, {5400000, 14.0, 53.0}});
    const std::vector<double> speed = fix_values::of(*track, track_colouring::speed);
    QCOMPARE(speed.size(), std::size_t(4));
    QVERIFY(std::abs(speed[1] - 111.19508) < 1e-4);
    QCOMPARE(speed[0], speed[1]); // the first fix takes the second's
    QCOMPARE(speed[2], 0.0);
    QVERIFY(std::isnan(speed[3])); // no time passed
    QVERIFY(std::isnan(fix_values::of(*track, track_colouring::height)[0]));
}

void test_track_values::nearest_burst_in_time()
{
    const auto track = fixes({{0, 0, 0}, {150, 0, 0}, {160, 0, 0}, {1000, 0, 0}});
    const std::vector<double> v = fix_values::nearest_in_time(*track, {100, 200, 300}, {1, 2, 3});
    // Before the first burst; a tie between 100 and 200 goes to the earlier; nearer 200; after the last.
    QCOMPARE(v, (std::vector<double>{1, 1, 2, 3}));
    QVERIFY(std::isnan(fix_values::nearest_in_time(*track, {}, {})[0]));
}

void test_track_values::any_value_as_of_finds_it()
{
    const double nan = std::nan("");
    const std::vector<std::vector<gps_event>> tracks{
        {},
        {{1000, 8.5, 47.25, 400}},                                       // one fix: no speed
        {{1000, 8.5, 47.25}, {1000, 8.6, 47.25}},                        // no time between them, no heights
        {{1000, nan, nan}, {2000, 8.6, 47.25}, {3000, 8.7, 47.25, 1.5}}, // the first placed pair last
        {{1000, 8.5, 47.25}, {2000, nan, 47.25}}};
    for (std::size_t t = 0; t < tracks.size(); ++t)
        for (const track_colouring c : {track_colouring::time, track_colouring::speed,
                                        track_colouring::height, track_colouring::track}) {
            const std::unique_ptr<event_space> space = fixes(tracks[t]);
            const std::vector<double> values = fix_values::of(*space, c);
            const bool finite =
                std::any_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
            QVERIFY2(fix_values::any(*space, c) == finite,
                     qPrintable(QString("track %1, colouring %2").arg(t).arg(int(c))));
        }
}

QTEST_GUILESS_MAIN(test_track_values)
#include "test_track_values.moc"
