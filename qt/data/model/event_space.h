#pragma once

#include "data/model/geo_box.h"
#include "data/model/fixes_left_out.h"
#include "data/model/gps_event.h"

#include <QtGlobal>

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

    // Rows of the file read as this animal's fixes but left out, by reason; set by the loader.
    fixes_left_out left_out;

private:
    std::vector<std::unique_ptr<gps_event>> owned_;
    std::vector<const gps_event*> events_;
};
