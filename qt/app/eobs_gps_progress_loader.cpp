#include "app/eobs_gps_progress_loader.h"

#include "app/data_set_sink.h"
#include "data/load/eobs_acc_gps_loader.h"
#include "data/model/event_space.h"
#include "data/load/progress_loader_eobs_gps.h"

eobs_gps_progress_loader::eobs_gps_progress_loader(data_set_sink& sink)
    : progress_coordinator(sink, "progress_loader_eobs_gps")
{
}

void eobs_gps_progress_loader::load(const QString& path)
{
    gps_file_name = path;
    auto* runnable = new progress_loader_eobs_gps(path, cancel_requested);
    connect(runnable, &progress_loader_eobs_gps::finished_with_result, this,
            &eobs_gps_progress_loader::finished_loading, Qt::QueuedConnection);
    run_with_progress(runnable, sink.dialog_parent());
}

void eobs_gps_progress_loader::finished_loading(eobs_gps_result* result_ptr, bool was_canceled)
{
    std::unique_ptr<eobs_gps_result> result(result_ptr);
    deleteLater();
    if (was_canceled) {
        load_cancelled(quoted(gps_file_name));
        return;
    }
    eobs_gps_loader& gps = *result->gps;
    if (gps.status != ELS_SUCCESS || !gps.space) {
        open_failed(chain_failure("GPS", gps_file_name, gps.status == ELS_READ_FAILED, gps.reason,
                                  tr("it again"), tr("Choose the GPS export of a tag.")));
        return;
    }
    if (gps.more_animals.empty()) {
        sink.add_gps_data_set(std::move(gps.space), gps_file_name, QString());
        return;
    }
    // Several animals: a track each.
    sink.add_gps_data_set(std::move(gps.space), gps_file_name, gps.first_animal);
    for (animal_events& more : gps.more_animals)
        sink.add_gps_data_set(std::move(more.space), gps_file_name, more.id);
}
