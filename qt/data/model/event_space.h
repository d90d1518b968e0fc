#pragma once

#include "data/model/geo_box.h"
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
    qint64 left_out_2d_or_invalid = 0; // type of fix other than 3D, status other than valid, or no position
    qint64 left_out_no_time = 0;       // time unreadable or outside the years a tag can have recorded

private:
    std::vector<std::unique_ptr<gps_event>> owned_;
    std::vector<const gps_event*> events_;
};
