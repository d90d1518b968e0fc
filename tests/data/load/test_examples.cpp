// The example pairs shipped in examples/ load through the loader chains, pair up by name, and
// describe the same bird in both layouts, so a first try never meets a broken file.
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/load/eobs_tag_serial.h"
#include "data/metrics/burst_metrics.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QFileInfo>
#include <QTest>

#include <cmath>

using namespace test_support;

namespace {

const QString examples = QStringLiteral(DORNVALE_EXAMPLES_DIR);

struct loaded_pair
{
    std::unique_ptr<eobs_acc_loader> acc;
    std::unique_ptr<eobs_gps_loader> gps;
    QStringList log;     // the chains' lines on standard error, GPS first as the pair flow runs them
    QStringList readers; // the readers' lines on standard output
};

loaded_pair load(const QString& acc_name, const QString& gps_name)
{
    loaded_pair out;
    recording_progress progress;
    streams_capture streams;
    out.gps = std::make_unique<eobs_gps_loader>(examples + "/" + gps_name, &progress);
    out.acc = std::make_unique<eobs_acc_loader>(examples + "/" + acc_name, &progress);
    out.log = streams.stderr_lines();
    out.readers = streams.stdout_lines();
    return out;
}

} // namespace

class test_examples : public QObject
{
    Q_OBJECT

private slots:
    void pairs_load_through_the_chains_data();
    void pairs_load_through_the_chains();
    void both_layouts_hold_equal_records();
    void rest_reads_one_g();
};

void test_examples::pairs_load_through_the_chains_data()
{
    add_columns<QString, QString, QString, QString>(
        "acc", "gps",
        "acc_reader", // the reader of the chain that must accept the file
        "gps_reader");
    add_row("fixed header", "stork2241_acc.txt", "stork2241_gps.txt", "loader_eobsmb", "loader_gps_eobsmb");
    add_row("eobs_ columns", "stork2241-acc.csv", "stork2241-gps.csv", "loader_mbd", "loader_gps_mbd");
}

void test_examples::pairs_load_through_the_chains()
{
    auto [acc, gps, acc_reader, gps_reader] =
        fetch<QString, QString, QString, QString>("acc", "gps", "acc_reader", "gps_reader");

    // Picking either file of a pair finds the other.
    for (const QString& picked : {acc, gps}) {
        const eobs_guess_acc_gps_filenames names(examples + "/" + picked);
        QCOMPARE(names.acc_filename, examples + "/" + acc);
        QCOMPARE(names.gps_filename, examples + "/" + gps);
    }
    // Small enough to ship, large enough to show a few days.
    QVERIFY(QFileInfo(examples + "/" + acc).size() < 4000000);
    QVERIFY(QFileInfo(examples + "/" + gps).size() < 1000000);

    const loaded_pair pair = load(acc, gps);
    QCOMPARE(pair.gps->status, ELS_SUCCESS);
    QCOMPARE(pair.acc->status, ELS_SUCCESS);
    QVERIFY(pair.log.contains(" " + gps_reader + " succeeded"));
    QVERIFY(pair.log.contains(" " + acc_reader + " succeeded"));
    // A few failed fixes, as real tags have, dropped by the quality test.
    const QStringList failed = pair.readers.filter("count_quality_check_failed: ");
    QCOMPARE(failed.size(), 1);
    const int failed_count = failed[0].section(' ', 1).toInt();
    QVERIFY(failed_count > 0 && failed_count < 100);
    QCOMPARE(pair.gps->space->left_out.two_d_or_invalid, failed_count);

    const burst_space& bursts = *pair.acc->space;
    const event_space& fixes = *pair.gps->space;
    QVERIFY(bursts.entry_count() >= 1000);
    QVERIFY(fixes.events().size() >= 700);
    const qint64 first = bursts.entry(0).burst->start_timestamp;
    const qint64 last = bursts.entry(bursts.entry_count() - 1).burst->start_timestamp;
    const qint64 may_2_2014 = 1398988800000;
    QVERIFY(first >= may_2_2014 && first < may_2_2014 + 3600000);
    QVERIFY(last - first >= 2 * 86400000LL);

    // A plausible track: one area of a few tens of kilometres, no stray fix at 0/0.
    const geo_box box = fixes.bounds();
    QVERIFY(box.min_longitude > 8.5 && box.max_longitude < 9.6);
    QVERIFY(box.min_latitude > 47.4 && box.max_latitude < 48.1);

    // The fixes fall among the bursts, so the burst view shows GPS ticks across the whole record.
    const events_by_bursts by_burst(fixes, bursts);
    QVERIFY(by_burst.event_count(-1) <= 2);
    QVERIFY(by_burst.event_count_range(0, bursts.entry_count() / 2) > 300);
    QVERIFY(by_burst.event_count_range(bursts.entry_count() / 2, bursts.entry_count() - 1) > 300);
}

void test_examples::both_layouts_hold_equal_records()
{
    const loaded_pair fixed = load("stork2241_acc.txt", "stork2241_gps.txt");
    const loaded_pair eobs = load("stork2241-acc.csv", "stork2241-gps.csv");
    QVERIFY(fixed.acc->space && eobs.acc->space && fixed.gps->space && eobs.gps->space);

    const burst_space& a = *fixed.acc->space;
    const burst_space& b = *eobs.acc->space;
    QCOMPARE(a.entry_count(), b.entry_count());
    for (qint32 i : {0, a.entry_count() / 2, a.entry_count() - 1}) {
        QCOMPARE(a.entry(i).burst->start_timestamp, b.entry(i).burst->start_timestamp);
        QCOMPARE(a.entry(i).burst->x, b.entry(i).burst->x);
        QCOMPARE(a.entry(i).burst->z, b.entry(i).burst->z);
    }

    const auto& f = fixed.gps->space->events();
    const auto& e = eobs.gps->space->events();
    QCOMPARE(f.size(), e.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        QCOMPARE(f[i]->timestamp, e[i]->timestamp);
        QCOMPARE(f[i]->longitude, e[i]->longitude);
        QCOMPARE(f[i]->latitude, e[i]->latitude);
    }
}

void test_examples::rest_reads_one_g()
{
    // Under the tag's default calibration a stork asleep on its nest feels gravity alone.
    for (const QString name : {"stork2241_acc.txt", "stork2241-acc.csv"}) {
        const loaded_pair pair = load(name, "stork2241_gps.txt");
        const QString tag = eobs_tag_number(examples + "/" + name);
        QCOMPARE(tag, QString("2241"));
        const auto calibration = burst_calibration::default_for_tag(tag);
        const qint64 night = 1398988800000, night_end = night + 3 * 3600000; // 2 May 2014, 00:00-03:00 UTC
        int count = 0;
        for (qint32 i = 0; i < pair.acc->space->entry_count(); ++i) {
            const burst& b = *pair.acc->space->entry(i).burst;
            if (b.start_timestamp < night || b.start_timestamp >= night_end)
                continue;
            const burst_metrics m = burst_metrics::of(b, calibration, static_window{});
            const double g = std::sqrt(std::pow(m.axis[0].mean, 2) + std::pow(m.axis[1].mean, 2) +
                                       std::pow(m.axis[2].mean, 2));
            QVERIFY2(g >= 0.9 && g <= 1.1, qPrintable(name + QString(" burst %1: %2 g").arg(i).arg(g)));
            ++count;
        }
        QVERIFY(count >= 80); // one burst every two minutes or so
    }
}

QTEST_GUILESS_MAIN(test_examples)
#include "test_examples.moc"
