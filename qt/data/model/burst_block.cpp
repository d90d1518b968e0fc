#include "data/model/burst_block.h"

#include "data/model/burst.h"

#include <new>
#include <utility>

static_assert(sizeof(burst) % alignof(float) == 0, "the samples follow the burst");

std::size_t burst_block::samples_offset()
{
    return sizeof(burst);
}

burst_block::burst_block(std::size_t sample_count)
    : memory_(::operator new(samples_offset() + 3 * sample_count * sizeof(float))), samples_(sample_count)
{
}

burst_block::burst_block(burst_block&& other) noexcept
    : memory_(std::exchange(other.memory_, nullptr)), samples_(std::exchange(other.samples_, 0))
{
}

burst_block& burst_block::operator=(burst_block&& other) noexcept
{
    if (this != &other) {
        ::operator delete(memory_);
        memory_ = std::exchange(other.memory_, nullptr);
        samples_ = std::exchange(other.samples_, 0);
    }
    return *this;
}

burst_block::~burst_block()
{
    ::operator delete(memory_);
}

void* burst_block::release()
{
    samples_ = 0;
    return std::exchange(memory_, nullptr);
}

float* burst_block::values() const
{
    return reinterpret_cast<float*>(static_cast<char*>(memory_) + samples_offset());
}
