#pragma once

#include "data/model/geo_box.h"
#include "data/model/gps_event.h"

#include <memory>
#include <vector>

// All accepted fixes of one GPS file in file order (not sorted by time). Built once, then only
// read; not copyable.
class event_space
{
public:
    // Moves every event out of the reader's list, keeping the order.
    explicit event_space(std::vector<std::unique_ptr<gps_event>>& list);

    event_space(const event_space&) = delete;
    event_space& operator=(const event_space&) = delete;

    // The fixes in file order.
    const std::vector<const gps_event*>& events() const { return events_; }

    geo_box bounds() const;

private:
    std::vector<std::unique_ptr<gps_event>> owned_;
    std::vector<const gps_event*> events_;
};
