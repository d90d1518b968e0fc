#pragma once

#include <cstddef>

// Where bursts live: many small blocks, made together by a reader and mostly freed together when a
// data set closes. Each thread carves its blocks from large regions of its own and has the system
// fill in a region's pages 256 kB at a time, ahead of the blocks: that spares the per-block malloc
// work and the page fault of each fresh page, a good part of reading a large file. A region goes
// back to the system when its last block is freed; blocks may be freed on any thread. Under
// AddressSanitizer (so that use after free is still caught), and where the system has no POSIX
// memory mapping, every block is an allocation of its own.
class burst_heap
{
public:
    // Room for bytes, aligned to block_alignment; throws std::bad_alloc when none is left.
    static void* allocate(std::size_t bytes);
    // A block made by allocate, or null.
    static void free(void* block) noexcept;

    // A region's bytes (a power of two); a block larger than a quarter of it gets a region of its own.
    static constexpr std::size_t region_bytes = std::size_t(16) << 20;
    // Enough for a burst and its float samples.
    static constexpr std::size_t block_alignment = 8;
};
