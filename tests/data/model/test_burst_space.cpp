// Acceleration data model (bursts, burst_space lookups, window extremes) and the loader contract.
#include "data/model/burst.h"
#include "data/model/burst_range.h"
#include "data/model/burst_space.h"
#include "data/io/loader_cancelled.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_wrong_header.h"
#include "support/burst_builder.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

constexpr float big = std::numeric_limits<float>::max();

using test_support::counted_burst;
using test_support::counted_bursts;
using test_support::make_burst;
using test_support::space_of;
using test_support::streams_capture;

// Three bursts of 10 samples at times 1000, 2000, 3000.
std::unique_ptr<burst_space> tens()
{
    return space_of(counted_bursts({{1000, 10, 0.f}, {2000, 10, 100.f}, {3000, 10, 200.f}}));
}

struct extremes
{
    float min_x, max_x, min_y, max_y, min_z, max_z;
    bool several;
};

extremes range_of(const burst_space& space, qint32 first, qint32 last)
{
    extremes e{};
    burst_range(space, first, last)
        .value_range(e.min_x, e.max_x, e.min_y, e.max_y, e.min_z, e.max_z, e.several);
    return e;
}

} // namespace

class test_burst_space : public QObject
{
    Q_OBJECT

private slots:
    void burst_holds_its_values();
    void bursts_made_and_freed_on_other_threads();
    void min_max_of_burst();
    void min_max_of_empty_burst_is_harmless();
    void empty_space();
    void sorts_and_numbers_bursts();
    void stable_sort_keeps_file_order_of_equal_times();
    void takes_ownership_and_empties_list();
    void log_lines();
    void index_for_sample();
    void index_for_sample_with_empty_bursts();
    void index_for_timestamp();
    void index_for_timestamp_equal_times();
    void range_resolution();
    void range_past_total_has_no_bursts();
    void value_range_empty_space();
    void value_range_of_windows_data();
    void value_range_of_windows();
    void value_range_inside_one_burst();
    void value_range_empty_burst_draws_nothing();
    void loader_contract();
};

void test_burst_space::burst_holds_its_values()
{
    const auto made = burst::make(1399035600000, 33.33, 2, {1, 4}, {2, 5}, {3, 6});
    const burst& b = *made;
    QCOMPARE(b.start_timestamp, qint64(1399035600000));
    QCOMPARE(b.sampling_frequency_per_axis, 33.33);
    QCOMPARE(b.sample_count, 2);
    QCOMPARE(b.x, (std::vector<float>{1, 4}));
    QCOMPARE(b.y, (std::vector<float>{2, 5}));
    QCOMPARE(b.z, (std::vector<float>{3, 6}));
    static_assert(!std::is_copy_constructible<burst>::value, "bursts are not copyable");
    static_assert(!std::is_copy_constructible<burst_space>::value, "burst spaces are not copyable");
}

void test_burst_space::bursts_made_and_freed_on_other_threads()
{
    // Two threads each fill more than one region, and a burst too large for a region; the bursts
    // must stay whole, apart and aligned, and be freed on threads other than their makers.
    const int per_thread = 1500, samples = 1000; // 12 kB each: 18 MB a thread
    std::vector<std::unique_ptr<burst>> made[2];
    std::vector<std::thread> makers;
    for (int t = 0; t < 2; ++t)
        makers.emplace_back([&, t] {
            for (int i = 0; i < per_thread; ++i)
                made[t].push_back(test_support::counted_burst(i, samples, float(t * per_thread + i)));
        });
    for (std::thread& m : makers)
        m.join();
    made[0].push_back(test_support::counted_burst(0, 500000, 7.f)); // 6 MB
    for (int t = 0; t < 2; ++t)
        for (std::size_t i = 0; i < made[t].size(); ++i) {
            const burst& b = *made[t][i];
            QCOMPARE(reinterpret_cast<std::uintptr_t>(&b) % alignof(burst), std::uintptr_t(0));
            const float first = i == std::size_t(per_thread) ? 7.f : float(t * per_thread + int(i));
            QCOMPARE(b.x.front(), first);
            QCOMPARE(b.z.back(), first + float(b.sample_count - 1));
        }
    std::thread([&] { made[0].clear(); }).join();
    made[1].erase(made[1].begin(), made[1].begin() + per_thread / 2);
    QCOMPARE(made[1].front()->x.front(), float(per_thread + per_thread / 2));
}

