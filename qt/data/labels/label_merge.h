#pragma once

#include "data/labels/label_segments.h"

// Three-way merge of the labels of one file: base is what the file held when it was read, ours what
// this window made of it, theirs what another program or window wrote there since. A change is a
// stretch of time whose label or note differs from base's; ours and theirs conflict where their
// changes share time.
class label_merge
{
public:
    label_merge(const label_segments& base, const label_segments& ours, const label_segments& theirs);

    // Theirs with every change of ours that shares no time with a change of theirs.
    const label_segments& merged() const { return merged_; }
    // Theirs with every change of ours, ours winning where both changed.
    const label_segments& ours_winning() const { return ours_winning_; }
    // Changes of ours that share time with changes of theirs.
    int conflicts() const { return conflicts_; }
    // Changes of theirs.
    int their_changes() const { return their_changes_; }

private:
    label_segments merged_;
    label_segments ours_winning_;
    int conflicts_ = 0;
    int their_changes_ = 0;
};
