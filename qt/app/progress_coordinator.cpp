#include "app/progress_coordinator.h"

#include "app/burst_main_window.h"
#include "data/burst_space.h"
#include "app/dornvalemainwindow.h"
#include "data/progress_loader_base.h"

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTreeWidgetItem>

#include <iostream>

progress_coordinator::progress_coordinator(dornvalemainwindow* parent_widget, const char* runnable_name)
    : parent_widget(parent_widget), cancel_requested(std::make_shared<std::atomic_bool>(false)),
      runnable_name_(runnable_name)
{
}

void progress_coordinator::cancel()
{
    qDebug().nospace() << runnable_name_ << "::cancel ";
    cancel_requested->store(true);
}

QString progress_coordinator::choose_existing_file()
{
    const QString home =
        QStandardPaths::locate(QStandardPaths::HomeLocation, QString(), QStandardPaths::LocateDirectory);
    const QString path = QFileDialog::getOpenFileName(parent_widget, tr("Open Acceleration Data File"), home);
    std::cout << "filename: " << path.toStdString() << std::endl;
    if (path.isEmpty()) {
        deleteLater();
        return QString();
    }
    if (!QFileInfo::exists(path)) {
        open_failed(tr("File does not exist."));
        deleteLater();
        return QString();
    }
    return path;
}

void progress_coordinator::open_failed(const QString& reason)
{
    QMessageBox::warning(parent_widget, tr("Open failed"), reason, QMessageBox::Ok, QMessageBox::NoButton);
}

void progress_coordinator::run_with_progress(progress_loader_base* runnable, const char* result_signal,
                                             const char* result_slot, QWidget* dialog_parent)
{
    QProgressDialog dialog(dialog_parent);
    dialog.setWindowTitle(tr("Loading"));
    dialog.setModal(true);
    dialog.setAutoReset(false);
    dialog.setRange(0, 0);
    dialog.setValue(0);
    connect(runnable, SIGNAL(finished()), &dialog, SLOT(reset()), Qt::QueuedConnection);
    connect(&dialog, SIGNAL(canceled()), this, SLOT(cancel()));
    connect(runnable, SIGNAL(text_changed(QString)), &dialog, SLOT(setLabelText(QString)),
            Qt::QueuedConnection);
    connect(runnable, result_signal, this, result_slot, Qt::QueuedConnection);
    QThreadPool::globalInstance()->start(runnable, 0);
    dialog.exec();
}

std::unique_ptr<burst_main_window> progress_coordinator::open_window(burst_space* space,
                                                                     events_by_bursts_i* events,
                                                                     const QString& acc_file_name)
{
    auto window = std::make_unique<burst_main_window>(space, events, acc_file_name, nullptr);
    window->show();
    connect(window.get(), SIGNAL(window_closed(burst_main_window*)), parent_widget,
            SLOT(window_closed(burst_main_window*)));
    return window;
}

QTreeWidgetItem* progress_coordinator::acc_row(const burst_space& space, const QString& acc_file_name)
{
    return new QTreeWidgetItem(QStringList{
        QString("%1 acc bursts in %2").arg(space.entry_count()).arg(QFileInfo(acc_file_name).fileName())});
}
