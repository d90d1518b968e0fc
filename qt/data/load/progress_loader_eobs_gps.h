#pragma once

#include "data/load/progress_loader_base.h"

struct eobs_gps_result;

// Loads one GPS file on a pool thread and hands the result record to the GUI thread through
// finished_with_result (queued; the receiver owns the record).
class progress_loader_eobs_gps : public progress_loader_base
{
    Q_OBJECT

public:
    progress_loader_eobs_gps(const QString& gps_file_name, std::shared_ptr<std::atomic_bool> cancel_flag);

    void run() override;

    const QString gps_file_name;

signals:
    void finished_with_result(eobs_gps_result* result, bool was_canceled);
};
