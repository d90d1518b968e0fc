#pragma once

#include "data/io/line_reader.h"

#include <QThreadPool>

#include <cstddef>
#include <cstring>
#include <deque>
#include <future>
#include <memory>
#include <vector>

// Runs a per-line parse over the rest of a line_reader's input and hands each line's result to a
// merge in file order on the calling thread. With more than one thread the input is cut into blocks
// of whole lines that a dedicated pool parses while the caller merges; a bounded number of blocks is
// in flight, so memory stays constant beyond what merge keeps. With one thread, lines are parsed and
// merged one after the other. The outcome is the same either way.
class parallel_lines
{
public:
    // Threads used by readers (default: the machine's cores) and the bytes per block (default 1 MiB).
    static int threads();
    static std::size_t block_bytes();
    static void set_threads(int count);
    static void set_block_bytes(std::size_t bytes);

    // parse(begin, end) -> Result is called on pool threads and must touch nothing shared;
    // merge(Result&&) -> bool is called on the caller's thread in file order; false stops the run.
    // unusable(line_reader::line) -> bool is called in file order for a line too long to read or a
    // cancel seen inside a line; false stops the run.
    // An exception thrown by parse or merge leaves run after the pool has finished.
    template <typename Result, typename Parse, typename Merge, typename Unusable>
    static void run(line_reader& lines, Parse parse, Merge merge, Unusable unusable);

private:
    // Calls line(begin, end) for each line of a block (line ends as in line_reader::next).
    template <typename Line> static void split_block(const std::vector<char>& block, Line&& line);
};

template <typename Line> void parallel_lines::split_block(const std::vector<char>& block, Line&& line)
{
    const char* p = block.data();
    const char* const end = p + block.size();
    while (p != end) {
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* e = nl ? static_cast<const char*>(nl) : end;
        const char* next = nl ? e + 1 : end;
        if (e != p && e[-1] == '\r')
            --e;
        line(p, e);
        p = next;
    }
}

template <typename Result, typename Parse, typename Merge, typename Unusable>
void parallel_lines::run(line_reader& lines, Parse parse, Merge merge, Unusable unusable)
{
    const int count = threads();
    if (count <= 1 || lines.fits_in(block_bytes())) { // one block's worth needs no pool
        const char* b;
        const char* e;
        while (!lines.at_end()) {
            const line_reader::line got = lines.next(b, e);
            if (got != line_reader::line::ok ? !unusable(got) : !merge(parse(b, e)))
                return;
        }
        return;
    }

    using results = std::vector<Result>;
    QThreadPool pool; // declared before the futures: its destructor waits for the running blocks
    pool.setMaxThreadCount(count);
    struct pending
    {
        std::future<results> parsed;
        line_reader::line tail; // the unusable line after the block's lines, or ok
    };
    std::deque<pending> in_flight;
    const std::size_t max_in_flight = static_cast<std::size_t>(count) + 1;
    const std::size_t bytes = block_bytes();
    bool input_left = true;
    try {
        for (;;) {
            while (input_left && in_flight.size() < max_in_flight) {
                auto block = std::make_shared<std::vector<char>>();
                line_reader::line tail = line_reader::line::ok;
                input_left = lines.next_lines(bytes, *block, tail);
                if (!input_left)
                    break;
                auto task = std::make_shared<std::packaged_task<results()>>([block, parse]() mutable {
                    results out;
                    split_block(*block, [&](const char* b, const char* e) { out.push_back(parse(b, e)); });
                    return out;
                });
                in_flight.push_back(pending{task->get_future(), tail});
                pool.start([task]() { (*task)(); });
            }
            if (in_flight.empty())
                return;
            results done = in_flight.front().parsed.get();
            const line_reader::line tail = in_flight.front().tail;
            in_flight.pop_front();
            for (Result& r : done) {
                if (!merge(std::move(r))) {
                    pool.clear();
                    return;
                }
            }
            if (tail != line_reader::line::ok && !unusable(tail)) {
                pool.clear();
                return;
            }
        }
    } catch (...) {
        pool.clear();
        throw;
    }
}
