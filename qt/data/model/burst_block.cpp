#include "data/model/burst_block.h"

#include "data/model/burst_heap.h"

#include <new>
#include <utility>

burst_block::burst_block(std::size_t header_bytes, std::size_t sample_count)
    : memory_(burst_heap::allocate(header_bytes + 3 * sample_count * sizeof(float))), header_(header_bytes),
      samples_(sample_count)
{
}

burst_block::burst_block(burst_block&& other) noexcept
    : memory_(std::exchange(other.memory_, nullptr)), header_(std::exchange(other.header_, 0)),
      samples_(std::exchange(other.samples_, 0))
{
}

burst_block& burst_block::operator=(burst_block&& other) noexcept
{
    if (this != &other) {
        burst_heap::free(memory_);
        memory_ = std::exchange(other.memory_, nullptr);
        header_ = std::exchange(other.header_, 0);
        samples_ = std::exchange(other.samples_, 0);
    }
    return *this;
}

burst_block::~burst_block()
{
    burst_heap::free(memory_);
}

void* burst_block::release()
{
    samples_ = 0;
    return std::exchange(memory_, nullptr);
}

float* burst_block::values() const
{
    return reinterpret_cast<float*>(static_cast<char*>(memory_) + header_);
}
