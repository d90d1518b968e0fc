#include "data/load/progress_loader_eobs_acc.h"

#include "data/load/eobs_acc_gps_loader.h"

#include <exception>

progress_loader_eobs_acc::progress_loader_eobs_acc(const QString& acc_file_name,
                                                   std::shared_ptr<std::atomic_bool> cancel_flag)
    : progress_loader_base("progress_loader_eobs_acc", std::move(cancel_flag)), acc_file_name(acc_file_name)
{
}

void progress_loader_eobs_acc::run()
{
    auto* result = new eobs_acc_result;
    result->acc = eobs_acc_loader::guarded(acc_file_name, this);
    emit finished();
    emit finished_with_result(result, cancel_requested());
}
