#include "data/model/burst_heap.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <new>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool use_regions = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool use_regions = false;
#else
constexpr bool use_regions = true;
#endif
#else
constexpr bool use_regions = true;
#endif

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; an older kernel refuses it and pages fault in one by one
#endif

constexpr std::size_t fill_bytes = std::size_t(1) << 20;

// At the start of each region's mapping.
struct region
{
    // Blocks alive in the region, plus one while a thread still carves from it.
    std::atomic<std::size_t> holds{1};
};

// Each block is preceded by the region it came from (null: an allocation of its own); 16 bytes keep
// the block aligned as malloc's are.
constexpr std::size_t prefix_bytes = 16;

constexpr std::size_t round_up(std::size_t bytes)
{
    return (bytes + 15) & ~std::size_t(15);
}

void let_go(region* r) noexcept
{
    if (r && r->holds.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        r->~region();
        ::munmap(r, burst_heap::region_bytes);
    }
}

// The region a thread carves from, let go of when the thread ends.
struct carving
{
    region* current = nullptr;
    char* next = nullptr;
    char* filled = nullptr; // pages below are in memory already
    char* end = nullptr;
    ~carving() { let_go(current); }
};

thread_local carving here;

void start_region()
{
    void* mapping = ::mmap(nullptr, burst_heap::region_bytes, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    let_go(here.current);
    here.current = ::new (mapping) region;
    here.filled = static_cast<char*>(mapping);
    here.next = here.filled + round_up(sizeof(region));
    here.end = here.filled + burst_heap::region_bytes;
}

} // namespace

void* burst_heap::allocate(std::size_t bytes)
{
    const std::size_t need = prefix_bytes + round_up(bytes);
    if (!use_regions || need > region_bytes / 4) {
        char* own = static_cast<char*>(::operator new(need));
        *reinterpret_cast<region**>(own) = nullptr;
        return own + prefix_bytes;
    }
    if (static_cast<std::size_t>(here.end - here.next) < need)
        start_region();
    while (here.next + need > here.filled) {
        const std::size_t step = std::min(fill_bytes, static_cast<std::size_t>(here.end - here.filled));
        ::madvise(here.filled, step, MADV_POPULATE_WRITE); // a hint: a refusal costs only the faults
        here.filled += step;
    }
    char* block = here.next;
    here.next += need;
    here.current->holds.fetch_add(1, std::memory_order_relaxed);
    *reinterpret_cast<region**>(block) = here.current;
    return block + prefix_bytes;
}

void burst_heap::free(void* block) noexcept
{
    if (!block)
        return;
    char* start = static_cast<char*>(block) - prefix_bytes;
    if (region* from = *reinterpret_cast<region**>(start))
        let_go(from);
    else
        ::operator delete(start);
}
