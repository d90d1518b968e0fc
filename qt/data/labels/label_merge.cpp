#include "data/labels/label_merge.h"

#include <algorithm>

namespace {

using span = std::pair<qint64, qint64>;

// The segment of v holding t, nullptr for none; v in time order, at the first that may hold t.
const label_segment* at(const std::vector<label_segment>& v, std::size_t& i, qint64 t)
{
    while (i < v.size() && v[i].end_ms <= t)
        ++i;
    return i < v.size() && v[i].start_ms <= t ? &v[i] : nullptr;
}

// The stretches of time where a and b differ in label or note, in time order, touching ones joined.
std::vector<span> differences(const std::vector<label_segment>& a, const std::vector<label_segment>& b)
{
    std::vector<qint64> edges;
    for (const auto* v : {&a, &b})
        for (const label_segment& s : *v)
            edges.insert(edges.end(), {s.start_ms, s.end_ms});
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<span> out;
    std::size_t i = 0, j = 0;
    for (std::size_t k = 0; k + 1 < edges.size(); ++k) {
        const label_segment* x = at(a, i, edges[k]);
        const label_segment* y = at(b, j, edges[k]);
        const bool same = (!x && !y) || (x && y && x->label == y->label && x->note == y->note);
        if (same)
            continue;
        if (!out.empty() && out.back().second == edges[k])
            out.back().second = edges[k + 1];
        else
            out.emplace_back(edges[k], edges[k + 1]);
    }
    return out;
}

bool shares_time(const span& s, const std::vector<span>& spans)
{
    const auto it = std::upper_bound(spans.begin(), spans.end(), s.first,
                                     [](qint64 t, const span& x) { return t < x.second; });
    return it != spans.end() && it->first < s.second;
}

// Gives the time of s in into what ours holds there.
void take(label_segments& into, const QString& animal, const span& s, const label_segments& ours)
{
    into.set_range(animal, s.first, s.second, QString());
    const std::vector<label_segment>& v = ours.of(animal);
    const auto [first, last] = ours.overlapping(animal, s.first, s.second);
    for (std::size_t k = first; k < last; ++k)
        into.set_range(animal, std::max(v[k].start_ms, s.first), std::min(v[k].end_ms, s.second), v[k].label,
                       v[k].note);
}

} // namespace

label_merge::label_merge(const label_segments& base, const label_segments& ours, const label_segments& theirs)
    : merged_(theirs), ours_winning_(theirs)
{
    QStringList animals = base.animals() + ours.animals() + theirs.animals();
    animals.removeDuplicates();
    for (const QString& animal : animals) {
        const std::vector<span> theirs_changed = differences(base.of(animal), theirs.of(animal));
        their_changes_ += int(theirs_changed.size());
        for (const span& s : differences(base.of(animal), ours.of(animal))) {
            take(ours_winning_, animal, s, ours);
            if (shares_time(s, theirs_changed))
                ++conflicts_;
            else
                take(merged_, animal, s, ours);
        }
    }
}