void test_burst_space::min_max_of_burst()
{
    const auto made = burst::make(0, 1.0, 4, {3, -1, 7, 2}, {0, 0, 0, 0}, {-5, 10, 10, -6});
    const burst& b = *made;
    const burst_min_max m(b);
    QCOMPARE(m.min_x, -1.f);
    QCOMPARE(m.max_x, 7.f);
    QCOMPARE(m.min_y, 0.f);
    QCOMPARE(m.max_y, 0.f);
    QCOMPARE(m.min_z, -6.f);
    QCOMPARE(m.max_z, 10.f);

    // Against a plain scan, for every length up to five lanes' worth and the extremes anywhere.
    for (std::size_t n = 1; n <= 40; ++n) {
        std::vector<float> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = float((i * 37 + n * 11) % 23) - 11.f;
        const burst_min_max lanes(v.data(), v.data(), v.data(), n);
        QCOMPARE(lanes.min_y, *std::min_element(v.begin(), v.end()));
        QCOMPARE(lanes.max_z, *std::max_element(v.begin(), v.end()));
    }
}

void test_burst_space::min_max_of_empty_burst_is_harmless()
{
    const auto made = burst::make(0, 1.0, 0, {}, {}, {});
    const burst& b = *made;
    const burst_min_max m(b);
    QCOMPARE(m.min_x, big);
    QCOMPARE(m.min_y, big);
    QCOMPARE(m.min_z, big);
    QCOMPARE(m.max_x, -big);
    QCOMPARE(m.max_y, -big);
    QCOMPARE(m.max_z, -big);
}

void test_burst_space::empty_space()
{
    std::vector<std::unique_ptr<burst>> none;
    streams_capture log;
    const burst_space s(none);
    QCOMPARE(s.entry_count(), 0);
    QVERIFY(s.entries().empty());
    QVERIFY(s.first_samples().empty());
    QVERIFY(s.timestamps().empty());
    QCOMPARE(s.total_sample_count(), 0);
    QCOMPARE(s.max_burst_sample_count(), 0);
    QCOMPARE(s.begin_timestamp(), std::numeric_limits<qint64>::max());
    QCOMPARE(s.end_timestamp(), std::numeric_limits<qint64>::min());
    QCOMPARE(s.burst_index_for_sample(0), -1);
    QCOMPARE(s.burst_index_for_sample(-1), -1);
    QCOMPARE(s.burst_index_for_timestamp(0), -1);
    QCOMPARE(log.stderr_text(),
             QString("total sample count: 0\ntotal burst count: 0\n"
                     "begin timestamp: 9223372036854775807\nend timestamp: -9223372036854775808\n"));
}

void test_burst_space::sorts_and_numbers_bursts()
{
    const auto s = space_of(counted_bursts({{3000, 7}, {2000, 5}, {1000, 3}}));
    QCOMPARE(s->entry_count(), 3);
    QCOMPARE(s->timestamps(), (std::vector<qint64>{1000, 2000, 3000}));
    QCOMPARE(s->first_samples(), (std::vector<qint32>{0, 3, 8}));
    for (qint32 i = 0; i < 3; ++i) {
        QCOMPARE(s->entry(i).index, i);
        QCOMPARE(s->entry(i).first_sample, s->first_samples()[static_cast<std::size_t>(i)]);
        QCOMPARE(s->entry(i).burst->start_timestamp, s->timestamps()[static_cast<std::size_t>(i)]);
        QCOMPARE(&s->entry(i), &s->entries()[static_cast<std::size_t>(i)]);
    }
    QCOMPARE(s->entry(2).burst->sample_count, 7);
    QCOMPARE(s->entry(2).extremes().max_x, 6.f);
    QCOMPARE(s->total_sample_count(), 15);
    QCOMPARE(s->max_burst_sample_count(), 7);
    QCOMPARE(s->begin_timestamp(), qint64(1000));
    QCOMPARE(s->end_timestamp(), qint64(3000));
}

void test_burst_space::stable_sort_keeps_file_order_of_equal_times()
{
    // Many equal times, so an unstable sort would very likely reorder them.
    std::vector<std::unique_ptr<burst>> list;
    for (int i = 0; i < 200; ++i)
        list.push_back(counted_burst(i % 2 == 0 ? 5000 : 4000, 1, static_cast<float>(i)));
    const auto s = space_of(std::move(list));
    for (qint32 i = 0; i < 100; ++i) {
        QCOMPARE(s->entry(i).burst->start_timestamp, qint64(4000));
        QCOMPARE(s->entry(i).burst->x[0], static_cast<float>(2 * i + 1));
        QCOMPARE(s->entry(100 + i).burst->start_timestamp, qint64(5000));
        QCOMPARE(s->entry(100 + i).burst->x[0], static_cast<float>(2 * i));
    }
}

