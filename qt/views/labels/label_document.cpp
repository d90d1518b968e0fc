#include "views/labels/label_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <utility>

namespace {

// The file a path names, links and ".." resolved (of its folder while it does not exist): one
// document per file, however a window reached it.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// The documents by resolved path, while any window holds them.
QHash<QString, std::weak_ptr<label_document>>& open_documents()
{
    static QHash<QString, std::weak_ptr<label_document>> documents;
    return documents;
}

} // namespace

std::vector<std::shared_ptr<label_document>> label_document::all_open()
{
    std::vector<std::shared_ptr<label_document>> out;
    for (const std::weak_ptr<label_document>& d : open_documents())
        if (std::shared_ptr<label_document> held = d.lock())
            out.push_back(std::move(held));
    return out;
}

std::shared_ptr<label_document> label_document::open(const QString& data_path)
{
    QHash<QString, std::weak_ptr<label_document>>& open_documents = ::open_documents();
    const QString path = labels_file::path_for(data_path);
    const QString key = resolved(path);
    if (std::shared_ptr<label_document> known = open_documents.value(key).lock())
        return known;
    auto document = std::make_shared<label_document>(path);
    open_documents.insert(key, document);
    return document;
}

label_document::label_document(const QString& path) : path_(path), opened_(labels_file::read(path))
{
    segments_ = base_ = opened_.segments;
    disk_->stamp = opened_.stamp;
    refused_ = opened_.rewrite_loses_data();
    writer_.setMaxThreadCount(1);
}

label_document::~label_document()
{
    writer_.waitForDone();
}

void label_document::flush()
{
    writer_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

label_edit label_document::set_range(const QString& animal, qint64 start_ms, qint64 end_ms, const QString& label,
                                     const QString& note)
{
    label_edit edit = segments_.set_range(animal, start_ms, end_ms, label, note);
    if (!edit.changes_nothing()) {
        dirty_ = true;
        emit changed(animal);
    }
    return edit;
}

void label_document::apply(const label_edit& edit)
{
    segments_.apply(edit);
    dirty_ = true;
    emit changed(edit.animal);
}

void label_document::revert(const label_edit& edit)
{
    segments_.revert(edit);
    dirty_ = true;
    emit changed(edit.animal);
}

std::size_t label_document::labelled(const QString& label) const
{
    const std::vector<label_segment> all = segments_.all();
    return std::size_t(
        std::count_if(all.begin(), all.end(), [&](const label_segment& s) { return s.label == label; }));
}

void label_document::rename_labels(const QHash<QString, QString>& names)
{
    for (const QString& animal : segments_.animals()) {
        label_edit edit{animal, segments_.of(animal), segments_.of(animal)};
        for (label_segment& s : edit.after)
            s.label = names.value(s.label, s.label);
        if (!edit.changes_nothing())
            apply(edit);
    }
    emit relabelled();
}

label_document::stored label_document::store(const QObject* asker)
{
    if (!dirty_)
        return stored::written;
    if (failed_ || conflict_)
        return stored::in_memory;
    if (refused_)
        return stored::refused;
    write(asker);
    return stored::written;
}

void label_document::overwrite(const QObject* asker)
{
    refused_ = false;
    failed_ = false;
    write(asker);
}

void label_document::write(const QObject* asker)
{
    const qint64 generation = ++*latest_;
    std::shared_ptr<std::atomic<qint64>> latest = latest_;
    // A copy shares the strings: cheap, and the thread never sees later changes.
    writer_.start(QRunnable::create([this, generation, latest, asker, path = path_, segments = segments_,
                                     disk = disk_] {
        if (*latest != generation)
            return; // a later change writes them all
        bool changed = false;
        QString failure;
        {
            const std::lock_guard<std::mutex> lock(disk->mutex);
            failure = labels_file::write_unless_changed(path, segments, &disk->stamp, &changed);
        }
        const bool written = failure.isEmpty() && !changed;
        QMetaObject::invokeMethod(this, [this, generation, failure, changed, written, asker, segments] {
            if (written)
                base_ = segments;
            if (generation != *latest_)
                return; // a later write tells
            if (changed) {
                changed_on_disk(asker);
            } else if (!failure.isEmpty()) {
                if (failed_)
                    return;
                failed_ = true;
                message_ = failure;
                failed_for_ = asker;
                emit write_failed();
            } else if (!failed_) {
                dirty_ = false;
            }
        }, Qt::QueuedConnection);
    }));
}

QString label_document::save_as(const QString& path)
{
    flush();
    ++*latest_; // writes not begun are left to this one
    const QString message = labels_file::write(path, segments_);
    if (!message.isEmpty())
        return message;
    path_ = QFileInfo(path).absoluteFilePath();
    {
        const std::lock_guard<std::mutex> lock(disk_->mutex);
        disk_->stamp = file_stamp::of_file(path_);
    }
    base_ = segments_;
    refused_ = failed_ = dirty_ = false;
    conflict_.reset();
    message_.clear();
    return QString();
}

void label_document::changed_on_disk(const QObject* asker)
{
    labels_file::result theirs = labels_file::read(path_);
    if (theirs.rewrite_loses_data()) {
        // Nothing to merge with what cannot be read whole: these labels stay in memory.
        failed_ = true;
        message_ = tr("The labels file %1 was changed by another program or window since it was read, and "
                      "cannot be read whole now: it is not written over.")
                       .arg(QDir::toNativeSeparators(path_));
        failed_for_ = asker;
        emit write_failed();
        return;
    }
    label_merge merge(base_, segments_, theirs.segments);
    if (merge.conflicts() == 0) {
        const int changes = merge.their_changes();
        adopt(merge.merged(), theirs, asker);
        emit merged_from_disk(asker, changes);
        return;
    }
    conflict_.emplace(conflict{std::move(theirs), std::move(merge)});
    emit conflicted(asker);
}

void label_document::resolve(bool ours_win, const QObject* asker)
{
    if (!conflict_)
        return;
    const conflict c = std::move(*conflict_);
    conflict_.reset();
    adopt(ours_win ? c.merge.ours_winning() : c.merge.merged(), c.theirs, asker);
    emit merged_from_disk(asker, c.merge.their_changes());
}

void label_document::adopt(const label_segments& segments, const labels_file::result& theirs,
                           const QObject* asker)
{
    QStringList animals = segments_.animals() + segments.animals();
    animals.removeDuplicates();
    segments_ = segments;
    base_ = theirs.segments;
    {
        const std::lock_guard<std::mutex> lock(disk_->mutex);
        disk_->stamp = theirs.stamp;
    }
    for (const QString& animal : animals)
        emit changed(animal);
    dirty_ = true;
    write(asker);
}
