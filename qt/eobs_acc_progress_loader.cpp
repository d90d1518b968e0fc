#include "eobs_acc_progress_loader.h"

#include "app_state.h"
#include "burst_main_window.h"
#include "burst_space.h"
#include "dornvalemainwindow.h"
#include "eobs_acc_gps_loader.h"
#include "events_by_bursts_empty.h"
#include "load_flow.h"
#include "progress_loader_eobs_acc.h"

#include <QDebug>
#include <QFileInfo>
#include <QTreeWidget>

#include <iostream>

eobs_acc_progress_loader::eobs_acc_progress_loader(dornvalemainwindow* parent_widget)
    : parent_widget(parent_widget), cancel_requested(std::make_shared<std::atomic_bool>(false))
{
}

void eobs_acc_progress_loader::start_loading()
{
    const QString path = load_flow::ask_for_file(parent_widget, tr("Open Acceleration Data File"));
    std::cout << "filename: " << path.toStdString() << std::endl;
    if (path.isEmpty()) {
        deleteLater();
        return;
    }
    if (!QFileInfo::exists(path)) {
        load_flow::open_failed(parent_widget, tr("File does not exist."));
        deleteLater();
        return;
    }
    acc_file_name = path;

    // The result may be presented, and this object released, inside the dialog's loop.
    load_flow::run_with_progress(new progress_loader_eobs_acc(path, cancel_requested), this,
                                 SIGNAL(finished_with_result(eobs_acc_result*, bool)),
                                 SLOT(finished_loading(eobs_acc_result*, bool)), nullptr);
}

void eobs_acc_progress_loader::cancel()
{
    qDebug() << "progress_loader_eobs_acc::cancel ";
    cancel_requested->store(true);
}

void eobs_acc_progress_loader::finished_loading(eobs_acc_result* result_ptr, bool was_canceled)
{
    std::unique_ptr<eobs_acc_result> result(result_ptr);
    deleteLater();
    if (was_canceled) {
        load_flow::open_failed(parent_widget, tr("Load cancelled."));
        return;
    }
    eobs_acc_loader& acc = *result->acc;
    if (acc.status == ELS_READ_FAILED) {
        load_flow::open_failed(parent_widget, acc.reason);
        return;
    }
    if (acc.status != ELS_SUCCESS) {
        load_flow::open_failed(parent_widget, tr("File format not recognized."));
        return;
    }
    if (!acc.space) {
        load_flow::open_failed(parent_widget, tr("Can't load file. Is it an E-OBS Accleration File?"));
        return;
    }

    std::unique_ptr<burst_space> space = std::move(acc.space);
    auto events = std::make_unique<events_by_bursts_empty>();
    auto window = std::make_unique<burst_main_window>(space.get(), events.get(), acc_file_name, nullptr);
    window->show();
    connect(window.get(), SIGNAL(window_closed(burst_main_window*)), parent_widget,
            SLOT(window_closed(burst_main_window*)));

    auto item = std::make_unique<QTreeWidgetItem>(QStringList{"e-obs acc"});
    item->addChild(new QTreeWidgetItem(QStringList{
        QString("%1 acc bursts in %2").arg(space->entry_count()).arg(QFileInfo(acc_file_name).fileName())}));
    parent_widget->open_files_tree()->addTopLevelItem(item.get());
    item->setExpanded(true);

    parent_widget->state()->add_acc_gang(std::move(space), std::move(events), std::move(window),
                                         std::move(item));
    parent_widget->reveal_open_files();
}
