// One look at a file tells what opens it: each layout and spelling of a first line, both sensors in
// one file, animal columns and garbage, judged from bytes in memory; packages judged by their entries.
#include "data/formats/header_sniff.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/load/file_sniff.h"
#include "support/acc_layouts.h"
#include "support/download_layouts.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"
#include "support/data_table.h"

#include <QTest>

using namespace test_support;

namespace {

// The first reader of each sensor that takes the line, as the loader chains try them ("-": none).
QString verdict(const header_sniff& s)
{
    const char* const names[] = {"fixed", "eobs", "named", "fixed", "eobs", "named"};
    QString acc = "-", gps = "-";
    for (int r = header_sniff::gps_named; r >= header_sniff::acc_fixed; --r)
        if (s.accepts[std::size_t(r)])
            (r < header_sniff::gps_fixed ? acc : gps) = names[r];
    return QString("%1/%2 kind=%3 reads=%4%5 both=%6 animals=%7")
        .arg(acc, gps)
        .arg(int(s.fixed_kind()))
        .arg(s.reads_as(header_sniff::acceleration))
        .arg(s.reads_as(header_sniff::gps))
        .arg(s.both_sensors)
        .arg(s.names_animals);
}

} // namespace

class test_file_sniff : public QObject
{
    Q_OBJECT

private slots:
    void first_line_tells_the_readers_data()
    {
        add_columns<QByteArray, QString>("line", "expected");
        const QByteArray underscore =
            "individual_local_identifier,eobs_start_timestamp,eobs_acceleration_axes,"
            "eobs_acceleration_sampling_frequency_per_axis,eobs_accelerations_raw";
        add_row("acceleration, fixed", acc_fixed_header, "fixed/- kind=1 reads=10 both=0 animals=0");
        add_row("acceleration, eobs_", acc_mbd_header, "eobs/- kind=1 reads=10 both=0 animals=1");
        add_row("GPS, fixed", QByteArray(loader_gps_eobsmb::header),
                "-/fixed kind=2 reads=01 both=0 animals=0");
        for (const char* h : {loader_gps_mbd::header_1, loader_gps_mbd::header_2, loader_gps_mbd::header_3})
            add_row("GPS, eobs_", QByteArray(h), "-/eobs kind=2 reads=01 both=0 animals=0");
        // The underscore spelling is the "eobs_" layout's own: its reader comes first.
        add_row("named, underscores", underscore, "eobs/- kind=1 reads=10 both=0 animals=1");
        add_row("named, colon-hyphen", named_acc_header, "named/- kind=0 reads=10 both=0 animals=1");
        add_row("named, dotted", QByteArray(underscore).replace('_', '.'),
                "named/- kind=0 reads=10 both=0 animals=1");
        add_row("named, quoted", quoted(named_acc_header), "named/- kind=0 reads=10 both=0 animals=1");
        add_row("sample rows",
                QByteArray("timestamp,acceleration-raw-x,acceleration-raw-y,acceleration-raw-z"),
                "named/- kind=0 reads=10 both=0 animals=0");
        add_row("named GPS", named_gps_header, "-/named kind=0 reads=01 both=0 animals=1");
        add_row("both sensors", mixed_sensor_header, "named/named kind=0 reads=11 both=1 animals=0");
        add_row("both columns, no sensor type", QByteArray(mixed_sensor_header).replace("sensor-type,", ""),
                "named/named kind=0 reads=11 both=0 animals=0");
        add_row("fixed, a column short", acc_fixed_header.left(acc_fixed_header.lastIndexOf(',')),
                "-/- kind=0 reads=00 both=0 animals=0");
        add_row("fixed, a column more", acc_fixed_header + ",x", "-/- kind=0 reads=00 both=0 animals=0");
        add_row("notes", QByteArray("this,is,not,an export"), "-/- kind=0 reads=00 both=0 animals=0");
        add_row("binary", QByteArray("PK\x03\x04\x00\xff,\x01", 8), "-/- kind=0 reads=00 both=0 animals=0");
        add_row("empty", QByteArray(), "-/- kind=0 reads=00 both=0 animals=0");
    }

    void first_line_tells_the_readers()
    {
        auto [line, expected] = fetch<QByteArray, QString>("line", "expected");
        QCOMPARE(verdict(header_sniff::of_line(line.constData(), line.constData() + line.size())), expected);
    }

    void package_is_judged_by_its_entries()
    {
        temp_folder dir;
        const QByteArray acc = acc_fixed_header + "\n";
        const QByteArray gps = QByteArray(loader_gps_eobsmb::header) + "\n";
        // Paired by name: the archive's own first line is never read.
        const file_sniff named =
            file_sniff::of(write_zip(dir.path("n.zip"), {{"t-gps.csv", gps}, {"t-acc.csv", acc}}), false);
        QVERIFY(named.package_pair());
        QCOMPARE(named.package.acc, dir.path("n.zip/t-acc.csv"));
        QVERIFY(!named.header.exists);
        // Paired by header; a notes file beside them is passed over.
        const file_sniff headers = file_sniff::of(
            write_zip(dir.path("h.zip"), {{"notes.txt", "a,b\n"}, {"b.csv", gps}, {"a.csv", acc}}), false);
        QCOMPARE(headers.package.gps, dir.path("h.zip/b.csv"));
        QCOMPARE(headers.package.acc, dir.path("h.zip/a.csv"));
        // One entry: the archive reads as that entry.
        const file_sniff one = file_sniff::of(write_zip(dir.path("o.zip"), {{"x.csv", gps}}), false);
        QVERIFY(!one.package_pair());
        QCOMPARE(verdict(one.header), QString("-/fixed kind=2 reads=01 both=0 animals=0"));
        // An entry pointing outside the archive refuses the whole of it, unread.
        const file_sniff escaping =
            file_sniff::of(write_zip(dir.path("e.zip"), {{"../x.csv", acc}, {"y.csv", acc}}), false);
        QVERIFY(escaping.package.refusal.contains("../x.csv"));
        QVERIFY(!escaping.header.exists);
        // Nothing there: nothing read.
        QVERIFY(!file_sniff::of(dir.path("gone.csv"), false).header.exists);
    }

    void first_line_past_a_read_chunk_is_judged_by_its_text()
    {
        // 2 MiB of acceleration header without a line end: too long to be a header, so no reader takes
        // it (a header check stopped inside it once counted as the fixed acceleration layout).
        temp_folder dir;
        const QString path =
            dir.write("long.csv", acc_fixed_header.repeated((2 << 20) / acc_fixed_header.size()));
        QCOMPARE(verdict(header_sniff::of_file(path, false)),
                 QString("-/- kind=0 reads=00 both=0 animals=0"));
    }
};

QTEST_GUILESS_MAIN(test_file_sniff)
#include "test_file_sniff.moc"
