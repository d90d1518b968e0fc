#include "data/model/burst_heap.h"

#include <new>

// Regions where the system maps memory as POSIX does; plain allocations elsewhere and under
// AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define DORNVALE_BURST_REGIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DORNVALE_BURST_REGIONS 0
#endif
#endif
#if !defined(DORNVALE_BURST_REGIONS)
#if defined(__unix__) || defined(__APPLE__)
#define DORNVALE_BURST_REGIONS 1
#else
#define DORNVALE_BURST_REGIONS 0
#endif
#endif

#if !DORNVALE_BURST_REGIONS

void* burst_heap::allocate(std::size_t bytes)
{
    return ::operator new(bytes);
}

void burst_heap::free(void* block) noexcept
{
    ::operator delete(block);
}

#else

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace {

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; an older kernel refuses it and pages fault in one by one
#endif

constexpr std::size_t fill_bytes = std::size_t(256) << 10;

// At the start of each region, which starts at a multiple of region_bytes: a block's region is
// found from the block's address alone, so a block carries no bookkeeping of its own.
struct region
{
    explicit region(std::size_t bytes, std::size_t holds_) : holds(holds_), mapped_bytes(bytes) {}
    // Blocks alive in the region, plus one while a thread still carves from it.
    std::atomic<std::size_t> holds;
    const std::size_t mapped_bytes;
};

constexpr std::size_t round_up(std::size_t bytes, std::size_t to)
{
    return (bytes + to - 1) & ~(to - 1);
}

constexpr std::size_t header_bytes = round_up(sizeof(region), alignof(std::max_align_t));

region* region_of(void* block)
{
    return reinterpret_cast<region*>(reinterpret_cast<std::uintptr_t>(block) &
                                     ~(burst_heap::region_bytes - 1));
}

// A new region of bytes (whole pages) at a multiple of region_bytes.
region* map_region(std::size_t bytes, std::size_t holds)
{
    const std::size_t align = burst_heap::region_bytes;
    void* mapping =
        ::mmap(nullptr, bytes + align, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    const auto at = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t start = round_up(at, align);
    if (start != at)
        ::munmap(mapping, start - at);
    if (const std::size_t tail = at + align - start)
        ::munmap(reinterpret_cast<void*>(start + bytes), tail);
    return ::new (reinterpret_cast<void*>(start)) region(bytes, holds);
}

void let_go(region* r) noexcept
{
    if (r && r->holds.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        const std::size_t bytes = r->mapped_bytes;
        r->~region();
        ::munmap(r, bytes);
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

} // namespace

void* burst_heap::allocate(std::size_t bytes)
{
    const std::size_t need = round_up(bytes, block_alignment);
    if (need > (region_bytes - header_bytes) / 4) { // a region of its own, freed with the block
        const auto page = std::size_t(::sysconf(_SC_PAGESIZE));
        return reinterpret_cast<char*>(map_region(round_up(header_bytes + need, page), 1)) + header_bytes;
    }
    if (static_cast<std::size_t>(here.end - here.next) < need) {
        region* fresh = map_region(region_bytes, 1);
        let_go(here.current);
        here.current = fresh;
        here.filled = reinterpret_cast<char*>(fresh);
        here.next = here.filled + header_bytes;
        here.end = here.filled + region_bytes;
    }
    while (here.next + need > here.filled) {
        ::madvise(here.filled, fill_bytes, MADV_POPULATE_WRITE); // a hint: a refusal costs only the faults
        here.filled += fill_bytes;
    }
    char* block = here.next;
    here.next += need;
    here.current->holds.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void burst_heap::free(void* block) noexcept
{
    if (block)
        let_go(region_of(block));
}

#endif
