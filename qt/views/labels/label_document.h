#pragma once

#include "data/labels/label_merge.h"
#include "data/labels/labels_file.h"

#include <QHash>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The labels of one data file, shared by the windows of its animals: read when the first of them
// opens, written after each change on a thread of its own (in order; a later change overtakes one
// not yet begun), so that labelling answers without waiting for the disk. Writing stops (the labels
// stay in memory) while the file read could not be written over without loss and the user has not
// agreed, or once a write failed. A file changed on disk since it was read (another program, or a
// window that opened it otherwise) is never written over: its changes are merged with these, and
// where both changed the same time the one who asked chooses.
class label_document : public QObject
{
    Q_OBJECT

public:
    // What became of a change on disk.
    enum class stored {
        written,   // on its way to the file; write_failed follows if it fails
        refused,   // the file read holds what the labels shown do not: ask before writing over it
        in_memory, // kept in memory, as said before
    };

    // The document of the labels file beside data_path (labels_file::path_for); one per file, by its
    // resolved path, while any window holds it.
    static std::shared_ptr<label_document> open(const QString& data_path);
    // Every document some window holds.
    static std::vector<std::shared_ptr<label_document>> all_open();
    explicit label_document(const QString& path);
    // Waits for the last write.
    ~label_document() override;

    QString path() const { return path_; }
    const label_segments& segments() const { return segments_; }
    // How the file read: warnings, failure, the labels it names.
    const labels_file::result& opened() const { return opened_; }
    // The failure of the last write, empty when it went well.
    QString message() const { return message_; }
    // Who asked for the write that failed.
    const QObject* failed_for() const { return failed_for_; }
    bool only_in_memory() const { return dirty_; }

    label_edit set_range(const QString& animal, qint64 start_ms, qint64 end_ms, const QString& label,
                         const QString& note = QString());
    void apply(const label_edit& edit);
    void revert(const label_edit& edit);

    // How many segments, of every animal, carry label.
    std::size_t labelled(const QString& label) const;
    // Gives every segment labelled with a key of names the name it maps to; relabelled() follows.
    void rename_labels(const QHash<QString, QString>& names);

    // Writes the labels to their file unless writing stopped; a failure goes to write_failed with
    // asker, who then tells the user.
    stored store(const QObject* asker);
    // Agrees to write over the file read, and writes.
    void overwrite(const QObject* asker);
    // Waits until every write begun has ended.
    void flush();
    // Writes every segment to path and goes on writing there; the message on failure.
    QString save_as(const QString& path);
    // Stops writing until save_as, without asking again.
    void keep_in_memory() { refused_ = false, failed_ = true, conflict_.reset(); }

    // Of the file changed on disk: how many changes of ours share time with its changes, and which
    // side keeps that time when the merge is written.
    int conflicts() const { return conflict_ ? conflict_->merge.conflicts() : 0; }
    void resolve(bool ours_win, const QObject* asker);

signals:
    // The segments of animal changed.
    void changed(const QString& animal);
    // A write failed (message()); the labels stay in memory. The one who asked for it tells the user.
    void write_failed();
    // The file changed on disk and both sides changed the same time (conflicts()): asker asks the
    // user and calls resolve, save_as or keep_in_memory.
    void conflicted(const QObject* asker);
    // The file changed on disk and its changes (a count of stretches of time) were taken in. The
    // segments changed under every undo step, which each window drops.
    void merged_from_disk(const QObject* asker, int changes);
    // Labels of the set were renamed in the segments (after changed()): every undo step is made on
    // names no longer there, and the labels are to be stored.
    void relabelled();

private:
    void write(const QObject* asker);
    void changed_on_disk(const QObject* asker);
    // Takes segments as the labels shown and theirs as what the file holds, and writes.
    void adopt(const label_segments& segments, const labels_file::result& theirs, const QObject* asker);

    // What the file holds, as last read or written; the writer thread checks and sets it.
    struct disk_state
    {
        std::mutex mutex;
        file_stamp stamp;
    };
    struct conflict
    {
        labels_file::result theirs;
        label_merge merge;
    };

    QString path_;
    label_segments segments_;
    label_segments base_; // what the file holds, as last read or written
    std::shared_ptr<disk_state> disk_ = std::make_shared<disk_state>();
    std::optional<conflict> conflict_;
    labels_file::result opened_;
    QString message_;
    const QObject* failed_for_ = nullptr;
    bool refused_ = false; // the file read would lose lines
    bool failed_ = false;  // a write failed; in memory until save_as
    bool dirty_ = false;   // changes not in any file
    QThreadPool writer_;   // one thread: writes end in the order begun
    std::shared_ptr<std::atomic<qint64>> latest_ = std::make_shared<std::atomic<qint64>>(0);
};
