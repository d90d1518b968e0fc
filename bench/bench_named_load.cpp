// Loads an acceleration download (plain or gzip) through the named-column reader and prints the
// throughput against the text size and the peak resident memory.
//   bench_named_load <file> [<size of the text in bytes, for a compressed file>]
#include "bench_support.h"
#include "data/model/burst_space.h"
#include "data/formats/loader_named_acc.h"
#include "support/test_support.h"

#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace bench_support;

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: bench_named_load <file> [<text bytes>]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const double file_mb = static_cast<double>(QFileInfo(path).size()) / 1e6;
    const double text_mb = argc == 3 ? std::atof(argv[2]) / 1e6 : file_mb;
    const long base_kb = status_kb("VmRSS:");

    test_support::recording_progress progress;
    progress.record_values = false;
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    std::unique_ptr<burst_space> space;
    {
        loader_named_acc reader(path, &progress);
        space = std::make_unique<burst_space>(reader.bursts());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpu_seconds() - cpu_start;
    const long peak_kb = status_kb("VmHWM:");
    std::printf("named-column reader: %.1f MB file, %.1f MB text, %d bursts\n", file_mb, text_mb,
                space->entry_count());
    std::printf(
        "  load into burst_space: %.3f s, %.0f MB/s of text (CPU time %.3f s, %.0f MB per CPU second)\n",
        seconds, text_mb / seconds, cpu, text_mb / cpu);
    std::printf("  peak resident memory above start: %.1f MB\n", kb_to_mb(peak_kb - base_kb));
    return 0;
}
