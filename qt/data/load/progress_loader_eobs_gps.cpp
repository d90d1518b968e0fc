#include "data/load/progress_loader_eobs_gps.h"

#include "data/load/eobs_acc_gps_loader.h"

progress_loader_eobs_gps::progress_loader_eobs_gps(const QString& gps_file_name,
                                                   std::shared_ptr<std::atomic_bool> cancel_flag)
    : progress_loader_base("progress_loader_eobs_gps", std::move(cancel_flag)), gps_file_name(gps_file_name)
{
}

void progress_loader_eobs_gps::run()
{
    auto* result = new eobs_gps_result;
    result->gps = eobs_gps_loader::guarded(gps_file_name, this);
    emit finished();
    emit finished_with_result(result, cancel_requested());
}