void test_burst_space::takes_ownership_and_empties_list()
{
    std::vector<std::unique_ptr<burst>> list;
    list.push_back(counted_burst(2000, 2));
    list.push_back(nullptr);
    list.push_back(counted_burst(1000, 2));
    const burst* first = list[0].get();
    streams_capture quiet;
    const burst_space s(list);
    QCOMPARE(list.size(), std::size_t(3));
    for (const auto& handle : list)
        QVERIFY(!handle);
    QCOMPARE(s.entry_count(), 2);
    QCOMPARE(s.entry(1).burst.get(), first);
}

void test_burst_space::log_lines()
{
    std::vector<std::unique_ptr<burst>> list = counted_bursts({{-5, 4}, {1399035600000, 6}});
    streams_capture log;
    const burst_space s(list);
    QCOMPARE(log.stderr_text(), QString("total sample count: 10\ntotal burst count: 2\n"
                                        "begin timestamp: -5\nend timestamp: 1399035600000\n"));
}

void test_burst_space::index_for_sample()
{
    const auto s = tens();
    QCOMPARE(s->burst_index_for_sample(0), 0);
    QCOMPARE(s->burst_index_for_sample(9), 0);
    QCOMPARE(s->burst_index_for_sample(10), 1);
    QCOMPARE(s->burst_index_for_sample(19), 1);
    QCOMPARE(s->burst_index_for_sample(20), 2);
    QCOMPARE(s->burst_index_for_sample(29), 2);
    QCOMPARE(s->burst_index_for_sample(30), 2);
    QCOMPARE(s->burst_index_for_sample(1000000), 2);
    QCOMPARE(s->burst_index_for_sample(std::numeric_limits<qint32>::max()), 2);
    QCOMPARE(s->burst_index_for_sample(-1), -1);
    QCOMPARE(s->burst_index_for_sample(std::numeric_limits<qint32>::min()), -1);
}

void test_burst_space::index_for_sample_with_empty_bursts()
{
    const auto s = space_of(counted_bursts({{1, 3}, {2, 0}, {3, 0}, {4, 2}}));
    QCOMPARE(s->first_samples(), (std::vector<qint32>{0, 3, 3, 3}));
    QCOMPARE(s->burst_index_for_sample(2), 0);
    QCOMPARE(s->burst_index_for_sample(3), 1); // first of the bursts sharing the first sample
    QCOMPARE(s->burst_index_for_sample(4), 3);
}

void test_burst_space::index_for_timestamp()
{
    const auto s = tens();
    QCOMPARE(s->burst_index_for_timestamp(1500), 0);
    QCOMPARE(s->burst_index_for_timestamp(2000), 1);
    QCOMPARE(s->burst_index_for_timestamp(2999), 1);
    QCOMPARE(s->burst_index_for_timestamp(999), -1);
    QCOMPARE(s->burst_index_for_timestamp(std::numeric_limits<qint64>::min()), -1);
    QCOMPARE(s->burst_index_for_timestamp(3000), 2);
    QCOMPARE(s->burst_index_for_timestamp(3001), 2);
    QCOMPARE(s->burst_index_for_timestamp(std::numeric_limits<qint64>::max()), 2);
}

void test_burst_space::index_for_timestamp_equal_times()
{
    const auto s = space_of(counted_bursts({{1000, 1}, {2000, 1}, {2000, 1}, {3000, 1}}));
    QCOMPARE(s->burst_index_for_timestamp(2000), 1);
    QCOMPARE(s->burst_index_for_timestamp(2500), 2);
}

void test_burst_space::range_resolution()
{
    const auto s = tens();
    const burst_range inside(*s, 3, 7);
    QCOMPARE(inside.first_burst, 0);
    QCOMPARE(inside.last_burst, 0);
    const burst_range across(*s, 5, 25);
    QCOMPARE(across.first_burst, 0);
    QCOMPARE(across.last_burst, 2);
    const burst_range before(*s, -10, 15);
    QCOMPARE(before.first_burst, -1);
    QCOMPARE(before.last_burst, -1);
    const burst_range at_total(*s, 30, 40);
    QCOMPARE(at_total.first_burst, 2);
    QCOMPARE(at_total.last_burst, 2);
    QCOMPARE(at_total.first_sample, 30);
    QCOMPARE(at_total.last_sample, 40);
    QCOMPARE(&at_total.space, s.get());
}

void test_burst_space::range_past_total_has_no_bursts()
{
    const auto s = tens();
    const burst_range r(*s, 31, 40);
    QCOMPARE(r.first_burst, -1);
    QCOMPARE(r.last_burst, -1);
}

void test_burst_space::value_range_empty_space()
{
    const auto s = test_support::plain_space({});
    const burst_range r(*s, 0, 100);
    QCOMPARE(r.first_burst, -1);
    QCOMPARE(r.last_burst, -1);
}

