#pragma once

#include "data/labels/label_def.h"

#include <QStringList>

#include <vector>

class QSettings;

// The labels a user gives bursts, in the order the user keeps them. Names are unique and not empty,
// each key 1-9 belongs to at most one label.
class label_set
{
public:
    // 1 resting, 2 walking, 3 flapping, 4 soaring, 5 foraging, 6 other.
    static label_set defaults();
    // The set kept under "labels/set"; the defaults when none is kept.
    static label_set load(QSettings& settings);
    void save(QSettings& settings) const;

    const std::vector<label_def>& labels() const { return labels_; }
    // Takes the list; names made unique and not empty, a key used twice kept by its first label only.
    void set_labels(std::vector<label_def> labels);
    const label_def* find(const QString& name) const;
    const label_def* by_key(int key) const;

    // Adds each name the set lacks, with a colour of its own and the first free key (if any);
    // returns the names added, in the order given.
    QStringList add_missing(const QStringList& names);

private:
    std::vector<label_def> labels_;
};
