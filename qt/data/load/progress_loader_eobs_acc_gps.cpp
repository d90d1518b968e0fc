#include "data/load/progress_loader_eobs_acc_gps.h"

#include "data/load/eobs_acc_gps_loader.h"
#include "data/io/trace.h"

progress_loader_eobs_acc_gps::progress_loader_eobs_acc_gps(const QString& acc_file_name,
                                                           const QString& gps_file_name,
                                                           std::shared_ptr<std::atomic_bool> cancel_flag)
    : progress_loader_base("progress_loader_eobs_acc_gps", std::move(cancel_flag)),
      acc_file_name(acc_file_name), gps_file_name(gps_file_name)
{
    trace::err("progress_loader_eobs_acc_gps");
}

progress_loader_eobs_acc_gps::~progress_loader_eobs_acc_gps()
{
    trace::err("~progress_loader_eobs_acc_gps");
}

void progress_loader_eobs_acc_gps::run()
{
    auto* result = new eobs_acc_gps_result;
    result->gps = eobs_gps_loader::guarded(gps_file_name, this);
    result->acc = eobs_acc_loader::guarded(acc_file_name, this);
    emit finished();
    emit finished_with_result(result, cancel_requested());
}
