// Differential: every file of examples/ and of the fuzz corpus opens with the same kind, bursts,
// fixes, animals, failure reasons and log lines as recorded in open_outcomes.txt before the open
// pipeline was rebuilt. DORNVALE_RECORD_OUTCOMES=1 writes the table instead of checking it.
#include "data/load/eobs_loader.h"
#include "data/load/load_job.h"
#include "data/formats/header_sniff.h"
#include "data/model/animal_pairing.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "support/temp_folder.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace test_support;

namespace {

const QString source_root = QStringLiteral(DORNVALE_SOURCE_DIR);

QByteArray read_file(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// FNV-1a over raw bytes.
struct checksum
{
    quint64 h = 1469598103934665603ull;
    template <typename T> void add(const T& v)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(&v);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            h = (h ^ p[i]) * 1099511628211ull;
    }
    void add(const QString& s)
    {
        for (const QChar c : s)
            add(c.unicode());
    }
    QString hex() const { return QString::number(h, 16); }
};

QString log_sum(const QStringList& lines, const QString& dir)
{
    checksum sum;
    for (const QString& line : lines)
        sum.add(QString(line).replace(dir, "<dir>"));
    return QString("%1/%2").arg(sum.hex()).arg(lines.size());
}

QString bursts_text(const std::vector<animal_bursts>& animals)
{
    checksum sum;
    qint64 bursts = 0, samples = 0;
    for (const animal_bursts& a : animals) {
        sum.add(a.id);
        if (!a.space)
            continue;
        for (const burst_entry& e : a.space->entries()) {
            const burst& b = *e.burst;
            sum.add(b.start_timestamp);
            sum.add(b.sampling_frequency_per_axis);
            for (const auto* axis : {&b.x, &b.y, &b.z})
                for (const float v : *axis)
                    sum.add(v);
            ++bursts;
            samples += b.sample_count;
        }
    }
    return QString("animals=%1 bursts=%2 samples=%3 sum=%4")
        .arg(animals.size())
        .arg(bursts)
        .arg(samples)
        .arg(sum.hex());
}

QString fixes_text(const std::vector<animal_events>& animals)
{
    checksum sum;
    qint64 fixes = 0;
    for (const animal_events& a : animals) {
        sum.add(a.id);
        if (!a.space)
            continue;
        for (const gps_event* f : a.space->events()) {
            sum.add(f->timestamp);
            sum.add(f->longitude);
            sum.add(f->latitude);
            ++fixes;
        }
    }
    return QString("animals=%1 fixes=%2 sum=%3").arg(animals.size()).arg(fixes).arg(sum.hex());
}

template <typename Chain> QString status_text(const Chain& chain)
{
    return QString("status=%1 reason=\"%2\"").arg(int(chain.status)).arg(chain.reason);
}

// The outcome of one file read as each sensor, and of the two read as a pair.
QStringList outcome(const QString& name, const QString& acc_path, const QString& gps_path, const QString& dir)
{
    QStringList out;
    const header_sniff acc_sniff = header_sniff::of_file(acc_path, false);
    const header_sniff gps_sniff = header_sniff::of_file(gps_path, false);
    const auto kind = [](const header_sniff& sniff) {
        return QString("kind=%1 acc=%2 gps=%3")
            .arg(int(sniff.fixed_kind()))
            .arg(sniff.reads_as(header_sniff::acceleration))
            .arg(sniff.reads_as(header_sniff::gps));
    };
    out << name + " acc-file " + kind(acc_sniff);
    if (gps_path != acc_path)
        out << name + " gps-file " + kind(gps_sniff);
    load_plan plan;
    plan.acc_file = acc_path;
    plan.gps_file = gps_path;
    plan.acc_sniff = acc_sniff;
    plan.gps_sniff = gps_sniff;
    recording_progress progress;
    streams_capture streams;
    const std::unique_ptr<load_result> result = load_job::read_plan(plan, &progress);
    const QStringList log = streams.stderr_lines() + streams.stdout_lines();
    out << name + " gps " + status_text(*result->gps);
    out << name + " acc " + status_text(*result->acc);
    // A pair that loaded is paired on the worker: each side's animals are read back from the pairing.
    std::vector<animal_bursts> bursts;
    std::vector<animal_events> fixes;
    QStringList pairs;
    if (result->animals) {
        for (animal_pairing::animal& a : result->animals->animals())
            pairs << QString("%1:%2:%3")
                         .arg(a.id)
                         .arg(a.bursts ? a.bursts->entry_count() : -1)
                         .arg(a.fix_count());
        for (animal_pairing::animal& a : result->animals->animals()) {
            if (a.bursts)
                bursts.push_back({a.id, std::move(a.bursts)});
            if (a.events)
                fixes.push_back({a.id, std::move(a.events)});
        }
    } else {
        if (result->acc->space)
            bursts = result->acc->take_animals();
        if (result->gps->space)
            fixes = result->gps->take_animals();
    }
    out << name + " bursts " + bursts_text(bursts);
    out << name + " fixes " + fixes_text(fixes);
    out << name + " log " + log_sum(log, dir);
    if (!pairs.isEmpty())
        out << name + " pairs " + pairs.join(' ');
    return out;
}

// Every input: the example files, each corpus file read as both sensors, and each chain input split
// at its "----" line into an acceleration and a GPS file.
QStringList all_outcomes()
{
    QStringList out;
    temp_folder dir;
    const auto copy = [&](const QString& from, const QString& as) {
        QFile::remove(dir.path(as));
        QFile::copy(from, dir.path(as));
        return dir.path(as);
    };
    for (const char* folder : {"examples", "fuzz/corpus/acc", "fuzz/corpus/gps", "fuzz/regressions"}) {
        for (const QString& file : QDir(source_root + "/" + folder).entryList(QDir::Files, QDir::Name)) {
            const QString path = copy(source_root + "/" + folder + "/" + file, file);
            out << outcome(QString(folder) + "/" + file, path, path, dir.path());
            QFile::remove(path);
        }
    }
    for (const QString& file : QDir(source_root + "/fuzz/corpus/chain").entryList(QDir::Files, QDir::Name)) {
        const QByteArray bytes = read_file(source_root + "/fuzz/corpus/chain/" + file);
        const int cut = bytes.indexOf("\n----\n");
        const QString acc = dir.write(file + "-acc.csv", cut < 0 ? bytes : bytes.left(cut));
        const QString gps = dir.write(file + "-gps.csv", cut < 0 ? QByteArray() : bytes.mid(cut + 6));
        out << outcome("fuzz/corpus/chain/" + file, acc, gps, dir.path());
    }
    return out;
}

} // namespace

class test_open_outcomes : public QObject
{
    Q_OBJECT

private slots:
    void every_file_opens_as_recorded();
};

void test_open_outcomes::every_file_opens_as_recorded()
{
    const QString table = source_root + "/tests/data/load/open_outcomes.txt";
    const QStringList now = all_outcomes();
    if (qEnvironmentVariableIsSet("DORNVALE_RECORD_OUTCOMES")) {
        QVERIFY(write_file(table, now.join('\n').toUtf8() + "\n"));
        return;
    }
    const QStringList recorded = QString::fromUtf8(read_file(table)).split('\n', Qt::SkipEmptyParts);
    QVERIFY(recorded.size() > 100);
    for (int i = 0; i < std::min(now.size(), recorded.size()); ++i)
        QCOMPARE(now[i], recorded[i]);
    QCOMPARE(now.size(), recorded.size());
}

QTEST_GUILESS_MAIN(test_open_outcomes)
#include "test_open_outcomes.moc"
