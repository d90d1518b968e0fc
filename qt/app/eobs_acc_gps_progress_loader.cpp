#include "app/eobs_acc_gps_progress_loader.h"

#include "app/animal_chooser_dialog.h"
#include "app/data_set_sink.h"
#include "data/model/animal_pairing.h"
#include "data/model/burst_space.h"
#include "data/io/byte_source.h"
#include "data/load/eobs_acc_gps_loader.h"
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "data/formats/named_rows.h"
#include "data/model/event_space.h"
#include "data/model/geo_box.h"
#include "data/io/loader_read_failed.h"
#include "data/load/progress_loader_eobs_acc_gps.h"
#include "data/io/trace.h"
#include "data/io/zip_entry_path.h"
#include "data/load/zip_package.h"

eobs_acc_gps_progress_loader::eobs_acc_gps_progress_loader(data_set_sink& sink)
    : progress_coordinator(sink, "progress_loader_eobs_acc_gps")
{
}

void eobs_acc_gps_progress_loader::load(const QString& path)
{
    const zip_package package(path);
    if (package.several()) {
        if (package.acc.isEmpty() || package.gps.isEmpty()) {
            open_failed(tr("%1 holds %2 files, but no acceleration and GPS pair among them.\nA package pairs "
                           "files named like \"name-acc.csv\" and \"name-gps.csv\", or an acceleration "
                           "export and a GPS export.")
                            .arg(quoted(path))
                            .arg(package.entries.size()));
            deleteLater();
            return;
        }
        load_pair(package.acc, package.gps);
        return;
    }
    if (package.archive && package.entries.isEmpty()) {
        // A damaged archive, or one without data files: reading it tells which.
        try {
            const byte_source probe(path);
        } catch (const loader_read_failed& failure) {
            open_failed(tr("The archive %1 could not be read: %2\nCheck that the download is complete, then "
                           "open it again.")
                            .arg(quoted(path), failure.reason()));
            deleteLater();
            return;
        }
    }
    const eobs_guess_acc_gps_filenames names(path);
    acc_file_name = names.acc_filename;
    gps_file_name = names.gps_filename;
    // A download with both sensors' rows pairs with itself when it has no partner file.
    const bool self_pair = (acc_file_name.isEmpty() || !zip_entry_path::exists(acc_file_name) ||
                            !zip_entry_path::exists(gps_file_name)) &&
                           named_rows::names_both_sensors(path);
    if (self_pair) {
        acc_file_name = path;
        gps_file_name = path;
    }
    if (!self_pair && acc_file_name.isEmpty()) {
        open_failed(
            tr("%1 is not named as one file of an acceleration and GPS pair.\nPair files are named "
               "like \"name_acc.txt\" and \"name_gps.txt\", or \"name-acc.csv\" and \"name-gps.csv\"; "
               "rename them so, or open the file alone with \"Open E-OBS Acceleration File\".")
                .arg(quoted(path)));
        deleteLater();
        return;
    }
    // A capitalised name ("UP_ACC.TXT") matches a pattern but keeps its text: no partner to load.
    if (!self_pair && acc_file_name == gps_file_name) {
        open_failed(tr("%1 has no partner file: its acceleration and GPS names would be the same. "
                       "Pairs are named \"..._acc.txt\" and \"..._gps.txt\" or \"...acc.csv\" and "
                       "\"...gps.csv\".")
                        .arg(quoted(path)));
        deleteLater();
        return;
    }
    const bool chose_acc = path == acc_file_name;
    const QString partner = chose_acc ? gps_file_name : acc_file_name;
    if (!self_pair && !zip_entry_path::exists(partner)) {
        open_failed((chose_acc ? tr("The GPS file %1 that pairs with %2 does not exist.\nPut it in the same "
                                    "folder under this name, or open %2 alone with \"Open E-OBS "
                                    "Acceleration File\".")
                               : tr("The acceleration file %1 that pairs with %2 does not exist.\nPut it in "
                                    "the same folder under this name, then open the pair again."))
                        .arg(quoted(partner), quoted(path)));
        deleteLater();
        return;
    }
    load_pair(acc_file_name, gps_file_name);
}

void eobs_acc_gps_progress_loader::load_pair(const QString& acc, const QString& gps)
{
    acc_file_name = acc;
    gps_file_name = gps;
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
        load_cancelled(tr("The pair %1 and %2").arg(quoted(acc_file_name), quoted(gps_file_name)));
        return;
    }
    eobs_acc_loader& acc = *result->acc;
    eobs_gps_loader& gps = *result->gps;
    // The GPS file is named first, as it was loaded first.
    if (gps.status != ELS_SUCCESS || !gps.space) {
        open_failed(chain_failure("GPS", gps_file_name, gps.status == ELS_READ_FAILED, gps.reason,
                                  tr("the pair again"),
                                  tr("Check that the pair's GPS file is the GPS export of the same tag.")));
        return;
    }
    if (acc.status != ELS_SUCCESS || !acc.space) {
        open_failed(chain_failure("acceleration", acc_file_name, acc.status == ELS_READ_FAILED, acc.reason,
                                  tr("the pair again"),
                                  tr("Check that the pair's acceleration file is the acceleration export of "
                                     "the same tag.")));
        return;
    }
    animal_pairing animals(acc.take_animals(), gps.take_animals());
    if (animals.acc_animal_count() > 1) {
        open_chosen_animals(animals);
        return;
    }
    animal_pairing::animal& only = animals.animals().front();
    if (!only.events) {
        const QString which =
            only.id.isEmpty()
                ? tr("%1 holds the fixes of %2 animals, and %3 names no animal to choose them by.")
                      .arg(quoted(gps_file_name))
                      .arg(animals.gps_animal_count())
                      .arg(quoted(acc_file_name))
                : tr("%1 holds the fixes of %2 animals, none of them %3, the animal of %4.")
                      .arg(quoted(gps_file_name))
                      .arg(animals.gps_animal_count())
                      .arg(only.id, quoted(acc_file_name));
        open_failed(which +
                    tr("\nOpen it with a GPS file of that one animal, or open %1 alone with \"Open E-OBS "
                       "Acceleration File\".")
                        .arg(quoted(acc_file_name)));
        return;
    }
    sink.add_pair(std::move(only.bursts), std::move(only.events), acc_file_name, gps_file_name,
                  animals.gps_animal_count() > 1 ? only.id : QString());
}

void eobs_acc_gps_progress_loader::open_chosen_animals(animal_pairing& animals)
{
    std::vector<animal_chooser_dialog::animal> rows;
    for (const animal_pairing::animal& a : animals.animals()) {
        const std::pair<qint64, qint64> range = a.time_range();
        rows.push_back(
            {a.id, a.bursts ? a.bursts->entry_count() : 0, range.first, range.second, a.fix_count()});
    }
    animal_chooser_dialog dialog(rows, acc_file_name, sink.dialog_parent(), gps_file_name);
    if (dialog.exec() != QDialog::Accepted)
        return;
    geo_box opened{1, 1, 0, 0};
    for (const int i : dialog.chosen()) {
        animal_pairing::animal& a = animals.animals()[static_cast<std::size_t>(i)];
        if (a.fix_count() > 0) {
            opened = opened.joined(a.events->bounds());
            sink.add_pair(std::move(a.bursts), std::move(a.events), acc_file_name, gps_file_name, a.id);
        } else {
            sink.add_acc_data_set(std::move(a.bursts), acc_file_name, a.id);
        }
    }
    // Each track framed itself; the map ends framed on all of them.
    if (!opened.empty())
        sink.frame_map(opened);
}
