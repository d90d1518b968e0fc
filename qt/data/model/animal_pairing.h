#pragma once

#include "data/model/animal_bursts.h"
#include "data/model/animal_events.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

// The animals of a loaded acceleration and GPS pair, each animal's bursts with its own fixes: a
// fix belongs to the animal of the same identifier. A pair of one animal on each side pairs
// whatever the identifiers say (a fixed-layout export names none).
class animal_pairing
{
public:
    struct animal
    {
        QString id;
        std::unique_ptr<burst_space> bursts; // null for an animal with fixes only
        std::unique_ptr<event_space> events; // null for an animal with bursts only
        qint32 fix_count() const;
        // Earliest and latest time of its bursts and fixes, ms since the epoch; 0 with neither.
        std::pair<qint64, qint64> time_range() const;
    };

    // acc holds each animal's bursts in file order, gps each animal's fixes likewise; neither is empty.
    animal_pairing(std::vector<animal_bursts> acc, std::vector<animal_events> gps);

    // Animals with bursts in the order of the acceleration file, then those with fixes only in the
    // order of the GPS file.
    std::vector<animal>& animals() { return animals_; }
    // Animals with bursts.
    std::size_t acc_animal_count() const { return acc_animals_; }
    // Animals on the GPS side.
    std::size_t gps_animal_count() const { return gps_animals_; }

private:
    std::vector<animal> animals_;
    std::size_t acc_animals_ = 0;
    std::size_t gps_animals_ = 0;
};
