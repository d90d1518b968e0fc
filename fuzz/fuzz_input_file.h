#pragma once
// What every fuzz target shares: the input written to a file in memory (the readers take a file
// name), a progress that never cancels, the readers' log lines silenced, and an acceleration and
// GPS pair loaded from one input.
#include "data/io/loader_progress.h"
#include "data/load/eobs_loader.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <unistd.h>

namespace fuzz_support {

struct never_cancelled : loader_progress
{
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

// A discarding stream buffer: the readers' messages cost no I/O.
struct null_buffer : std::streambuf
{
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

inline void silence()
{
    static null_buffer sink;
    std::cout.rdbuf(&sink);
    std::cerr.rdbuf(&sink);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// Writes bytes to a per-process file under /dev/shm and returns its name.
inline QString write_input(const std::uint8_t* data, std::size_t size, const char* suffix = "")
{
    const std::string path =
        "/dev/shm/dornvale-fuzz-" + std::to_string(::getpid()) + suffix + ".csv";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return QString::fromStdString(path);
}

// Writes the part before the first line "----" as the acceleration file and the rest as the GPS
// file; their names.
inline std::pair<QString, QString> write_pair(const std::uint8_t* data, std::size_t size)
{
    static const char separator[] = "\n----\n";
    const auto* end = data + size;
    const auto* cut = std::search(data, end, separator, separator + 6);
    const auto* gps_begin = cut == end ? end : cut + 6;
    return {write_input(data, static_cast<std::size_t>(cut - data), "-acc"),
            write_input(gps_begin, static_cast<std::size_t>(end - gps_begin), "-gps")};
}

// Both loader chains on the files of write_pair.
inline std::pair<std::unique_ptr<eobs_acc_loader>, std::unique_ptr<eobs_gps_loader>>
load_pair(const std::uint8_t* data, std::size_t size)
{
    const auto [acc_path, gps_path] = write_pair(data, size);
    never_cancelled progress;
    return {eobs_acc_loader::guarded(acc_path, &progress), eobs_gps_loader::guarded(gps_path, &progress)};
}

} // namespace fuzz_support
