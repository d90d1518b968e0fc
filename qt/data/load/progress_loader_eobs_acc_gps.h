#pragma once

#include "data/load/progress_loader_base.h"

struct eobs_acc_gps_result;

// Loads an acceleration and GPS pair on a pool thread, the GPS file first, and hands the result
// record to the GUI thread through finished_with_result (queued; the receiver owns the record).
class progress_loader_eobs_acc_gps : public progress_loader_base
{
    Q_OBJECT

public:
    progress_loader_eobs_acc_gps(const QString& acc_file_name, const QString& gps_file_name,
                                 std::shared_ptr<std::atomic_bool> cancel_flag);
    ~progress_loader_eobs_acc_gps() override;

    void run() override;

    const QString acc_file_name;
    const QString gps_file_name;

signals:
    void finished_with_result(eobs_acc_gps_result* result, bool was_canceled);
};
