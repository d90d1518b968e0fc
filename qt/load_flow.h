#pragma once

#include <QString>

class QObject;
class QProgressDialog;
class QWidget;
class progress_loader_base;

// Steps the two open flows share.
class load_flow
{
public:
    // Asks for a file to open, starting in the home directory; empty when cancelled.
    static QString ask_for_file(QWidget* parent, const QString& caption);

    // The "Open failed" warning with one line of reason.
    static void open_failed(QWidget* parent, const QString& reason);

    // Starts runnable on the global pool and runs the modal "Loading" dialog (busy bar, no automatic
    // reset) until the runnable reports finished() or the user cancels. Cancel goes to coordinator's
    // cancel() slot; the result signal to its result slot, queued. The coordinator may be released
    // while this runs, so callers must not use it afterwards.
    static void run_with_progress(progress_loader_base* runnable, QObject* coordinator,
                                  const char* result_signal, const char* result_slot, QWidget* dialog_parent);
};
