#include "data/io/parallel_lines.h"

#include <QThread>

#include <algorithm>
#include <atomic>

namespace {

std::atomic<int> thread_count{0}; // 0: the machine's cores
std::atomic<std::size_t> bytes_per_block{std::size_t(1) << 20};

} // namespace

int parallel_lines::threads()
{
    const int count = thread_count.load();
    return count > 0 ? count : std::max(1, QThread::idealThreadCount());
}

std::size_t parallel_lines::block_bytes()
{
    return bytes_per_block.load();
}

void parallel_lines::set_threads(int count)
{
    thread_count.store(count);
}

void parallel_lines::set_block_bytes(std::size_t bytes)
{
    bytes_per_block.store(std::max<std::size_t>(bytes, 1));
}
