#pragma once

#include "data/labels/label_set.h"

#include <QObject>

// The program's one label set, kept in the settings; every window follows its changes.
class label_set_store : public QObject
{
    Q_OBJECT

public:
    static label_set_store& instance();

    const label_set& set() const { return set_; }
    // Takes the labels (label_set::set_labels), keeps them and tells every window.
    void set_labels(std::vector<label_def> labels);
    // Adds the names the set lacks (label_set::add_missing); those added.
    QStringList add_missing(const QStringList& names);

signals:
    void changed();

private:
    label_set_store();
    void keep();

    label_set set_;
};