void test_burst_space::value_range_of_windows_data()
{
    add_columns<bool, int, int, float, float, bool>("empty", // no bursts at all; else tens()
                                                    "first", "last",
                                                    "low", // expected on every axis
                                                    "high", "several");
    add_row("empty space", true, 0, 100, big, -big, false);
    add_row("past the total", false, 31, 40, big, -big, false);
    // Length 10 equals the sample count, so both bursts are scanned sample by sample and only
    // samples 13..19 of burst 1 (values 103..109) and 20..23 of burst 2 (200..203) count.
    add_row("window equal to a burst scans samples", false, 13, 23, 103.f, 203.f, true);
    // Length 11 is one more than the sample count, so every touched burst contributes its stored
    // extremes whole (100..109 and 200..209).
    add_row("window longer than a burst uses extremes", false, 13, 24, 100.f, 209.f, true);
    add_row("touching two bursts", false, 9, 10, 9.f, 100.f, true);
}

void test_burst_space::value_range_of_windows()
{
    auto [empty, first, last, low, high, several] =
        fetch<bool, int, int, float, float, bool>("empty", "first", "last", "low", "high", "several");
    const auto s = empty ? test_support::plain_space({}) : tens();
    const extremes e = range_of(*s, first, last);
    QCOMPARE((std::vector<float>{e.min_x, e.min_y, e.min_z}), std::vector<float>(3, low));
    QCOMPARE((std::vector<float>{e.max_x, e.max_y, e.max_z}), std::vector<float>(3, high));
    QCOMPARE(e.several, several);
}

void test_burst_space::value_range_inside_one_burst()
{
    std::vector<std::unique_ptr<burst>> list;
    list.push_back(make_burst(0, 10.0, {5, 1, 9, 3, 7}, {-1, -2, -3, -4, -5}, {0, 10, 20, 30, 40}));
    const auto s = space_of(std::move(list));
    const extremes e = range_of(*s, 1, 3);
    QCOMPARE(e.min_x, 1.f);
    QCOMPARE(e.max_x, 9.f);
    QCOMPARE(e.min_y, -4.f);
    QCOMPARE(e.max_y, -2.f);
    QCOMPARE(e.min_z, 10.f);
    QCOMPARE(e.max_z, 30.f);
    QVERIFY(!e.several);
    const extremes one = range_of(*s, 4, 4);
    QCOMPARE(one.min_x, 7.f);
    QCOMPARE(one.max_x, 7.f);
}

void test_burst_space::value_range_empty_burst_draws_nothing()
{
    const auto s = space_of(counted_bursts({{1, 0}, {2, 4, 50.f}}));
    // The window lands on the burst without samples (both bursts start at sample 0; the first wins).
    const extremes scanned = range_of(*s, 0, 0);
    QCOMPARE(scanned.min_x, big);
    QCOMPARE(scanned.max_x, -big);
    // A long window folds the stored extremes of the empty burst, which change nothing.
    const extremes folded = range_of(*s, 0, 100);
    QCOMPARE(folded.min_x, 50.f);
    QCOMPARE(folded.max_x, 53.f);
    QVERIFY(folded.several);
}

void test_burst_space::loader_contract()
{
    using progress = test_support::recording_progress;
    static_assert(std::is_abstract<loader_progress>::value, "loader_progress is an interface");
    static_assert(std::has_virtual_destructor<loader_progress>::value, "owned through the interface");
    static_assert(std::is_base_of<std::exception, loader_wrong_header>::value, "");
    static_assert(std::is_base_of<std::exception, loader_cancelled>::value, "");

    std::unique_ptr<loader_progress> p = std::make_unique<progress>();
    p->loader_progress_set_value(3);
    p->loader_progress_set_text("loading acceleration data file...");
    QCOMPARE(static_cast<progress*>(p.get())->values, QList<qint32>{3});
    QCOMPARE(static_cast<progress*>(p.get())->texts, QStringList{"loading acceleration data file..."});
    QVERIFY(!p->loader_progress_cancelled());

    // Neither exception carries a message of its own: what() is the standard base's.
    const std::exception base;
    try {
        throw loader_wrong_header();
    } catch (const std::exception& e) {
        QVERIFY(dynamic_cast<const loader_wrong_header*>(&e));
        QCOMPARE(std::strcmp(e.what(), base.what()), 0);
    }
    try {
        throw loader_cancelled();
    } catch (const std::exception& e) {
        QVERIFY(dynamic_cast<const loader_cancelled*>(&e));
        QVERIFY(!dynamic_cast<const loader_wrong_header*>(&e));
        QCOMPARE(std::strcmp(e.what(), base.what()), 0);
    }
}

QTEST_GUILESS_MAIN(test_burst_space)
#include "test_burst_space.moc"
