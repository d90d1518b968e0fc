// Loads a repository download of many animals, one burst and one fix each, through both chains and
// pairs them, printing the time of each step.
//   bench_animals [<animals>]   (default: 100000)
#include "data/load/eobs_loader.h"
#include "data/model/animal_pairing.h"
#include "support/download_layouts.h"
#include "support/temp_folder.h"
#include "support/test_support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    temp_folder dir;
    QByteArray acc = test_support::named_acc_header + '\n';
    QByteArray gps = test_support::named_gps_header + '\n';
    for (int i = 0; i < count; ++i) {
        const QByteArray id = "animal " + QByteArray::number(i);
        acc += id + ",2014-05-02 13:00:00.000,XYZ,10,1 2 3 4 5 6\n";
        gps += id + ",8.5,47.25,2014-05-02 13:00:00.000\n";
    }
    const QString acc_path = dir.write("herd-acc.csv", acc);
    const QString gps_path = dir.write("herd-gps.csv", gps);
    test_support::recording_progress progress;
    progress.record_values = false;
    test_support::streams_capture quiet; // the readers' lines
    auto start = std::chrono::steady_clock::now();
    eobs_acc_loader acc_loader(acc_path, &progress);
    std::printf("%d animals: acceleration load %.3f s\n", count, since(start));
    start = std::chrono::steady_clock::now();
    eobs_gps_loader gps_loader(gps_path, &progress);
    std::printf("  GPS load %.3f s\n", since(start));
    start = std::chrono::steady_clock::now();
    animal_pairing pairing(acc_loader.take_animals(), gps_loader.take_animals());
    std::printf("  pairing %.3f s (%zu animals)\n", since(start), pairing.animals().size());
    return 0;
}
