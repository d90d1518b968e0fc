// The range rule at segment edges, and bursts turned into segments that merge, split and undo.
#include "data/labels/label_merge.h"
#include "data/labels/label_segments.h"

#include <gtest/gtest.h>

TEST(label_segments, a_burst_belongs_to_the_segment_its_start_lies_in)
{
    label_segments s;
    s.set_range("", 1000, 2000, "walking");
    s.set_range("", 2000, 3000, "resting");
    s.set_range("b", 500, 1500, "soaring");
    const std::pair<qint64, const char*> rows[] = {
        {999, ""}, {1000, "walking"}, {1999, "walking"}, {2000, "resting"}, {2999, "resting"}, {3000, ""}};
    for (const auto& [t, label] : rows)
        EXPECT_EQ(s.label_at("", t), label) << t;
    EXPECT_EQ(s.label_at("b", 1499), "soaring");
    EXPECT_EQ(s.label_at("b", 1500), "");
    EXPECT_EQ(s.label_at("c", 1000), "");
}

TEST(label_segments, bursts_become_segments_that_merge_split_and_undo)
{
    // Two bursts start at 20: a range ending on either ends where the next later burst starts.
    const std::vector<qint64> starts = {0, 10, 20, 20, 40};
    EXPECT_EQ(label_segments::span_of_bursts(starts, 0, 1), std::make_pair(qint64(0), qint64(20)));
    EXPECT_EQ(label_segments::span_of_bursts(starts, 2, 2), std::make_pair(qint64(20), qint64(40)));
    EXPECT_EQ(label_segments::span_of_bursts(starts, 3, 4), std::make_pair(qint64(20), qint64(41)));

    label_segments s;
    auto label = [&](std::size_t first, std::size_t last, const char* name) {
        const auto [start, end] = label_segments::span_of_bursts(starts, first, last);
        return s.set_range("", start, end, name);
    };
    auto shown = [&] {
        QStringList out;
        for (const label_segment& g : s.of(""))
            out << QString("%1-%2 %3").arg(g.start_ms).arg(g.end_ms).arg(g.label);
        return out.join(", ");
    };
    const label_edit first = label(0, 1, "walking");
    const label_edit second = label(2, 4, "walking");
    EXPECT_EQ(shown(), "0-41 walking");
    const label_edit split = label(1, 1, "resting");
    EXPECT_EQ(shown(), "0-10 walking, 10-20 resting, 20-41 walking");
    const label_edit cleared = label(4, 4, "");
    EXPECT_EQ(shown(), "0-10 walking, 10-20 resting, 20-40 walking");

    s.revert(cleared);
    s.revert(split);
    EXPECT_EQ(shown(), "0-41 walking");
    s.apply(split);
    EXPECT_EQ(shown(), "0-10 walking, 10-20 resting, 20-41 walking");
    s.revert(split);
    s.revert(second);
    EXPECT_EQ(shown(), "0-20 walking");
    s.revert(first);
    EXPECT_TRUE(s.empty());
    EXPECT_FALSE(label(0, 4, "walking").changes_nothing());
    EXPECT_TRUE(label(1, 2, "walking").changes_nothing());
}

// Ours labelled inside a segment that theirs changed elsewhere: what ours changed away from theirs is
// merged; a change of ours sharing time with theirs conflicts (theirs kept, or ours when ours win).
TEST(label_merge, takes_changes_apart_from_theirs_and_counts_the_rest)
{
    label_segments base;
    base.set_range("", 0, 100, "walk");
    label_segments ours = base, theirs = base;
    ours.set_range("", 40, 60, "rest");
    ours.set_range("", 200, 300, "fly");
    theirs.set_range("", 50, 70, "sit");
    theirs.set_range("", 80, 90, "fly");
    const label_merge m(base, ours, theirs);
    EXPECT_EQ(m.conflicts(), 1);
    EXPECT_EQ(m.their_changes(), 2);
    const auto spans = [](const label_segments& s) {
        QStringList out;
        for (const label_segment& x : s.all())
            out << QString("%1-%2 %3").arg(x.start_ms).arg(x.end_ms).arg(x.label);
        return out.join(", ");
    };
    EXPECT_EQ(spans(m.merged()), "0-50 walk, 50-70 sit, 70-80 walk, 80-90 fly, 90-100 walk, 200-300 fly");
    EXPECT_EQ(spans(m.ours_winning()),
              "0-40 walk, 40-60 rest, 60-70 sit, 70-80 walk, 80-90 fly, 90-100 walk, 200-300 fly");
}
