// The parallel line reader over blocks of 64 bytes (so that an input spans many blocks) with lines
// bounded at 512 bytes: the lines and unusable lines it hands over, in order, must equal those of
// reading the same input line by line.
#include "fuzz_input_file.h"

#include "data/io/loader_read_failed.h"
#include "data/io/parallel_lines.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_support::silence();
    parallel_lines::set_threads(3);
    parallel_lines::set_block_bytes(64);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz_support::write_input(data, size);
    constexpr std::size_t max_line = 512;
    std::vector<std::string> expected;
    std::vector<std::string> got;
    try {
        line_reader one(path, nullptr, max_line);
        const char* b;
        const char* e;
        while (!one.at_end()) {
            const line_reader::line l = one.next(b, e);
            expected.push_back(l == line_reader::line::ok ? std::string(b, e)
                                                          : "unusable " + std::to_string(static_cast<int>(l)));
        }
        line_reader blocks(path, nullptr, max_line);
        parallel_lines::run<std::string>(
            blocks, [](const char* b, const char* e) { return std::string(b, e); },
            [&](std::string&& line) {
                got.push_back(std::move(line));
                return true;
            },
            [&](line_reader::line l) {
                got.push_back("unusable " + std::to_string(static_cast<int>(l)));
                return true;
            });
    } catch (const loader_read_failed&) {
        return 0;
    }
    if (got != expected)
        std::abort();
    return 0;
}
