#include "views/labels/label_document.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>

#include <utility>

std::shared_ptr<label_document> label_document::open(const QString& data_path)
{
    static QHash<QString, std::weak_ptr<label_document>> open_documents;
    const QString path = labels_file::path_for(data_path);
    if (std::shared_ptr<label_document> known = open_documents.value(path).lock())
        return known;
    auto document = std::make_shared<label_document>(path);
    open_documents.insert(path, document);
    return document;
}

label_document::label_document(const QString& path) : path_(path), opened_(labels_file::read(path))
{
    segments_ = opened_.segments;
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

label_document::stored label_document::store(const QObject* asker)
{
    if (!dirty_)
        return stored::written;
    if (failed_)
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
    writer_.start(QRunnable::create([this, generation, latest, asker, path = path_, segments = segments_] {
        if (*latest != generation)
            return; // a later change writes them all
        const QString failure = labels_file::write(path, segments);
        QMetaObject::invokeMethod(this, [this, generation, failure, asker] {
            if (generation != *latest_)
                return; // a later write tells
            if (!failure.isEmpty()) {
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
    refused_ = failed_ = dirty_ = false;
    message_.clear();
    return QString();
}
