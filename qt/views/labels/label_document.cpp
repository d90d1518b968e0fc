#include "views/labels/label_document.h"

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
}

label_edit label_document::set_range(const QString& animal, qint64 start_ms, qint64 end_ms, const QString& label)
{
    label_edit edit = segments_.set_range(animal, start_ms, end_ms, label);
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

label_document::stored label_document::store()
{
    if (!dirty_)
        return stored::written;
    if (failed_)
        return stored::in_memory;
    if (refused_)
        return stored::refused;
    return write();
}

label_document::stored label_document::overwrite()
{
    refused_ = false;
    failed_ = false;
    return write();
}

label_document::stored label_document::write()
{
    message_ = labels_file::write(path_, segments_);
    if (!message_.isEmpty()) {
        failed_ = true;
        return stored::failed;
    }
    dirty_ = false;
    return stored::written;
}

QString label_document::save_as(const QString& path)
{
    const QString message = labels_file::write(path, segments_);
    if (!message.isEmpty())
        return message;
    path_ = QFileInfo(path).absoluteFilePath();
    refused_ = failed_ = dirty_ = false;
    message_.clear();
    return QString();
}
