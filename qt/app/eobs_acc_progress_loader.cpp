#include "app/eobs_acc_progress_loader.h"

#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "data/burst_space.h"
#include "app/dornvalemainwindow.h"
#include "data/eobs_acc_gps_loader.h"
#include "data/events_by_bursts_empty.h"
#include "data/progress_loader_eobs_acc.h"

#include <QTreeWidget>

eobs_acc_progress_loader::eobs_acc_progress_loader(dornvalemainwindow* parent_widget)
    : progress_coordinator(parent_widget, "progress_loader_eobs_acc")
{
}

void eobs_acc_progress_loader::start_loading()
{
    const QString path = choose_existing_file();
    if (path.isEmpty())
        return;
    acc_file_name = path;
    run_with_progress(new progress_loader_eobs_acc(path, cancel_requested),
                      SIGNAL(finished_with_result(eobs_acc_result*, bool)),
                      SLOT(finished_loading(eobs_acc_result*, bool)), nullptr);
}

void eobs_acc_progress_loader::finished_loading(eobs_acc_result* result_ptr, bool was_canceled)
{
    std::unique_ptr<eobs_acc_result> result(result_ptr);
    deleteLater();
    if (was_canceled) {
        open_failed(tr("Load cancelled."));
        return;
    }
    eobs_acc_loader& acc = *result->acc;
    if (acc.status == ELS_READ_FAILED) {
        open_failed(acc.reason);
        return;
    }
    if (acc.status != ELS_SUCCESS) {
        open_failed(tr("File format not recognized."));
        return;
    }
    if (!acc.space) {
        open_failed(tr("Can't load file. Is it an E-OBS Accleration File?"));
        return;
    }

    std::unique_ptr<burst_space> space = std::move(acc.space);
    auto events = std::make_unique<events_by_bursts_empty>();
    std::unique_ptr<burst_main_window> window = open_window(space.get(), events.get(), acc_file_name);

    auto item = std::make_unique<QTreeWidgetItem>(QStringList{"e-obs acc"});
    item->addChild(acc_row(*space, acc_file_name));
    parent_widget->open_files_tree()->addTopLevelItem(item.get());
    item->setExpanded(true);

    parent_widget->state()->add_acc_gang(std::move(space), std::move(events), std::move(window),
                                         std::move(item));
    parent_widget->reveal_open_files();
}
