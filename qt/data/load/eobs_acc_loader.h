#pragma once

#include "data/load/load_outcome.h"
#include "data/model/animal_bursts.h"

#include <QString>

class header_sniff;
class loader_progress;

// Loads an acceleration file: the fixed-header reader first, the "eobs_" reader second, the named-column
// reader third; a reader the file's sniffed first line refuses is passed over unstarted. All work is
// done in the constructor; log lines go to standard error.
class eobs_acc_loader : public load_outcome<eobs_acc_loader, burst_space, animal_bursts>
{
public:
    using load_outcome::load_outcome;
    // Sniffs the file itself.
    eobs_acc_loader(const QString& file_name, loader_progress* progress);
    eobs_acc_loader(const QString& file_name, const header_sniff& sniff, loader_progress* progress);
};
