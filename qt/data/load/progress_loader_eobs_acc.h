#pragma once

#include "data/load/progress_loader_base.h"

struct eobs_acc_result;

// Loads one acceleration file on a pool thread and hands the result record to the GUI thread
// through finished_with_result (queued; the receiver owns the record).
class progress_loader_eobs_acc : public progress_loader_base
{
    Q_OBJECT

public:
    progress_loader_eobs_acc(const QString& acc_file_name, std::shared_ptr<std::atomic_bool> cancel_flag);

    void run() override;

    const QString acc_file_name;

signals:
    void finished_with_result(eobs_acc_result* result, bool was_canceled);
};
