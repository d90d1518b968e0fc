#include "data/io/read_ahead.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t chunk_bytes = std::size_t(1) << 20;
constexpr std::size_t chunks_ahead = 3;

} // namespace

read_ahead::read_ahead(std::function<qint64(char*, qint64)> fill, std::function<qint64()> position)
    : fill_(std::move(fill)), source_position_(std::move(position)), thread_([this] { run(); })
{
}

read_ahead::~read_ahead()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void read_ahead::run()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || ready_.size() < chunks_ahead; });
            if (stop_)
                return;
        }
        chunk next;
        try {
            next.bytes.resize(chunk_bytes);
            next.bytes.resize(static_cast<std::size_t>(fill_(next.bytes.data(), qint64(chunk_bytes))));
            next.position = source_position_();
        } catch (...) {
            next.bytes.clear();
            next.error = std::current_exception();
        }
        const bool last = next.bytes.empty();
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ready_.push_back(std::move(next));
        }
        changed_.notify_all();
        if (last)
            return;
    }
}

qint64 read_ahead::read(char* out, qint64 max)
{
    if (taken_ == current_.bytes.size()) {
        if (ended_)
            return 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !ready_.empty(); });
            current_ = std::move(ready_.front());
            ready_.pop_front();
        }
        changed_.notify_all();
        taken_ = 0;
        ended_ = current_.bytes.empty();
        if (current_.error)
            std::rethrow_exception(current_.error);
        position_ = current_.position;
        if (ended_)
            return 0;
    }
    const std::size_t n = std::min(static_cast<std::size_t>(max), current_.bytes.size() - taken_);
    std::memcpy(out, current_.bytes.data() + taken_, n);
    taken_ += n;
    return static_cast<qint64>(n);
}
