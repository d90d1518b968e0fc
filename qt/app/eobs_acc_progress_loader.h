#pragma once

#include "app/progress_coordinator.h"

class eobs_acc_loader;
struct eobs_acc_result;

// Opens one acceleration file: asks for it, loads it on a pool thread behind a modal progress
// dialog, then opens its burst window, adds its tree rows and registers it.
class eobs_acc_progress_loader : public progress_coordinator
{
    Q_OBJECT

public:
    explicit eobs_acc_progress_loader(data_set_sink& sink);

    QString acc_file_name;

public slots:
    void finished_loading(eobs_acc_result* result_ptr, bool was_canceled);

protected:
    void load(const QString& path) override;

private:
    // A file of several animals: asks which to open, each in its own window.
    void open_chosen_animals(eobs_acc_loader& acc);
};
