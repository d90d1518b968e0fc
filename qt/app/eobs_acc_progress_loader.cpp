#include "app/eobs_acc_progress_loader.h"

#include "app/animal_chooser_dialog.h"
#include "app/data_set_sink.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_acc_gps_loader.h"
#include "data/formats/eobs_file_kind.h"
#include "data/load/progress_loader_eobs_acc.h"
#include "data/load/zip_package.h"

eobs_acc_progress_loader::eobs_acc_progress_loader(data_set_sink& sink)
    : progress_coordinator(sink, "progress_loader_eobs_acc")
{
}

void eobs_acc_progress_loader::load(const QString& path)
{
    // From a package of several files, its acceleration file; else the first, as from any archive.
    const zip_package package(path);
    acc_file_name = package.several() && !package.acc.isEmpty() ? package.acc : path;
    auto* runnable = new progress_loader_eobs_acc(acc_file_name, cancel_requested);
    connect(runnable, &progress_loader_eobs_acc::finished_with_result, this,
            &eobs_acc_progress_loader::finished_loading, Qt::QueuedConnection);
    run_with_progress(runnable, nullptr);
}

void eobs_acc_progress_loader::finished_loading(eobs_acc_result* result_ptr, bool was_canceled)
{
    std::unique_ptr<eobs_acc_result> result(result_ptr);
    deleteLater();
    if (was_canceled) {
        load_cancelled(quoted(acc_file_name));
        return;
    }
    eobs_acc_loader& acc = *result->acc;
    if (acc.status == ELS_READ_FAILED) {
        open_failed(
            chain_failure("acceleration", acc_file_name, true, acc.reason, tr("it again"), QString()));
        return;
    }
    const QString file = quoted(acc_file_name);
    if (acc.status != ELS_SUCCESS || !acc.space) {
        if (eobs_file_kind::reads_as(acc_file_name, eobs_file_kind::gps))
            open_failed(tr("%1 is a GPS export, not an acceleration export.\nOpen it with \"Open E-OBS "
                           "Acceleration and GPS Files\", which finds its acceleration file by name.")
                            .arg(file));
        else
            open_failed(tr("File format not recognized: %1 is not an E-OBS acceleration export.\nChoose an "
                           "acceleration export (.csv or .txt) as it came from the tag's download.")
                            .arg(file));
        return;
    }
    if (acc.more_animals.empty()) {
        sink.add_acc_data_set(std::move(acc.space), acc_file_name, QString());
        return;
    }
    open_chosen_animals(acc);
}

void eobs_acc_progress_loader::open_chosen_animals(eobs_acc_loader& acc)
{
    std::vector<animal_bursts> animals;
    animals.push_back({acc.first_animal, std::move(acc.space)});
    for (animal_bursts& more : acc.more_animals)
        animals.push_back(std::move(more));
    std::vector<animal_chooser_dialog::animal> rows;
    for (const animal_bursts& a : animals)
        rows.push_back({a.id, a.space->entry_count(), a.space->begin_timestamp(), a.space->end_timestamp()});
    animal_chooser_dialog dialog(rows, acc_file_name, sink.dialog_parent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (const int i : dialog.chosen()) {
        animal_bursts& a = animals[static_cast<std::size_t>(i)];
        sink.add_acc_data_set(std::move(a.space), acc_file_name, a.id);
    }
}
