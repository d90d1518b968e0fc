#pragma once

#include "data/model/animal_bursts.h"
#include "data/model/animal_events.h"
#include "data/load/load_outcome.h"

#include <QString>

#include <memory>
#include <vector>

class acc_csv_reader;
class event_space;
class header_sniff;
class loader_named_acc;

// Loads an acceleration file: the fixed-header reader first, the "eobs_" reader second, the named-column
// reader third; a reader the file's sniffed first line refuses is passed over unstarted. All work is
// done in the constructor; log lines go to standard error.
class eobs_acc_loader : public load_outcome<eobs_acc_loader, burst_space>
{
public:
    // Sniffs the file itself.
    eobs_acc_loader(const QString& file_name, loader_progress* progress);
    eobs_acc_loader(const QString& file_name, const header_sniff& sniff, loader_progress* progress);
    explicit eobs_acc_loader(const QString& failure_reason);
    ~eobs_acc_loader();

    // With a file read by the named-column reader: space holds the first animal's bursts,
    // first_animal its identifier, and more_animals the others in the order of their first row.
    // Empty for the fixed layouts, which name no animal.
    QString first_animal;
    std::vector<animal_bursts> more_animals;

    // Every animal's bursts, the first animal's first; takes them out of the loader.
    std::vector<animal_bursts> take_animals();

private:
    std::vector<std::unique_ptr<burst>>& take_bursts(acc_csv_reader& reader);
    std::vector<std::unique_ptr<burst>>& take_bursts(loader_named_acc& reader);
};

// Loads a GPS file likewise, with the GPS readers.
class eobs_gps_loader : public load_outcome<eobs_gps_loader, event_space>
{
public:
    eobs_gps_loader(const QString& file_name, loader_progress* progress);
    eobs_gps_loader(const QString& file_name, const header_sniff& sniff, loader_progress* progress);
    explicit eobs_gps_loader(const QString& failure_reason);
    ~eobs_gps_loader();

    // As eobs_acc_loader's: space holds the first animal's fixes.
    QString first_animal;
    std::vector<animal_events> more_animals;

    // Every animal's fixes, the first animal's first; takes them out of the loader.
    std::vector<animal_events> take_animals();
};
