#include "app/eobs_acc_gps_progress_loader.h"

#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "data/burst_space.h"
#include "app/dornvalemainwindow.h"
#include "data/eobs_acc_gps_loader.h"
#include "data/eobs_guess_acc_gps_filenames.h"
#include "data/event_space.h"
#include "map/event_space_layer.h"
#include "data/events_by_bursts.h"
#include "map/layer_ref.h"
#include "map/map_form.h"
#include "data/progress_loader_eobs_acc_gps.h"

#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>

#include <iostream>

eobs_acc_gps_progress_loader::eobs_acc_gps_progress_loader(dornvalemainwindow* parent_widget)
    : progress_coordinator(parent_widget, "progress_loader_eobs_acc_gps")
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
    // A capitalised name ("UP_ACC.TXT") matches a pattern but keeps its text: no partner to load.
    if (!acc_file_name.isEmpty() && acc_file_name == gps_file_name) {
        open_failed(tr("\"%1\" has no partner file: its acceleration and GPS names would be the same. "
                       "Pairs are named \"..._acc.txt\" and \"..._gps.txt\" or \"...acc.csv\" and "
                       "\"...gps.csv\".")
                        .arg(QDir::toNativeSeparators(path)));
        deleteLater();
        return;
    }
    // A name that matches no pairing pattern gives two empty names, which do not exist either.
    if (!QFileInfo::exists(acc_file_name) || !QFileInfo::exists(gps_file_name)) {
        open_failed(tr("File does not exist."));
        deleteLater();
        return;
    }
    run_with_progress(new progress_loader_eobs_acc_gps(acc_file_name, gps_file_name, cancel_requested),
                      SIGNAL(finished_with_result(eobs_acc_gps_result*, bool)),
                      SLOT(finished_loading(eobs_acc_gps_result*, bool)), parent_widget);
}

void eobs_acc_gps_progress_loader::finished_loading(eobs_acc_gps_result* result_ptr, bool was_canceled)
{
    std::cerr << "load_eobs_acc_and_gps_finished" << std::endl;
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

    std::unique_ptr<event_space> events = std::move(gps.space);
    std::unique_ptr<burst_space> bursts = std::move(acc.space);
    auto association = std::make_unique<events_by_bursts>(*events, *bursts);
    std::unique_ptr<burst_main_window> window = open_window(bursts.get(), association.get(), acc_file_name);

    map_form* map = parent_widget->get_map_form();
    std::unique_ptr<layer_ref> track = map->map.add_layer(new event_space_layer(events.get()));
    map->show();
    map->map.fit_to_box(events->bounds());
    map->map.update();

    auto item = std::make_unique<QTreeWidgetItem>(QStringList{"e-obs acc+gps"});
    item->addChild(new QTreeWidgetItem(QStringList{QString("%1 gps events in %2")
                                                       .arg(events->events().size())
                                                       .arg(QFileInfo(gps_file_name).fileName())}));
    item->addChild(acc_row(*bursts, acc_file_name));
    parent_widget->open_files_tree()->addTopLevelItem(item.get());
    item->setExpanded(true);

    parent_widget->state()->add_acc_gps_gang(std::move(bursts), std::move(events), std::move(association),
                                             std::move(window), std::move(track), std::move(item));
    parent_widget->reveal_open_files();
}
