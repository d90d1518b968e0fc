#pragma once

#include "data/load/load_outcome.h"
#include "data/model/animal_bursts.h"
#include "data/model/animal_events.h"
#include "data/io/byte_input.h"

#include <QString>

class loader_progress;

// Loads an export of one sensor with its three readers in turn on one opening of the file: the
// fixed-header reader, the "eobs_" reader, the named-column reader; the first that accepts the file's
// first line reads on from it, the others are passed over unstarted. Space and Animal say the sensor:
// bursts or fixes. All work is done in the constructor.
template <typename Space, typename Animal>
class eobs_loader : public load_outcome<eobs_loader<Space, Animal>, Space, Animal>
{
public:
    using outcome = load_outcome<eobs_loader<Space, Animal>, Space, Animal>;
    using outcome::outcome;
    // A file, zip entry path or bytes in memory.
    eobs_loader(const byte_input& input, loader_progress* progress);
};

using eobs_acc_loader = eobs_loader<burst_space, animal_bursts>;
using eobs_gps_loader = eobs_loader<event_space, animal_events>;
extern template class eobs_loader<burst_space, animal_bursts>;
extern template class eobs_loader<event_space, animal_events>;
