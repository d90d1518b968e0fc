#include "views/labels/label_set_store.h"

#include <QSettings>

label_set_store& label_set_store::instance()
{
    static label_set_store* store = new label_set_store;
    return *store;
}

label_set_store::label_set_store()
{
    QSettings settings;
    set_ = label_set::load(settings);
}

void label_set_store::keep()
{
    QSettings settings;
    set_.save(settings);
    emit changed();
}

void label_set_store::set_labels(std::vector<label_def> labels)
{
    set_.set_labels(std::move(labels));
    keep();
}

QStringList label_set_store::add_missing(const QStringList& names)
{
    const QStringList added = set_.add_missing(names);
    if (!added.isEmpty())
        keep();
    return added;
}
