// Tools > Classify Behaviour in a burst window: trained on the labelled two thirds of a file of known
// behaviours, it predicts the rest; the predictions band and the time budget follow, labels win.
// DORNVALE_SHOTS=folder saves pictures of the windows there.
#include "app/burst_main_window.h"
#include "data/load/eobs_loader.h"
#include "data/model/events_by_bursts_empty.h"
#include "support/behaviour_table.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "views/activity/activity_plot_dialog.h"
#include "views/classify/classify_dialog.h"
#include "views/classify/classifying.h"
#include "views/classify/time_budget_dialog.h"
#include "views/labels/label_document.h"
#include "views/labels/label_set_store.h"
#include "views/labels/labelling.h"

#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct no_progress : loader_progress
{
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

void shoot(QWidget& w, const char* name)
{
    const QString folder = qEnvironmentVariable("DORNVALE_SHOTS");
    if (!folder.isEmpty())
        w.grab().save(folder + "/" + name + ".png");
}

// Ninety bursts of known behaviours, the first sixty labelled, in a burst window.
struct classify_scene
{
    temp_folder dir;
    const QString data = dir.write("stork.csv", behaviour_file(90));
    const QString labels = dir.write("stork.labels.csv", labels_for(60));
    no_progress progress;
    test_support::streams_capture quiet;
    eobs_acc_loader loaded{data, &progress};
    events_by_bursts_empty events;
    burst_main_window window{loaded.space.get(), &events, data, nullptr, data};
};

} // namespace

TEST(classify_window, predicts_the_unlabelled_bursts_and_labels_win)
{
    classify_scene scene;
    ASSERT_TRUE(scene.loaded.space);
    eobs_acc_loader& loaded = scene.loaded;
    burst_main_window& window = scene.window;
    window.resize(1200, 700);
    window.show();
    classifying& c = *window.behaviours();

    c.open();
    classify_dialog& dialog = *c.dialog();
    dialog.train();
    EXPECT_TRUE(dialog.training());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.training(); }, 60000));
    ASSERT_TRUE(dialog.model());
    shoot(dialog, "classify-dialog");
    dialog.apply();
    for (int i = 0; i < 90; ++i)
        EXPECT_EQ(c.predicted(i), i < 60 ? QString() : QString(behaviours[i / 10 % 3])) << i;

    // A label given afterwards wins over the prediction.
    window.labels()->document().set_range("", loaded.space->entry(75).burst->start_timestamp,
                                          loaded.space->entry(75).burst->start_timestamp + 1, "fly");
    EXPECT_EQ(window.labels()->label_of(75), "fly");
    EXPECT_EQ(c.predicted(75), "");
    shoot(window, "classify-window");

    // The activity plot colours each six-minute bin by its behaviour; bins without bursts stay grey.
    window.findChild<QAction*>("actionActivity_Plot")->trigger();
    auto* plot = window.findChild<activity_plot_dialog*>();
    ASSERT_TRUE(plot);
    const std::vector<qint32>& bins = plot->options().behaviour_rgb;
    const label_set& set = label_set_store::instance().set();
    ASSERT_EQ(bins.size(), 240u);
    EXPECT_EQ(bins[0], qint32(set.find("rest")->rgb));
    EXPECT_EQ(bins[2], -1);
    EXPECT_EQ(bins[75 * 10 / 6], qint32(set.find("fly")->rgb)); // burst 75, labelled
    EXPECT_EQ(bins[85 * 10 / 6], qint32(set.find("fly")->rgb)); // burst 85, predicted
    EXPECT_EQ(plot->options().behaviour_legend.size(), 3u);
    shoot(*plot, "activity-behaviours");

    c.show_time_budget();
    auto* budget_dialog = window.findChild<time_budget_dialog*>();
    ASSERT_TRUE(budget_dialog);
    QTableWidget* budget = budget_dialog->table();
    // One day of 90 bursts 10 minutes apart, 30 per behaviour, but burst 75 (walk) labelled fly.
    ASSERT_EQ(budget->rowCount(), 1);
    EXPECT_EQ(budget->item(0, 1)->text(), "2014-05-02");
    const char* const minutes[] = {"300.0", "290.0", "310.0", "0.0"};
    for (int col = 2; col < 6; ++col)
        EXPECT_EQ(budget->item(0, col)->text(), minutes[col - 2]) << col;
    shoot(*budget_dialog, "time-budget");
}

// Labels cleared and given in the burst window while the Classify window is open: its counts follow at
// once, and training and predicting take the labels as they are now.
TEST(classify_window, follows_the_labels_as_they_change)
{
    classify_scene scene;
    ASSERT_TRUE(scene.loaded.space);
    eobs_acc_loader& loaded = scene.loaded;
    burst_main_window& window = scene.window;
    classifying& c = *window.behaviours();
    c.open();
    classify_dialog& dialog = *c.dialog();
    auto* summary = dialog.findChild<QLabel*>("summary");
    EXPECT_EQ(summary->text(), "90 bursts, labelled: 20 rest, 20 walk, 20 fly");

    const auto start = [&](int burst) { return loaded.space->entry(burst).burst->start_timestamp; };
    label_document& labels = window.labels()->document();
    labels.set_range("", start(0), start(30), QString()); // the first three behaviours' ten each
    labels.set_range("", start(60), start(65), "walk");
    EXPECT_EQ(summary->text(), "90 bursts, labelled: 10 rest, 15 walk, 10 fly");
    dialog.train();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.training(); }, 60000));
    ASSERT_TRUE(dialog.model());
    dialog.apply();
    EXPECT_EQ(dialog.findChild<QLabel*>("status")->text().section(' ', 0, 0), "55");
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
