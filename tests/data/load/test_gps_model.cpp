// GPS fixes in memory, their association with bursts and the pairing of file names.
#include "data/model/burst_space.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts.h"
#include "data/model/events_by_bursts_empty.h"
#include "support/burst_builder.h"
#include "support/test_support.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

namespace {

qint64 utc(const char* text)
{
    QDateTime t = QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd hh:mm:ss");
    t.setTimeSpec(Qt::UTC);
    return t.toMSecsSinceEpoch();
}

std::vector<std::unique_ptr<gps_event>> fixes(std::initializer_list<gps_event> list)
{
    std::vector<std::unique_ptr<gps_event>> out;
    for (const gps_event& e : list)
        out.push_back(std::make_unique<gps_event>(e));
    return out;
}

std::unique_ptr<burst_space> bursts_at(std::initializer_list<qint64> starts, int samples = 10)
{
    std::vector<std::unique_ptr<burst>> list;
    for (qint64 start : starts)
        list.push_back(test_support::make_burst(start, 10.0, std::vector<float>(samples)));
    return test_support::space_of(std::move(list));
}

} // namespace

class test_gps_model : public QObject
{
    Q_OBJECT

private slots:
    void event_space_keeps_file_order_and_takes_the_list();
    void bounds_west_of_greenwich();
    void bounds_of_empty_space();
    void association_example();
    void association_with_no_bursts_keys_minus_one();
    void fix_for_burst_is_its_first_fix_or_the_nearest_in_time();
    void association_with_no_fixes_counts_zero();
    void same_time_fixes_count_for_one_burst();
    void range_count_equals_sum_of_counts();
    void empty_association_is_zero_everywhere();
    void pairing_debug_lines();
};

void test_gps_model::event_space_keeps_file_order_and_takes_the_list()
{
    auto list = fixes({{300, 1, 2}, {100, 3, 4}, {200, 5, 6}});
    event_space space(list);
    QCOMPARE(space.events().size(), size_t(3));
    QCOMPARE(space.events()[0]->timestamp, qint64(300));
    QCOMPARE(space.events()[1]->timestamp, qint64(100));
    QCOMPARE(space.events()[2]->longitude, 5.0);
    for (const auto& handle : list)
        QVERIFY(!handle);
}

void test_gps_model::bounds_west_of_greenwich()
{
    auto list = fixes({{0, -8.5, 52.1}, {0, -3.25, 51.9}, {0, -5.0, 53.0}});
    const geo_box box = event_space(list).bounds();
    QCOMPARE(box.min_longitude, -8.5);
    QCOMPARE(box.max_longitude, -3.25);
    QCOMPARE(box.min_latitude, 51.9);
    QCOMPARE(box.max_latitude, 53.0);
}

void test_gps_model::bounds_of_empty_space()
{
    std::vector<std::unique_ptr<gps_event>> none;
    const geo_box box = event_space(none).bounds();
    QCOMPARE(box.min_longitude, 1.7976931348623157e308);
    QCOMPARE(box.min_latitude, 1.7976931348623157e308);
    QCOMPARE(box.max_longitude, -1.7976931348623157e308);
    QCOMPARE(box.max_latitude, -1.7976931348623157e308);
}

void test_gps_model::association_example()
{
    auto bursts = bursts_at({utc("2014-05-02 10:00:00"), utc("2014-05-02 10:10:00")});
    auto list = fixes({{utc("2014-05-02 09:59:00"), 0, 0},
                       {utc("2014-05-02 10:00:00"), 0, 0},
                       {utc("2014-05-02 10:05:00"), 0, 0},
                       {utc("2014-05-02 11:00:00"), 0, 0}});
    event_space events(list);
    events_by_bursts association(events, *bursts);
    QCOMPARE(association.event_count(-1), 1);
    QCOMPARE(association.event_count(0), 2);
    QCOMPARE(association.event_count(1), 1);
    QCOMPARE(association.event_count(2), 0);
    QCOMPARE(association.event_count(-2), 0);
    QCOMPARE(association.event_count_range(0, 1), qint64(3));
    QCOMPARE(association.event_count_range(-1, 5), qint64(4));
    QCOMPARE(association.event_count_range(1, 0), qint64(0));
    // Fixes under one burst keep their file order.
    QCOMPARE(association.entries()[1].second->timestamp, utc("2014-05-02 10:00:00"));
    QCOMPARE(association.entries()[2].second->timestamp, utc("2014-05-02 10:05:00"));
}

