#pragma once

#include "data/load/load_outcome.h"
#include "data/model/animal_events.h"

#include <QString>

class header_sniff;
class loader_progress;

// Loads a GPS file as eobs_acc_loader does an acceleration file, with the GPS readers.
class eobs_gps_loader : public load_outcome<eobs_gps_loader, event_space, animal_events>
{
public:
    using load_outcome::load_outcome;
    // Sniffs the file itself.
    eobs_gps_loader(const QString& file_name, loader_progress* progress);
    eobs_gps_loader(const QString& file_name, const header_sniff& sniff, loader_progress* progress);
};
