// Writes a realistic acceleration export for the benchmarks: bursts of 3 x N raw values
// between 0 and 4095 at 33.33 Hz, one to five minutes apart from 2014-05-02 00:00 UTC, lively by day
// (05:00 to 19:00 UTC) and calm at night, in any layout (the same bursts in each): the two exports,
// or the data repository's download (colon-hyphen names, other column order, every field quoted).
//   acc_gen <eobs|fixed|named> <bursts> <samples per burst> <output file>
#include "acc_burst_row.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 5 || (std::strcmp(argv[1], "eobs") != 0 && std::strcmp(argv[1], "fixed") != 0 &&
                      std::strcmp(argv[1], "named") != 0)) {
        std::fprintf(stderr,
                     "usage: acc_gen <eobs|fixed|named> <bursts> <samples per burst> <output file>\n");
        return 2;
    }
    const bool eobs = std::strcmp(argv[1], "eobs") == 0;
    const bool named = std::strcmp(argv[1], "named") == 0;
    const long bursts = std::atol(argv[2]);
    const long samples = std::atol(argv[3]);
    QFile out(QString::fromLocal8Bit(argv[4]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "acc_gen: %s\n", qPrintable(out.errorString()));
        return 1;
    }
    QRandomGenerator rng(42);
    const export_layout layout = eobs ? export_layout::eobs : named ? export_layout::named : export_layout::fixed;
    out.write(acc_burst_row::header(layout));
    QDateTime t(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC);
    for (long i = 0; i < bursts; ++i) {
        t = t.addSecs(60 + rng.bounded(240));
        const QByteArray start = t.toString("yyyy-MM-dd hh:mm:ss.zzz").toLatin1();
        QByteArray raw;
        int base[3] = {2048, 2048, 2048};
        const int hour = t.time().hour();
        const int step = hour >= 5 && hour < 19 ? 200 : 15;
        for (long s = 0; s < samples; ++s) {
            for (int a = 0; a < 3; ++a) {
                base[a] = qBound(0, base[a] + static_cast<int>(rng.bounded(-step, step + 1)), 4095);
                if (s || a)
                    raw += ' ';
                raw += QByteArray::number(base[a]);
            }
        }
        acc_burst_row row;
        row.event_id = 1000000 + i;
        row.start = start;
        row.frequency = "33.33";
        row.raw = raw;
        row.checksum = QByteArray::number(rng.generate(), 16);
        // Drawn in every layout, so that all get the same bursts from the same arguments.
        row.battery = QByteArray::number(3.6 + rng.bounded(60) / 100.0);
        row.tag = 2241;
        out.write(row.line(layout));
    }
    return 0;
}
