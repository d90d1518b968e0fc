#pragma once

#include <algorithm>

// Bounding box of GPS fixes; an empty set gives minima above maxima.
struct geo_box
{
    double min_longitude;
    double min_latitude;
    double max_longitude;
    double max_latitude;

    bool empty() const { return max_longitude < min_longitude || max_latitude < min_latitude; }

    // The box around both; an empty one adds nothing.
    geo_box joined(const geo_box& other) const
    {
        if (other.empty())
            return *this;
        if (empty())
            return other;
        return {std::min(min_longitude, other.min_longitude), std::min(min_latitude, other.min_latitude),
                std::max(max_longitude, other.max_longitude), std::max(max_latitude, other.max_latitude)};
    }
};
