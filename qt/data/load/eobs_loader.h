#pragma once

#include "data/load/load_outcome.h"
#include "data/model/animal_bursts.h"
#include "data/model/animal_events.h"

#include <QString>

class header_sniff;
class loader_progress;

// Loads an export of one sensor with its three readers in turn: the fixed-header reader, the "eobs_"
// reader, the named-column reader; a reader the file's sniffed first line refuses is passed over
// unstarted. Space and Animal say the sensor: bursts or fixes. All work is done in the constructor.
template <typename Space, typename Animal>
class eobs_loader : public load_outcome<eobs_loader<Space, Animal>, Space, Animal>
{
public:
    using outcome = load_outcome<eobs_loader<Space, Animal>, Space, Animal>;
    using outcome::outcome;
    // Sniffs the file itself.
    eobs_loader(const QString& file_name, loader_progress* progress);
    eobs_loader(const QString& file_name, const header_sniff& sniff, loader_progress* progress);
};

using eobs_acc_loader = eobs_loader<burst_space, animal_bursts>;
using eobs_gps_loader = eobs_loader<event_space, animal_events>;
extern template class eobs_loader<burst_space, animal_bursts>;
extern template class eobs_loader<event_space, animal_events>;
