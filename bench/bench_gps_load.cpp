// Loads exports through the loader chains, as the open flows do, and prints the throughput and the
// peak resident memory.
//   bench_gps_load gps <file>               GPS chain (either layout), on one thread and on all cores
//   bench_gps_load acc <file>               acceleration chain (either layout), for comparison
//   bench_gps_load pair <acc file> <gps file>  GPS chain, then acceleration chain, in one process
#include "bench_support.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/model/event_space.h"
#include "data/io/parallel_lines.h"
#include "support/test_support.h"

#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

using namespace bench_support;

namespace {

const char* status_text(load_status s)
{
    switch (s) {
    case ELS_SUCCESS:
        return "success";
    case ELS_WRONG_HEADER:
        return "wrong header";
    case ELS_CANCELLED:
        return "cancelled";
    case ELS_READ_FAILED:
        return "read failed";
    default:
        return "none";
    }
}

struct timing
{
    double mb = 0, seconds = 0, cpu = 0;
};

// Runs the chain Loader on path, measuring wall and CPU time.
template <typename Loader> std::unique_ptr<Loader> timed_load(const QString& path, timing& t)
{
    test_support::recording_progress progress;
    progress.record_values = false;
    t.mb = static_cast<double>(QFileInfo(path).size()) / 1e6;
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    std::unique_ptr<Loader> loader;
    {
        test_support::streams_capture quiet; // the readers' and chains' log lines stay out of the figures
        loader = std::make_unique<Loader>(path, &progress);
    }
    t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.cpu = cpu_seconds() - cpu_start;
    return loader;
}

void print_timing(const char* what, const timing& t)
{
    std::printf("  %s: %.1f MB in %.3f s, %.0f MB/s (CPU %.3f s, %.0f MB per CPU second)\n", what, t.mb,
                t.seconds, t.mb / t.seconds, t.cpu, t.mb / t.cpu);
}

// One fix in memory: the record, the owning and the reading pointer, the allocator's header.
constexpr double bytes_per_fix = sizeof(gps_event) + 2 * sizeof(void*) + 8;

// The parallel read first, so that the peak memory is its own; then one thread and all cores again,
// both on a warm heap, side by side.
int load_gps(const QString& path)
{
    const long base_kb = status_kb("VmRSS:");
    timing t;
    const auto gps = timed_load<eobs_gps_loader>(path, t);
    const long peak_kb = status_kb("VmHWM:");
    const int cores = parallel_lines::threads();
    parallel_lines::set_threads(1);
    timing single;
    timed_load<eobs_gps_loader>(path, single);
    parallel_lines::set_threads(cores);
    timing parallel;
    timed_load<eobs_gps_loader>(path, parallel);
    std::printf("GPS chain %s: status %s, %zu good fixes\n", qPrintable(QFileInfo(path).fileName()),
                status_text(gps->status), gps->space ? gps->space->events().size() : size_t(0));
    print_timing("load into event_space, 1 thread ", single);
    print_timing(qPrintable(QString("load into event_space, %1 threads").arg(cores)), parallel);
    std::printf("  speed-up on %d threads: %.2f x\n", cores, single.seconds / parallel.seconds);
    const double fixes = gps->space ? static_cast<double>(gps->space->events().size()) : 0;
    std::printf("  peak resident memory: %.1f MB (%.1f MB before the load); model %.0f B/fix = %.1f MB\n",
                kb_to_mb(peak_kb), kb_to_mb(base_kb), bytes_per_fix, fixes * bytes_per_fix / 1e6);
    return gps->status == ELS_SUCCESS ? 0 : 1;
}

int load_acc(const QString& path)
{
    const long base_kb = status_kb("VmRSS:");
    timing t;
    const auto acc = timed_load<eobs_acc_loader>(path, t);
    std::printf("acceleration chain %s: status %s, %d bursts\n", qPrintable(QFileInfo(path).fileName()),
                status_text(acc->status), acc->space ? acc->space->entry_count() : 0);
    print_timing("load into burst_space", t);
    std::printf("  peak resident memory: %.1f MB (%.1f MB before the load)\n", kb_to_mb(status_kb("VmHWM:")),
                kb_to_mb(base_kb));
    return acc->status == ELS_SUCCESS ? 0 : 1;
}

// The order of the pair flow: GPS first, then acceleration; both results are kept, as the flow does.
int load_pair(const QString& acc_path, const QString& gps_path)
{
    const long base_kb = status_kb("VmRSS:");
    timing g, a;
    const auto gps = timed_load<eobs_gps_loader>(gps_path, g);
    const long after_gps_kb = status_kb("VmHWM:");
    const auto acc = timed_load<eobs_acc_loader>(acc_path, a);
    std::printf("pair %s + %s: GPS %s (%zu fixes), acceleration %s (%d bursts)\n",
                qPrintable(QFileInfo(gps_path).fileName()), qPrintable(QFileInfo(acc_path).fileName()),
                status_text(gps->status), gps->space ? gps->space->events().size() : size_t(0),
                status_text(acc->status), acc->space ? acc->space->entry_count() : 0);
    print_timing("GPS chain", g);
    print_timing("acceleration chain", a);
    const timing both{g.mb + a.mb, g.seconds + a.seconds, g.cpu + a.cpu};
    print_timing("pair", both);
    std::printf("  GPS per byte vs acceleration per byte: %.2f x (above 1: GPS faster)\n",
                (g.mb / g.seconds) / (a.mb / a.seconds));
    std::printf("  peak resident memory: %.1f MB after GPS, %.1f MB after both (%.1f MB before)\n",
                kb_to_mb(after_gps_kb), kb_to_mb(status_kb("VmHWM:")), kb_to_mb(base_kb));
    return gps->status == ELS_SUCCESS && acc->status == ELS_SUCCESS ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "gps") == 0)
        return load_gps(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "acc") == 0)
        return load_acc(QString::fromLocal8Bit(argv[2]));
    if (argc == 4 && std::strcmp(argv[1], "pair") == 0)
        return load_pair(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    std::fprintf(stderr, "usage: bench_gps_load gps <file> | acc <file> | pair <acc file> <gps file>\n");
    return 2;
}
