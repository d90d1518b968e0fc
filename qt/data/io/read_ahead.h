#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs a reading function on a thread of its own, a few chunks ahead of the reader, so that unpacking
// a compressed file overlaps with parsing what came before. What the function throws reaches the
// reader in its place, after the chunks read before it.
class read_ahead
{
public:
    // fill(out, max) returns the bytes it wrote, 0 at the end; position() is taken after each chunk.
    // Both run only on the thread from now on.
    read_ahead(std::function<qint64(char*, qint64)> fill, std::function<qint64()> position);
    // Stops the thread, waiting for the chunk it is reading.
    ~read_ahead();

    read_ahead(const read_ahead&) = delete;
    read_ahead& operator=(const read_ahead&) = delete;

    // As fill, in order; rethrows what fill threw.
    qint64 read(char* out, qint64 max);
    // The position after the last chunk read() took bytes from.
    qint64 position() const { return position_; }

private:
    struct chunk
    {
        std::vector<char> bytes;
        qint64 position = 0;
        std::exception_ptr error;
    };

    void run();

    std::function<qint64(char*, qint64)> fill_;
    std::function<qint64()> source_position_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<chunk> ready_; // read, not yet taken; an empty chunk ends the input
    bool stop_ = false;
    chunk current_;
    std::size_t taken_ = 0; // bytes of current_ handed out
    bool ended_ = false;
    qint64 position_ = 0;
    std::thread thread_; // last: starts once everything above is set
};
