#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QTreeWidgetItem;
class burst_main_window;
class burst_space;
class dornvalemainwindow;
class events_by_bursts_i;
class progress_loader_base;

// What the two open flows share on the GUI thread: choosing the file, the "Open failed" warnings, the
// modal progress dialog around the pool runnable, the cancel flag, the burst window and the
// acceleration row of the "Open Files" tree. A coordinator deletes itself when its flow ends.
class progress_coordinator : public QObject
{
    Q_OBJECT

public:
    dornvalemainwindow* const parent_widget;

public slots:
    // Reached from the progress dialog's Cancel; sets the flag shared with the runnable and never
    // touches the runnable itself, which the pool may be deleting.
    void cancel();

protected:
    // runnable_name prefixes the cancel debug line.
    progress_coordinator(dornvalemainwindow* parent_widget, const char* runnable_name);

    // Asks for a file (home directory, "Open Acceleration Data File"), logs "filename: " and checks
    // that it exists. Empty when cancelled or missing; the flow has then ended.
    QString choose_existing_file();

    // Shows "Open failed" with one line of reason.
    void open_failed(const QString& reason);

    // Runs runnable on the global pool behind the modal "Loading" dialog until it reports finished()
    // or the user cancels; its result signal reaches result_slot queued. This object may be released
    // while the dialog runs, so callers must not use it afterwards.
    void run_with_progress(progress_loader_base* runnable, const char* result_signal, const char* result_slot,
                           QWidget* dialog_parent);

    // The burst window of a loaded data set, shown and reporting its close to the main window.
    std::unique_ptr<burst_main_window> open_window(burst_space* space, events_by_bursts_i* events,
                                                   const QString& acc_file_name);

    // The "%1 acc bursts in %2" tree row.
    static QTreeWidgetItem* acc_row(const burst_space& space, const QString& acc_file_name);

    const std::shared_ptr<std::atomic_bool> cancel_requested;

private:
    const char* runnable_name_;
};
