#pragma once

#include <QString>

// What a file reader needs from the background task that runs it. All are called on the
// worker thread; implementations forward set_value and set_text to the GUI thread and keep the
// cancellation flag safe to read while the GUI thread sets it.
class loader_progress
{
public:
    virtual ~loader_progress();

    // True once the user has asked to cancel the load; readers poll it once per line.
    virtual bool loader_progress_cancelled() = 0;
    // Progress count; acceleration readers pass the number of bursts appended before the new one.
    virtual void loader_progress_set_value(qint32 value) = 0;
    // Status text; called by the loader chains only.
    virtual void loader_progress_set_text(const QString& text) = 0;
    // The file a loader chain starts on, just before its status text; ignored unless overridden.
    virtual void loader_progress_set_file(const QString& file_name);
    // Bytes of the file read so far, once per chunk after the header was accepted and once at the
    // end; size is the file's size (0 when unknown). Ignored unless overridden.
    virtual void loader_progress_bytes(qint64 read, qint64 size);
};
