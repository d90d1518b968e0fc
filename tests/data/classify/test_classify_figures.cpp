// The figures around the classifier against hand-computed values: class weights, validation
// measures, the folds, and the time budget.
#include "data/classify/bin_behaviours.h"
#include "data/classify/boosted_trees.h"
#include "data/classify/fold_split.h"
#include "data/classify/time_budget.h"

#include <QBuffer>
#include "data/classify/validation_result.h"

#include <gtest/gtest.h>

#include <map>

TEST(classify_figures, class_weights_are_n_over_k_n_class)
{
    // 6 rows of 2 present classes out of 3: 4 of class 0, 2 of class 2.
    const std::vector<float> w = boosted_trees::class_weights({0, 0, 2, 0, 2, 0, -1}, 3);
    EXPECT_FLOAT_EQ(w[0], 6.0f / (2 * 4));
    EXPECT_FLOAT_EQ(w[1], 0.0f);
    EXPECT_FLOAT_EQ(w[2], 6.0f / (2 * 2));
}

TEST(classify_figures, validation_measures)
{
    // truth a a a b b c; predicted a a b b c c
    const validation_result v =
        validation_result::from_predictions("m", {"a", "b", "c"}, {0, 0, 0, 1, 1, 2}, {0, 0, 1, 1, 2, 2});
    EXPECT_DOUBLE_EQ(v.accuracy(), 4.0 / 6);
    EXPECT_DOUBLE_EQ(v.precision(0), 1.0);
    EXPECT_DOUBLE_EQ(v.recall(0), 2.0 / 3);
    EXPECT_DOUBLE_EQ(v.f1(0), 0.8);
    EXPECT_DOUBLE_EQ(v.precision(1), 0.5);
    EXPECT_DOUBLE_EQ(v.recall(1), 0.5);
    EXPECT_DOUBLE_EQ(v.precision(2), 0.5);
    EXPECT_DOUBLE_EQ(v.recall(2), 1.0);
    EXPECT_DOUBLE_EQ(v.row_percent(0, 1), 100.0 / 3);
    EXPECT_EQ(v.confusion[1][2], 1);
}

TEST(classify_figures, stratified_folds_share_each_class_evenly)
{
    std::vector<int> classes;
    for (int i = 0; i < 10; ++i)
        classes.push_back(0);
    for (int i = 0; i < 5; ++i)
        classes.push_back(1);
    classes.push_back(-1);
    const fold_split s = fold_split::stratified(classes, 5, 7);
    std::map<std::pair<int, int>, int> per_fold_class;
    for (size_t r = 0; r < classes.size(); ++r)
        if (classes[r] >= 0)
            ++per_fold_class[{s.fold_of_row[r], classes[r]}];
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ((per_fold_class[{f, 0}]), 2) << f;
        EXPECT_EQ((per_fold_class[{f, 1}]), 1) << f;
    }
    EXPECT_EQ(s.fold_of_row.back(), -1);
    EXPECT_EQ(fold_split::stratified(classes, 5, 7).fold_of_row, s.fold_of_row);
}

TEST(classify_figures, animal_folds_keep_each_animal_together)
{
    const fold_split s = fold_split::by_animal({0, 1, -1, 0, 1, 1}, {"b", "a", "c", "b", "b", "a"});
    EXPECT_EQ(s.folds, 2); // c has no labelled burst
    EXPECT_EQ(s.fold_names, QStringList({"b", "a"}));
    EXPECT_EQ(s.fold_of_row, std::vector<int>({0, 1, -1, 0, 0, 1}));
}

TEST(classify_figures, time_budget_splits_at_midnight_and_caps_gaps)
{
    // Bursts every 10 min from 23:40 UTC on 2026-01-01, then an hour's gap; clock 1 h ahead of UTC.
    const qint64 t0 = QDateTime(QDate(2026, 1, 1), QTime(22, 40), Qt::UTC).toMSecsSinceEpoch();
    const qint64 m = 60000;
    const time_budget b = time_budget::compute({t0, t0 + 10 * m, t0 + 20 * m, t0 + 80 * m}, {0, 1, 1, -1},
                                               {"rest", "walk"}, 60 * m);
    ASSERT_EQ(b.days.size(), 2u);
    EXPECT_EQ(b.days[0].date, QDate(2026, 1, 1));
    EXPECT_EQ(b.days[0].minutes, std::vector<double>({10, 10, 0}));
    EXPECT_EQ(b.days[1].date, QDate(2026, 1, 2));
    EXPECT_EQ(b.days[1].minutes, std::vector<double>({0, 10, 10}));
}

TEST(classify_figures, time_budget_csv_quotes_names)
{
    time_budget b = time_budget::compute({0, 600000}, {0, 1}, {"rest, deep", "walk"}, 0);
    b.animal = "Ann \"A\"";
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(time_budget::write_csv({b}, out, nullptr));
    EXPECT_EQ(out.data(), QByteArray("animal,day,\"rest, deep\",walk,unclassified\n"
                                     "\"Ann \"\"A\"\"\",1970-01-01,10.0,10.0,0.0\n"));
}

TEST(classify_figures, bins_take_their_most_frequent_behaviour)
{
    // Bins of 10 ms from 100: [100,110) holds 0,1,1; [110,120) 2,0 (a tie: the lower wins); [120,130)
    // only unclassified; 99 and 130 lie outside.
    EXPECT_EQ(
        bin_behaviours({99, 100, 105, 109, 110, 119, 125, 130}, {2, 0, 1, 1, 2, 0, -1, 1}, 3, 100, 10, 3),
        std::vector<int>({1, 0, -1}));
}
