#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// A read-only view of one axis's samples inside a burst's sample block; valid while the burst lives.
class sample_axis
{
public:
    sample_axis(const float* values, std::size_t count) : values_(values), count_(count) {}

    const float* data() const { return values_; }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const float* begin() const { return values_; }
    const float* end() const { return values_ + count_; }
    const float& operator[](std::size_t i) const { return values_[i]; }
    const float& front() const { return values_[0]; }
    const float& back() const { return values_[count_ - 1]; }
    std::vector<float> to_vector() const { return std::vector<float>(begin(), end()); }

    // Equal values in the same order, as std::vector's ==.
    friend bool operator==(const sample_axis& a, const sample_axis& b)
    {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const sample_axis& a, const std::vector<float>& b)
    {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const std::vector<float>& a, const sample_axis& b) { return b == a; }
    friend bool operator!=(const sample_axis& a, const sample_axis& b) { return !(a == b); }

private:
    const float* values_;
    std::size_t count_;
};
