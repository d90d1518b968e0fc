#include "data/model/animal_pairing.h"

#include <QHash>

#include <algorithm>

qint32 animal_pairing::animal::fix_count() const
{
    return events ? static_cast<qint32>(events->events().size()) : 0;
}

std::pair<qint64, qint64> animal_pairing::animal::time_range() const
{
    bool any = bursts && bursts->entry_count() > 0;
    std::pair<qint64, qint64> range{any ? bursts->begin_timestamp() : 0, any ? bursts->end_timestamp() : 0};
    if (!events)
        return range;
    for (const gps_event* e : events->events()) {
        range.first = any ? std::min(range.first, e->timestamp) : e->timestamp;
        range.second = any ? std::max(range.second, e->timestamp) : e->timestamp;
        any = true;
    }
    return range;
}

animal_pairing::animal_pairing(std::vector<animal_bursts> acc, std::vector<animal_events> gps)
{
    std::vector<animal_events> fixes = std::move(gps);
    gps_animals_ = fixes.size();

    for (animal_bursts& a : acc)
        animals_.push_back({a.id, std::move(a.space), nullptr});
    acc_animals_ = animals_.size();

    if (acc_animals_ == 1 && gps_animals_ == 1) {
        animals_.front().events = std::move(fixes.front().space);
        return;
    }
    QHash<QString, std::size_t> acc_index; // the first animal with bursts of each identifier
    acc_index.reserve(static_cast<int>(acc_animals_));
    for (std::size_t i = acc_animals_; i-- > 0;)
        acc_index.insert(animals_[i].id, i);
    for (animal_events& f : fixes) {
        const auto same = acc_index.constFind(f.id);
        if (same != acc_index.constEnd())
            animals_[same.value()].events = std::move(f.space);
        else if (!f.space->events().empty())
            animals_.push_back({f.id, nullptr, std::move(f.space)});
    }
}
