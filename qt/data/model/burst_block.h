#pragma once

#include <cstddef>

// The one allocation of a burst being read (made by burst::new_block): room for the burst itself
// followed by its samples (x, then y, then z), filled by a reader on its own thread and handed whole
// to burst::make. Owns the memory until then; not copyable.
class burst_block
{
public:
    burst_block() = default;
    // Uninitialised room for header_bytes, then three axes of sample_count values each.
    burst_block(std::size_t header_bytes, std::size_t sample_count);
    burst_block(burst_block&& other) noexcept;
    burst_block& operator=(burst_block&& other) noexcept;
    burst_block(const burst_block&) = delete;
    burst_block& operator=(const burst_block&) = delete;
    ~burst_block();

    std::size_t sample_count() const { return samples_; }
    // The values of axis a (0 x, 1 y, 2 z).
    float* axis(int a) { return values() + static_cast<std::size_t>(a) * samples_; }
    const float* axis(int a) const { return values() + static_cast<std::size_t>(a) * samples_; }

    // The whole allocation (null for an empty block), and the same given up by the block.
    void* storage() const { return memory_; }
    void* release();

private:
    float* values() const;

    void* memory_ = nullptr;
    std::size_t header_ = 0;
    std::size_t samples_ = 0;
};
