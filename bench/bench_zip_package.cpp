// Sorts out a zip package of many entries whose names do not pair, so that every entry's header
// is checked, as the open flow's worker does it (file_sniff with a step that polls Cancel), and prints
// the time per archive size.
//   bench_zip_package [<entries> ...]   (default: 1000 3000)
#include "data/load/file_sniff.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "support/zip_writer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {1000, 3000};
    temp_folder dir;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // name guesses
    for (const int count : counts) {
        QList<QPair<QByteArray, QByteArray>> entries;
        for (int i = 0; i < count; ++i) {
            const QByteArray id = QByteArray::number(i);
            entries << qMakePair("tracks/animal " + id + ".csv",
                                 "individual-local-identifier,location-long,location-lat,timestamp\n" + id +
                                     ",8.5,47.25,2014-05-02 10:00:00.000\n");
        }
        const QString zip = test_support::write_zip(dir.path(QString("pkg%1.zip").arg(count)), entries);
        test_support::streams_capture quiet; // the readers' header lines
        const auto start = std::chrono::steady_clock::now();
        std::atomic_bool cancelled{false};
        int steps = 0;
        const zip_package package =
            file_sniff::of(zip, true, [&](int, int) { return ++steps, !cancelled.load(); }).package;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("zip package of %d entries: %.3f s (%lld data entries, %d steps, GPS entry %s)\n", count,
                    seconds, static_cast<long long>(package.entries.size()), steps,
                    package.gps.isEmpty() ? "none" : "found");
    }
    return 0;
}
