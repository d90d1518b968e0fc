// Loads an acceleration export through a reader into a burst_space and prints the throughput and
// the peak resident memory against the 12 bytes per sample the model holds.
//   bench_acc_load <eobs|fixed> <file>
#include "bench_support.h"
#include "data/burst_space.h"
#include "data/loader_eobsmb.h"
#include "data/loader_mbd.h"
#include "support/test_support.h"

#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace bench_support;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_acc_load <eobs|fixed> <file>\n");
        return 2;
    }
    const bool eobs = std::strcmp(argv[1], "eobs") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);
    const double mb = static_cast<double>(QFileInfo(path).size()) / 1e6;
    const long base_kb = status_kb("VmRSS:");

    test_support::recording_progress progress;
    progress.record_values = false;
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    std::unique_ptr<burst_space> space;
    {
        std::unique_ptr<acc_csv_reader> reader;
        if (eobs)
            reader = std::make_unique<loader_mbd>(path, &progress);
        else
            reader = std::make_unique<loader_eobsmb>(path, &progress);
        space = std::make_unique<burst_space>(reader->bursts());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpu_seconds() - cpu_start;

    const long peak_kb = status_kb("VmHWM:");
    const double samples = space->total_sample_count();
    const double model_mb = samples * 12 / 1e6;
    const double used_mb = static_cast<double>(peak_kb - base_kb) * 1024 / 1e6;
    std::printf("layout %s: %.1f MB, %d bursts, %.0f samples\n", eobs ? "eobs_" : "fixed", mb,
                space->entry_count(), samples);
    std::printf("  load into burst_space: %.3f s, %.0f MB/s (CPU time %.3f s, %.0f MB per CPU second)\n",
                seconds, mb / seconds, cpu, mb / cpu);
    std::printf("  peak resident memory: %.1f MB (%.1f MB before the load); model 12 B/sample = %.1f MB; "
                "peak above start = %.2f x model\n",
                peak_kb * 1024 / 1e6, base_kb * 1024 / 1e6, model_mb, used_mb / model_mb);
    return 0;
}
