#pragma once
// Measuring helpers the benchmarks share: resident memory from /proc and process CPU time.

#include <sys/resource.h>

#include <cstring>
#include <fstream>
#include <string>

namespace bench_support {

// A field of /proc/self/status in kB (VmRSS: now, VmHWM: peak); -1 if absent.
inline long status_kb(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name, 0) == 0)
            return std::stol(line.substr(std::strlen(name)));
    }
    return -1;
}

inline double kb_to_mb(long kb)
{
    return static_cast<double>(kb) * 1024 / 1e6;
}

// User plus system CPU time of the process so far, in seconds.
inline double cpu_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Peak resident memory of the process so far, in MiB.
inline long peak_mib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace bench_support
