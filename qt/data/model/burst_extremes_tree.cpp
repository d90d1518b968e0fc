#include "data/model/burst_extremes_tree.h"

#include "data/model/burst_space.h"

#include <limits>

namespace {

// The fold of burst_range: a candidate replaces the current extreme only when strictly beyond it.
template <typename Node> void fold_node(const Node& n, float (&lo)[3], float (&hi)[3])
{
    for (int a = 0; a < 3; ++a) {
        if (n.lo[a] < lo[a])
            lo[a] = n.lo[a];
        if (n.hi[a] > hi[a])
            hi[a] = n.hi[a];
    }
}

struct burst_node
{
    float lo[3];
    float hi[3];
    explicit burst_node(const burst_min_max& m) : lo{m.min_x, m.min_y, m.min_z}, hi{m.max_x, m.max_y, m.max_z}
    {
    }
};

} // namespace

burst_extremes_tree::burst_extremes_tree(const burst_space& space) : space_(space)
{
    const qint32 count = space_.entry_count();
    const float none = std::numeric_limits<float>::max();
    const node empty{{none, none, none}, {-none, -none, -none}};
    if (count <= fanout)
        return;
    std::vector<node> first(static_cast<std::size_t>((count + fanout - 1) / fanout), empty);
    for (qint32 i = 0; i < count; ++i)
        fold_node(burst_node(space_.entry(i).extremes()), first[static_cast<std::size_t>(i / fanout)].lo,
                  first[static_cast<std::size_t>(i / fanout)].hi);
    levels_.push_back(std::move(first));
    while (levels_.back().size() > static_cast<std::size_t>(fanout)) {
        const std::vector<node>& below = levels_.back();
        std::vector<node> above((below.size() + fanout - 1) / fanout, empty);
        for (std::size_t i = 0; i < below.size(); ++i)
            fold_node(below[i], above[i / fanout].lo, above[i / fanout].hi);
        levels_.push_back(std::move(above));
    }
}

void burst_extremes_tree::fold_burst(qint32 i, float (&lo)[3], float (&hi)[3]) const
{
    fold_node(burst_node(space_.entry(i).extremes()), lo, hi);
}

void burst_extremes_tree::fold(qint32 first, qint32 last, float (&lo)[3], float (&hi)[3]) const
{
    // Half-open [b, e) at the current level: the ragged ends are folded one by one until both lie
    // on block boundaries, then the blocks between them are taken from the level above.
    qint64 b = first, e = qint64(last) + 1;
    while (b < e && b % fanout != 0)
        fold_burst(static_cast<qint32>(b++), lo, hi);
    while (b < e && e % fanout != 0)
        fold_burst(static_cast<qint32>(--e), lo, hi);
    for (const std::vector<node>& level : levels_) {
        if (b >= e)
            return;
        b /= fanout;
        e /= fanout;
        const bool top = &level == &levels_.back();
        while (b < e && (top || b % fanout != 0))
            fold_node(level[static_cast<std::size_t>(b++)], lo, hi);
        while (b < e && e % fanout != 0)
            fold_node(level[static_cast<std::size_t>(--e)], lo, hi);
    }
    while (b < e) // no levels: a handful of bursts
        fold_burst(static_cast<qint32>(b++), lo, hi);
}
