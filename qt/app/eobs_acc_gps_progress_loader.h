#pragma once

#include "app/progress_coordinator.h"

class animal_pairing;
struct eobs_acc_gps_result;

// Opens an acceleration and GPS pair from either of its files: loads both on a pool thread behind a
// modal progress dialog, then opens the burst window, draws the track on the map, adds the tree rows
// and registers the pair.
class eobs_acc_gps_progress_loader : public progress_coordinator
{
    Q_OBJECT

public:
    explicit eobs_acc_gps_progress_loader(data_set_sink& sink);

    QString acc_file_name;
    QString gps_file_name;

public slots:
    void finished_loading(eobs_acc_gps_result* result_ptr, bool was_canceled);

protected:
    void load(const QString& path) override;

private:
    // Loads the two files behind the progress dialog.
    void load_pair(const QString& acc, const QString& gps);
    // Files of several animals: asks which to open, each with its own fixes.
    void open_chosen_animals(animal_pairing& animals);
};
