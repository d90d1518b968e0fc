// Loads an acceleration export through a reader into a burst_space, on all cores and on one thread, and
// prints both throughputs, the speed-up and the parallel read's peak resident memory against the
// 12 bytes per sample the model holds.
//   bench_acc_load <eobs|fixed> <file>
#include "bench_support.h"
#include "data/model/burst_space.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_mbd.h"
#include "data/io/parallel_lines.h"
#include "support/test_support.h"

#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace bench_support;

namespace {

struct load
{
    double seconds, cpu;
    qint64 samples;
    int bursts;
    long held_kb; // resident with the burst_space built
};

load timed_load(bool eobs, const QString& path)
{
    test_support::recording_progress progress;
    progress.record_values = false;
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    std::unique_ptr<acc_csv_reader> reader;
    if (eobs)
        reader = std::make_unique<loader_mbd>(path, &progress);
    else
        reader = std::make_unique<loader_eobsmb>(path, &progress);
    const burst_space space(reader->bursts());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {seconds, cpu_seconds() - cpu_start, space.total_sample_count(), space.entry_count(),
            status_kb("VmRSS:")};
}

} // namespace

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

    // The parallel read first, so that the peak memory is its own; the timed parallel read comes
    // after the single-thread one, so that both find the heap's pages already mapped.
    const int cores = parallel_lines::threads();
    const long held_kb = timed_load(eobs, path).held_kb;
    const long peak_kb = status_kb("VmHWM:");
    parallel_lines::set_threads(1);
    const load single = timed_load(eobs, path);
    parallel_lines::set_threads(cores);
    const load parallel = timed_load(eobs, path);

    const double samples = static_cast<double>(parallel.samples);
    const double model_mb = samples * 12 / 1e6;
    const double used_mb = static_cast<double>(peak_kb - base_kb) * 1024 / 1e6;
    std::printf("layout %s: %.1f MB, %d bursts, %.0f samples\n", eobs ? "eobs_" : "fixed", mb,
                parallel.bursts, samples);
    std::printf(
        "  load into burst_space, 1 thread:  %.3f s, %.0f MB/s (CPU time %.3f s, %.0f MB per CPU second)\n",
        single.seconds, mb / single.seconds, single.cpu, mb / single.cpu);
    std::printf("  load into burst_space, %d threads: %.3f s, %.0f MB/s (CPU time %.3f s); speed-up %.2f x\n",
                cores, parallel.seconds, mb / parallel.seconds, parallel.cpu,
                single.seconds / parallel.seconds);
    std::printf("  peak resident memory: %.1f MB (%.1f MB before the load); model 12 B/sample = %.1f MB; "
                "peak above start = %.2f x model (held once loaded: %.2f x)\n",
                peak_kb * 1024 / 1e6, base_kb * 1024 / 1e6, model_mb, used_mb / model_mb,
                static_cast<double>(held_kb - base_kb) * 1024 / 1e6 / model_mb);
    return 0;
}
