#include "app/eobs_acc_gps_progress_loader.h"

#include "app/data_set_sink.h"
#include "data/burst_space.h"
#include "data/eobs_acc_gps_loader.h"
#include "data/eobs_guess_acc_gps_filenames.h"
#include "data/named_rows.h"
#include "data/event_space.h"
#include "data/progress_loader_eobs_acc_gps.h"
#include "data/trace.h"

#include <QFileInfo>

eobs_acc_gps_progress_loader::eobs_acc_gps_progress_loader(data_set_sink& sink)
    : progress_coordinator(sink, "progress_loader_eobs_acc_gps")
{
}

void eobs_acc_gps_progress_loader::start_loading()
{
    const QString path = choose_existing_file();
    if (path.isEmpty())
        return;
    const eobs_guess_acc_gps_filenames names(path);
    acc_file_name = names.acc_filename;
    gps_file_name = names.gps_filename;
    // A download with both sensors' rows pairs with itself when it has no partner file.
    if ((!QFileInfo::exists(acc_file_name) || !QFileInfo::exists(gps_file_name)) &&
        named_rows::names_both_sensors(path)) {
        acc_file_name = path;
        gps_file_name = path;
    }
    // A name that matches no pairing pattern gives two empty names, which do not exist either.
    if (!QFileInfo::exists(acc_file_name) || !QFileInfo::exists(gps_file_name)) {
        open_failed(tr("File does not exist."));
        deleteLater();
        return;
    }
    auto* runnable = new progress_loader_eobs_acc_gps(acc_file_name, gps_file_name, cancel_requested);
    connect(runnable, &progress_loader_eobs_acc_gps::finished_with_result, this,
            &eobs_acc_gps_progress_loader::finished_loading, Qt::QueuedConnection);
    run_with_progress(runnable, sink.dialog_parent());
}

void eobs_acc_gps_progress_loader::finished_loading(eobs_acc_gps_result* result_ptr, bool was_canceled)
{
    trace::err("load_eobs_acc_and_gps_finished");
    std::unique_ptr<eobs_acc_gps_result> result(result_ptr);
    deleteLater();
    if (was_canceled) {
        open_failed(tr("Load cancelled."));
        return;
    }
    eobs_acc_loader& acc = *result->acc;
    eobs_gps_loader& gps = *result->gps;
    // A file that could not be read at all is named with its reason, GPS first as it was loaded first.
    if (gps.status == ELS_READ_FAILED || acc.status == ELS_READ_FAILED) {
        open_failed(gps.status == ELS_READ_FAILED ? gps.reason : acc.reason);
        return;
    }
    if (acc.status != ELS_SUCCESS || gps.status != ELS_SUCCESS || !acc.space || !gps.space) {
        open_failed(tr("!ELS_SUCCESS"));
        return;
    }
    if (!acc.more_animals.empty() || gps.animal_count > 1) {
        open_failed(tr("The file holds several animals; open it with the acceleration file button to "
                       "choose among them."));
        return;
    }

    sink.add_pair(std::move(acc.space), std::move(gps.space), acc_file_name, gps_file_name);
}
