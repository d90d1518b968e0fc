#pragma once

#include <QtGlobal>

#include <vector>

class burst_space;

// The stored extremes of a burst_space's bursts folded over blocks of eight, sixty-four, ... bursts,
// so the extremes of a run of whole bursts take a few dozen folds however long the run. The space
// must outlive the tree and stay unchanged.
class burst_extremes_tree
{
public:
    explicit burst_extremes_tree(const burst_space& space);

    // Folds the stored extremes of bursts first ... last (inclusive, inside the space) into lo and
    // hi (X, Y, Z): the values burst_range::value_range yields when every burst of the window is
    // shorter than the window. NaN extremes are passed over as that fold passes them over.
    void fold(qint32 first, qint32 last, float (&lo)[3], float (&hi)[3]) const;

    static constexpr qint32 fanout = 8;

private:
    struct node
    {
        float lo[3];
        float hi[3];
    };
    void fold_burst(qint32 i, float (&lo)[3], float (&hi)[3]) const;

    const burst_space& space_;
    // levels_[0] holds blocks of fanout bursts, levels_[k] blocks of fanout nodes of levels_[k - 1].
    std::vector<std::vector<node>> levels_;
};
