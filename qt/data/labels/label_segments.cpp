#include "data/labels/label_segments.h"

#include <algorithm>

namespace {

const std::vector<label_segment> no_segments;

QString joined_notes(const QString& a, const QString& b)
{
    if (a.isEmpty() || a == b)
        return b;
    if (b.isEmpty())
        return a;
    return a + QStringLiteral("; ") + b;
}

} // namespace

const label_segment* label_segments::segment_at(const QString& animal, qint64 t_ms) const
{
    const std::vector<label_segment>& v = of(animal);
    // The first segment ending after t; it holds t when it starts at or before it.
    const auto it = std::upper_bound(v.begin(), v.end(), t_ms,
                                     [](qint64 t, const label_segment& s) { return t < s.end_ms; });
    return it != v.end() && it->start_ms <= t_ms ? &*it : nullptr;
}

QString label_segments::label_at(const QString& animal, qint64 t_ms) const
{
    const label_segment* s = segment_at(animal, t_ms);
    return s ? s->label : QString();
}

const std::vector<label_segment>& label_segments::of(const QString& animal) const
{
    const auto it = by_animal_.find(animal);
    return it == by_animal_.end() ? no_segments : it->second;
}

std::pair<std::size_t, std::size_t> label_segments::overlapping(const QString& animal, qint64 start_ms,
                                                                qint64 end_ms) const
{
    const std::vector<label_segment>& v = of(animal);
    const auto first = std::upper_bound(v.begin(), v.end(), start_ms,
                                        [](qint64 t, const label_segment& s) { return t < s.end_ms; });
    const auto last = std::lower_bound(first, v.end(), end_ms,
                                       [](const label_segment& s, qint64 t) { return s.start_ms < t; });
    return {std::size_t(first - v.begin()), std::size_t(last - v.begin())};
}

bool label_segments::overlaps(const QString& animal, qint64 start_ms, qint64 end_ms) const
{
    const auto range = overlapping(animal, start_ms, end_ms);
    return end_ms > start_ms && range.first < range.second;
}

label_edit label_segments::set_range(const QString& animal, qint64 start_ms, qint64 end_ms,
                                     const QString& label, const QString& note)
{
    label_edit edit;
    edit.animal = animal;
    if (end_ms <= start_ms)
        return edit;
    const std::vector<label_segment>& v = of(animal);
    auto [first, last] = overlapping(animal, start_ms, end_ms);
    // Touching neighbours take part, so that equal labels merge.
    if (first > 0 && v[first - 1].end_ms == start_ms)
        --first;
    if (last < v.size() && v[last].start_ms == end_ms)
        ++last;
    edit.before.assign(v.begin() + std::ptrdiff_t(first), v.begin() + std::ptrdiff_t(last));

    std::vector<label_segment> pieces;
    for (const label_segment& s : edit.before)
        if (s.start_ms < start_ms) {
            pieces.push_back(s);
            pieces.back().end_ms = std::min(s.end_ms, start_ms);
        }
    if (!label.isEmpty())
        pieces.push_back({animal, start_ms, end_ms, label, note});
    for (const label_segment& s : edit.before)
        if (s.end_ms > end_ms) {
            pieces.push_back(s);
            pieces.back().start_ms = std::max(s.start_ms, end_ms);
        }
    for (label_segment& p : pieces) {
        if (!edit.after.empty() && edit.after.back().end_ms == p.start_ms && edit.after.back().label == p.label) {
            edit.after.back().end_ms = p.end_ms;
            edit.after.back().note = joined_notes(edit.after.back().note, p.note);
        } else {
            edit.after.push_back(std::move(p));
        }
    }
    if (!edit.changes_nothing())
        apply(edit);
    return edit;
}

void label_segments::replace(const QString& animal, const std::vector<label_segment>& out,
                             const std::vector<label_segment>& in)
{
    if (out.empty() && in.empty())
        return;
    std::vector<label_segment>& v = by_animal_[animal];
    const qint64 at = out.empty() ? in.front().start_ms : out.front().start_ms;
    const auto pos = std::lower_bound(v.begin(), v.end(), at,
                                      [](const label_segment& s, qint64 t) { return s.start_ms < t; });
    const std::ptrdiff_t index = pos - v.begin();
    const std::size_t removed = std::min(out.size(), std::size_t(v.end() - pos));
    v.erase(pos, pos + std::ptrdiff_t(removed));
    v.insert(v.begin() + index, in.begin(), in.end());
    if (v.empty())
        by_animal_.erase(animal);
}

QStringList label_segments::animals() const
{
    QStringList out;
    for (const auto& [animal, v] : by_animal_)
        out << animal;
    return out;
}

std::vector<label_segment> label_segments::all() const
{
    std::vector<label_segment> out;
    out.reserve(size());
    for (const auto& [animal, v] : by_animal_)
        out.insert(out.end(), v.begin(), v.end());
    return out;
}

std::size_t label_segments::size() const
{
    std::size_t n = 0;
    for (const auto& [animal, v] : by_animal_)
        n += v.size();
    return n;
}

std::pair<qint64, qint64> label_segments::span_of_bursts(const std::vector<qint64>& starts, std::size_t first,
                                                         std::size_t last)
{
    const qint64 end = starts[last];
    const auto next = std::upper_bound(starts.begin() + std::ptrdiff_t(last), starts.end(), end);
    return {starts[first], next != starts.end() ? *next : end + 1};
}
