#include "data/io/memory_budget.h"

#include "data/io/loader_read_failed.h"

#include <QDir>

#include <unistd.h>

#include <limits>

namespace {

std::atomic<qint64> set_limit{0}; // 0: half the physical memory

} // namespace

qint64 memory_budget::physical_memory()
{
    const long pages = sysconf(_SC_PHYS_PAGES), page_size = sysconf(_SC_PAGESIZE);
    return pages > 0 && page_size > 0 ? qint64(pages) * page_size : std::numeric_limits<qint64>::max();
}

qint64 memory_budget::bytes()
{
    const qint64 limit = set_limit.load();
    return limit > 0 ? limit : physical_memory() / 2;
}

void memory_budget::set_bytes(qint64 limit)
{
    set_limit.store(limit);
}

memory_budget::memory_budget(const QString& file_name, bool compressed)
    : file_name_(file_name), limit_(compressed ? bytes() : std::numeric_limits<qint64>::max())
{
}

void memory_budget::reserve(qint64 bytes)
{
    // A plain file has no limit: its parsing threads then share no counter.
    if (limit_ == std::numeric_limits<qint64>::max())
        return;
    if (used_.fetch_add(bytes) + bytes <= limit_)
        return;
    const auto mb = [](qint64 b) { return QString::number(b / 1000000); };
    throw loader_read_failed(
        QStringLiteral("Can't read file: the samples unpacked from \"%1\" need more than %2 MB of memory, "
                       "the limit for a compressed file (this machine has %3 MB)")
            .arg(QDir::toNativeSeparators(file_name_), mb(limit_), mb(physical_memory())));
}
