#pragma once

#include "data/labels/label_edit.h"
#include "data/labels/label_segment.h"

#include <QStringList>

#include <map>
#include <utility>
#include <vector>

// The labelled segments of one data file, per animal in time order, never overlapping. Segments
// outside the data are kept like any other.
class label_segments
{
public:
    // The segment holding a burst of animal starting at t_ms (start <= t < end), nullptr for none.
    const label_segment* segment_at(const QString& animal, qint64 t_ms) const;
    // Its label; empty for none.
    QString label_at(const QString& animal, qint64 t_ms) const;

    // Gives [start_ms, end_ms) of animal the label (an empty label clears it): the parts of other
    // segments inside are cut away, touching segments of the same label merge (their notes joined).
    // Returns the change, for apply and revert. Does nothing for end_ms <= start_ms.
    label_edit set_range(const QString& animal, qint64 start_ms, qint64 end_ms, const QString& label,
                         const QString& note = QString());
    // Does a change again, or takes it back; edits must be applied and reverted in stack order.
    void apply(const label_edit& edit) { replace(edit.animal, edit.before, edit.after); }
    void revert(const label_edit& edit) { replace(edit.animal, edit.after, edit.before); }

    // True when some segment of animal shares time with [start_ms, end_ms).
    bool overlaps(const QString& animal, qint64 start_ms, qint64 end_ms) const;
    // animal's segments in time order; empty for an animal without any.
    const std::vector<label_segment>& of(const QString& animal) const;
    // Indexes [first, last) into of(animal) of the segments sharing time with [start_ms, end_ms).
    std::pair<std::size_t, std::size_t> overlapping(const QString& animal, qint64 start_ms, qint64 end_ms) const;
    QStringList animals() const;
    // Every segment, by animal, then by time.
    std::vector<label_segment> all() const;
    std::size_t size() const;
    bool empty() const { return size() == 0; }

    // The time span [start, end) holding the bursts first ... last of starts (sorted start times,
    // first <= last): from the first's start to the next later start after the last, or the last
    // start + 1 ms when none follows.
    static std::pair<qint64, qint64> span_of_bursts(const std::vector<qint64>& starts, std::size_t first,
                                                    std::size_t last);

private:
    void replace(const QString& animal, const std::vector<label_segment>& out,
                 const std::vector<label_segment>& in);

    std::map<QString, std::vector<label_segment>> by_animal_;
};
