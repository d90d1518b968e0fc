#pragma once
// What every fuzz target shares: the input written to a file in memory (the readers take a file
// name), a progress that never cancels, and the readers' log lines silenced.
#include "data/io/loader_progress.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
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

} // namespace fuzz_support