void test_gps_model::fix_for_burst_is_its_first_fix_or_the_nearest_in_time()
{
    // Bursts at 10:00, 10:10, 10:20, 10:30, 10:40; fixes (file order, not time order) at 10:14 and
    // 10:12 (burst 1), 09:50 (before the first burst) and 10:37 (burst 3).
    const qint64 b0 = utc("2014-05-02 10:00:00");
    auto bursts = bursts_at({b0, b0 + 600000, b0 + 1200000, b0 + 1800000, b0 + 2400000});
    auto list = fixes({{b0 + 840000, 1, 1}, {b0 + 720000, 2, 2}, {b0 - 600000, 3, 3}, {b0 + 2220000, 4, 4}});
    event_space events(list);
    events_by_bursts association(events, *bursts);
    const auto fix_of = [&](qint32 burst, bool& exact) {
        const gps_event* e =
            association.fix_for_burst(burst, bursts->timestamps()[std::size_t(burst)], exact);
        return e ? e->longitude : -1.0;
    };
    bool exact = false;
    QCOMPARE(fix_of(1, exact), 1.0); // the first in file order
    QVERIFY(exact);
    QCOMPARE(fix_of(3, exact), 4.0);
    QVERIFY(exact);
    // Burst 0 (10:00): 09:50 is 10 minutes away, 10:12 is 12.
    QCOMPARE(fix_of(0, exact), 3.0);
    QVERIFY(!exact);
    // Burst 2 (10:20): 10:14 (6 minutes before, not the first of its burst) beats 10:37.
    QCOMPARE(fix_of(2, exact), 1.0);
    QVERIFY(!exact);
    // Burst 4 (10:40): only earlier fixes, 10:37 the latest.
    QCOMPARE(fix_of(4, exact), 4.0);
    QVERIFY(!exact);

    std::vector<std::unique_ptr<gps_event>> none;
    event_space empty(none);
    events_by_bursts no_fixes(empty, *bursts);
    exact = true;
    QVERIFY(!no_fixes.fix_for_burst(0, b0, exact));
    QVERIFY(!exact);
    exact = true;
    QVERIFY(!events_by_bursts_empty().fix_for_burst(0, b0, exact));
    QVERIFY(!exact);
}

void test_gps_model::association_with_no_bursts_keys_minus_one()
{
    auto bursts = bursts_at({});
    auto list = fixes({{1000, 0, 0}, {2000, 0, 0}});
    event_space events(list);
    events_by_bursts association(events, *bursts);
    QCOMPARE(association.event_count(-1), 2);
    QCOMPARE(association.event_count(0), 0);
}

void test_gps_model::association_with_no_fixes_counts_zero()
{
    auto bursts = bursts_at({1000, 2000});
    std::vector<std::unique_ptr<gps_event>> none;
    event_space events(none);
    events_by_bursts association(events, *bursts);
    for (int i = -1; i <= 2; ++i)
        QCOMPARE(association.event_count(i), 0);
    QCOMPARE(association.event_count_range(0, 1), qint64(0));
}

void test_gps_model::same_time_fixes_count_for_one_burst()
{
    auto bursts = bursts_at({1000, 2000, 3000});
    auto list = fixes({{2500, 0, 0}, {2500, 1, 1}});
    event_space events(list);
    events_by_bursts association(events, *bursts);
    QCOMPARE(association.event_count(1), 2);
    QCOMPARE(association.event_count(0), 0);
    QCOMPARE(association.event_count(2), 0);
}

void test_gps_model::range_count_equals_sum_of_counts()
{
    QRandomGenerator random(7);
    std::initializer_list<qint64> starts = {100, 200, 200, 350, 500, 800, 1300, 2100};
    auto bursts = bursts_at(starts);
    std::vector<std::unique_ptr<gps_event>> list;
    for (int i = 0; i < 500; ++i)
        list.push_back(std::make_unique<gps_event>(gps_event{random.bounded(0, 2500), 0, 0}));
    event_space events(list);
    events_by_bursts association(events, *bursts);
    for (int first = -1; first < 10; ++first) {
        for (int last = first; last < 10; ++last) {
            qint64 sum = 0;
            for (int i = first; i <= last; ++i)
                sum += association.event_count(i);
            QCOMPARE(association.event_count_range(first, last), sum);
            QCOMPARE(association.events_by_bursts_i::event_count_range(first, last), sum);
        }
    }
}

void test_gps_model::empty_association_is_zero_everywhere()
{
    events_by_bursts_empty empty;
    const events_by_bursts_i& as_interface = empty;
    for (qint32 i : {std::numeric_limits<qint32>::min(), -1, 0, 1, 1000000})
        QCOMPARE(as_interface.event_count(i), 0);
    QCOMPARE(as_interface.event_count_range(-1, 1000000), qint64(0));
}

void test_gps_model::pairing_debug_lines()
{
    test_support::debug_capture log;
    eobs_guess_acc_gps_filenames names("/d/tag_acc.txt");
    QCOMPARE(log.lines().size(), 3);
    QCOMPARE(log.lines()[0], QString("eobs_guess_acc_gps_filenames:  \"/d/tag_acc.txt\""));
    QCOMPARE(log.lines()[1], QString(" => acc_filename:  \"/d/tag_acc.txt\""));
    QCOMPARE(log.lines()[2], QString(" => gps_filename:  \"/d/tag_gps.txt\""));
}

QTEST_GUILESS_MAIN(test_gps_model)
#include "test_gps_model.moc"
