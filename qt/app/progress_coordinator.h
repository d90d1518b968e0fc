#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QWidget;
class data_set_sink;
class progress_loader_base;

// What the two open flows share on the GUI thread: choosing the file, the "Open failed" warnings, the
// modal progress dialog around the pool runnable and the cancel flag. The loaded data set goes to the
// sink. A coordinator deletes itself when its flow ends.
class progress_coordinator : public QObject
{
    Q_OBJECT

public:
    data_set_sink& sink;

public slots:
    // Reached from the progress dialog's Cancel; sets the flag shared with the runnable and never
    // touches the runnable itself, which the pool may be deleting.
    void cancel();

protected:
    // runnable_name prefixes the cancel debug line.
    progress_coordinator(data_set_sink& sink, const char* runnable_name);

    // Asks for a file (home directory, "Open Acceleration Data File"), logs "filename: " and checks
    // that it exists. Empty when cancelled or missing; the flow has then ended.
    QString choose_existing_file();

    // Shows "Open failed" with one line of reason.
    void open_failed(const QString& reason);

    // Runs runnable on the global pool behind the modal "Loading" dialog until it reports finished()
    // or the user cancels; callers connect its result signal (queued) beforehand. This object may be
    // released while the dialog runs, so callers must not use it afterwards.
    void run_with_progress(progress_loader_base* runnable, QWidget* dialog_parent);

    const std::shared_ptr<std::atomic_bool> cancel_requested;

private:
    const char* runnable_name_;
};
