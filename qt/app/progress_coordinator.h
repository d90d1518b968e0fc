#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QWidget;
class data_set_sink;
class progress_loader_base;

// What the open flows share on the GUI thread: choosing the file, the "Open failed" warnings, the
// modal progress dialog around the pool runnable and the cancel flag. The loaded data set goes to the
// sink. A coordinator deletes itself when its flow ends.
class progress_coordinator : public QObject
{
    Q_OBJECT

public:
    data_set_sink& sink;

    // The file dialog's filters, the first one selected.
    static const char* const file_filters;

    // The "Open failed" warning with the reason as plain text.
    static void warn(QWidget* parent, const QString& reason);

    // A file name as the messages show it: in quotes, with the system's separators.
    static QString quoted(const QString& path);

    // The "Open failed" text for a loader chain that did not load file: a read failure with its
    // reason, or a file in none of the layouts of kind ("GPS", "acceleration") followed by advice.
    // again says what to open again after a read failure.
    static QString chain_failure(const QString& kind, const QString& file, bool read_failed,
                                 const QString& reason, const QString& again, const QString& advice);

    // Opens the given file as the file dialog's choice would be.
    void start_from(const QString& path);

public slots:
    // Asks for the file, then loads it.
    void start_loading();

    // Reached from the progress dialog's Cancel; sets the flag shared with the runnable and never
    // touches the runnable itself, which the pool may be deleting.
    void cancel();

protected:
    // runnable_name prefixes the cancel debug line.
    progress_coordinator(data_set_sink& sink, const char* runnable_name);

    // Loads an existing file; the flow ends (the coordinator deletes itself) on every path.
    virtual void load(const QString& path) = 0;

    // Asks for a file ("Open Acceleration Data File", starting in the folder used last, else the home
    // directory), logs "filename: " and checks that it exists. Empty when cancelled or missing; the
    // flow has then ended.
    QString choose_existing_file();

    // The given path when it exists; otherwise warns naming it, ends the flow and returns empty.
    QString existing_file(const QString& path);

    // Shows "Open failed" over the sink's window.
    void open_failed(const QString& reason);

    // "Load cancelled." naming what was not opened (already quoted).
    void load_cancelled(const QString& what);

    // Runs runnable on the global pool behind the modal "Loading" dialog until it reports finished()
    // or the user cancels; callers connect its result signal (queued) beforehand. The dialog shows
    // the runnable's text and, once reported, the percentage of the file read. This object may be
    // released while the dialog runs, so callers must not use it afterwards.
    void run_with_progress(progress_loader_base* runnable, QWidget* dialog_parent);

    const std::shared_ptr<std::atomic_bool> cancel_requested;

private:
    const char* runnable_name_;
};
