#pragma once

#include "data/labels/label_segment.h"

#include <vector>

// One change of an animal's segments: the consecutive run `before` was replaced by `after` (both in
// time order). Applying it backwards undoes it.
struct label_edit
{
    QString animal;
    std::vector<label_segment> before;
    std::vector<label_segment> after;

    bool changes_nothing() const { return before == after; }
};
