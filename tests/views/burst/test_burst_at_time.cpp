// Finding the burst for a typed UTC time, and reading the time the user types.
#include "data/model/burst_space.h"
#include "views/burst/burst_at_time.h"
#include "views/burst/burst_sample_time.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// 2021-03-01 00:00:00 UTC
const qint64 t0 = QDateTime(QDate(2021, 3, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();

// Bursts of samples at 10 Hz starting at the given seconds after t0: a burst of n samples covers
// (n - 1) * 100 ms.
std::unique_ptr<burst_space> space_of(const std::vector<std::pair<int, int>>& starts_and_counts)
{
    std::vector<std::unique_ptr<burst>> list;
    for (const auto& [second, n] : starts_and_counts)
        list.push_back(burst::make(t0 + second * 1000LL, 10.0, n, std::vector<float>(n, 1.f),
                                               std::vector<float>(n, 2.f), std::vector<float>(n, 3.f)));
    std::ostringstream quiet;
    std::streambuf* old = std::cerr.rdbuf(quiet.rdbuf());
    auto space = std::make_unique<burst_space>(list);
    std::cerr.rdbuf(old);
    return space;
}

struct lookup_case
{
    const char* name;
    qint64 ms_after_t0;
    qint32 expected;
};

} // namespace

TEST(burst_at_time, lands_on_the_burst_or_the_nearer_neighbour)
{
    // Burst 0 spans 0 ... 9.9 s, burst 1 spans 60 ... 69.9 s, burst 2 starts at 120 s.
    const auto space = space_of({{0, 100}, {60, 100}, {120, 100}});
    const lookup_case cases[] = {
        {"a day before the first", -86400000, 0},
        {"just before the first", -1, 0},
        {"the first start", 0, 0},
        {"the last sample of burst 0", 9900, 0},
        {"gap, nearer burst 0", 34900, 0},
        {"gap, exactly halfway: the earlier", 34950, 0},
        {"gap, nearer burst 1", 34951, 1},
        {"just before burst 1", 59999, 1},
        {"inside burst 1", 65000, 1},
        {"the last start", 120000, 2},
        {"long after the last", 86400000LL * 400, 2},
    };
    for (const lookup_case& c : cases)
        EXPECT_EQ(burst_at_time(*space, t0 + c.ms_after_t0), c.expected) << c.name;
}

TEST(burst_at_time, empty_space_and_bursts_without_samples)
{
    EXPECT_EQ(burst_at_time(*space_of({}), t0), -1);
    // A burst without samples ends where it starts.
    const auto space = space_of({{0, 0}, {10, 5}});
    EXPECT_EQ(burst_at_time(*space, t0 + 4000), 0);
    EXPECT_EQ(burst_at_time(*space, t0 + 6000), 1);
    EXPECT_EQ(burst_end_time(*space->entry(1).burst), t0 + 10400);
}

TEST(parse_utc_time, accepted_and_refused_forms)
{
    const qint64 base = QDateTime(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    EXPECT_EQ(parse_utc_time("2014-05-02 00:03:26.250"), base + 206250);
    EXPECT_EQ(parse_utc_time("  2014-05-02 00:03:26 "), base + 206000);
    EXPECT_EQ(parse_utc_time("2014-05-02 00:03"), base + 180000);
    EXPECT_EQ(parse_utc_time("2014-05-02"), base);
    // A time a local clock change would skip is an ordinary UTC time.
    EXPECT_EQ(parse_utc_time("2021-03-28 02:30"),
              QDateTime(QDate(2021, 3, 28), QTime(2, 30), Qt::UTC).toMSecsSinceEpoch());
    for (const char* bad :
         {"", "yesterday", "2014-13-02", "2014-05-02 25:00", "2014-05-02 00:03 x", "02.05.2014"})
        EXPECT_FALSE(parse_utc_time(bad).has_value()) << bad;
}
