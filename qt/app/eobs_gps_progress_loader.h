#pragma once

#include "app/progress_coordinator.h"

struct eobs_gps_result;

// Opens a GPS file without acceleration data: loads it on a pool thread behind a modal progress
// dialog, then draws its track on the map (a track per animal for a file of several), adds its
// tree rows and registers it.
class eobs_gps_progress_loader : public progress_coordinator
{
    Q_OBJECT

public:
    explicit eobs_gps_progress_loader(data_set_sink& sink);

    QString gps_file_name;

public slots:
    void finished_loading(eobs_gps_result* result_ptr, bool was_canceled);

protected:
    void load(const QString& path) override;
};
