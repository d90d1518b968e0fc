#pragma once

#include "data/labels/labels_file.h"

#include <QObject>

#include <memory>

// The labels of one data file, shared by the windows of its animals: read when the first of them
// opens, written after each change. Writing stops (the labels stay in memory) while the file read
// could not be written over without loss and the user has not agreed, or once writing failed.
class label_document : public QObject
{
    Q_OBJECT

public:
    // What became of a change on disk.
    enum class stored {
        written,   // in the file
        refused,   // the file read holds what the labels shown do not: ask before writing over it
        failed,    // the write failed just now (message())
        in_memory, // kept in memory, as said before
    };

    // The document of the labels file beside data_path (labels_file::path_for); one per file while
    // any window holds it.
    static std::shared_ptr<label_document> open(const QString& data_path);
    explicit label_document(const QString& path);

    QString path() const { return path_; }
    const label_segments& segments() const { return segments_; }
    // How the file read: warnings, failure, the labels it names.
    const labels_file::result& opened() const { return opened_; }
    // The failure of the last write, empty when it went well.
    QString message() const { return message_; }
    bool only_in_memory() const { return dirty_; }

    label_edit set_range(const QString& animal, qint64 start_ms, qint64 end_ms, const QString& label);
    void apply(const label_edit& edit);
    void revert(const label_edit& edit);

    // Writes the labels to their file unless writing stopped; changed() has followed by then.
    stored store();
    // Agrees to write over the file read, and writes; the outcome as for store.
    stored overwrite();
    // Writes every segment to path and goes on writing there; the message on failure.
    QString save_as(const QString& path);
    // Stops writing until save_as, without asking again.
    void keep_in_memory() { refused_ = false, failed_ = true; }

signals:
    // The segments of animal changed.
    void changed(const QString& animal);

private:
    stored write();

    QString path_;
    label_segments segments_;
    labels_file::result opened_;
    QString message_;
    bool refused_ = false; // the file read would lose lines
    bool failed_ = false;  // a write failed; in memory until save_as
    bool dirty_ = false;   // changes not in any file
};
