#include "data/model/event_space.h"

#include <limits>

event_space::event_space(std::vector<std::unique_ptr<gps_event>>& list)
{
    owned_.reserve(list.size());
    events_.reserve(list.size());
    for (auto& event : list) {
        if (!event)
            continue;
        events_.push_back(event.get());
        owned_.push_back(std::move(event));
    }
}

geo_box event_space::bounds() const
{
    const double largest = std::numeric_limits<double>::max();
    geo_box box{largest, largest, std::numeric_limits<double>::lowest(),
                std::numeric_limits<double>::lowest()};
    for (const gps_event* e : events_) {
        if (e->longitude < box.min_longitude)
            box.min_longitude = e->longitude;
        if (e->latitude < box.min_latitude)
            box.min_latitude = e->latitude;
        if (e->longitude > box.max_longitude)
            box.max_longitude = e->longitude;
        if (e->latitude > box.max_latitude)
            box.max_latitude = e->latitude;
    }
    return box;
}
