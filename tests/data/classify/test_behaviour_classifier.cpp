// Training, validating, predicting and saving behaviour models on generated behaviours.
#include "data/classify/behaviour_model.h"
#include "data/classify/boosted_trees.h"
#include "data/classify/classifier_training.h"
#include "data/classify/model_file.h"
#include "data/classify/training_control.h"
#include "support/behaviour_table.h"
#include "support/temp_folder.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

booster_settings quick()
{
    booster_settings s;
    s.rounds = 20;
    return s;
}

training_outcome trained(const feature_table& t, const training_control& control = {})
{
    return classifier_training::run(t, {"#000000", "#00ff00", "#0000ff"}, quick(), control);
}

// The booster with element i of its first typed array named key set to bits (4 bytes, big-endian).
QByteArray with_element(QByteArray b, const char* key, int i, quint32 bits)
{
    const int at = b.indexOf(QByteArray(key) + "[$") + int(strlen(key)) + 13 + 4 * i; // [$l#L and the count
    for (int k = 0; k < 4; ++k)
        b[at + k] = char(bits >> (24 - 8 * k));
    return b;
}

// A UBJSON string: S, its length as an int64 (L) and its bytes.
QByteArray ubj_text(const QByteArray& text)
{
    return "SL" + QByteArray(7, 0) + char(text.size()) + text;
}

} // namespace

TEST(behaviour_classifier, learns_known_behaviours_and_validates_by_folds_and_animals)
{
    int reported = 0, total = 0;
    training_control control;
    control.progress = [&](int done, int all) {
        EXPECT_EQ(done, reported + 1);
        reported = done;
        total = all;
    };
    const training_outcome o = trained(behaviour_table(150, 3, 1), control);
    ASSERT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(total, 20 * (5 + 3 + 1)); // 5 folds, 3 animals left out in turn, the final model
    EXPECT_EQ(reported, total);
    ASSERT_EQ(o.validations.size(), 2u);
    EXPECT_EQ(o.validations[0].method, "5-fold stratified");
    EXPECT_EQ(o.validations[1].method, "leave-one-animal-out (3 animals)");
    for (const validation_result& v : o.validations) {
        EXPECT_EQ(v.total(), 150);
        EXPECT_GE(v.accuracy(), 0.95) << v.text().toStdString();
    }
    EXPECT_EQ(o.importance[2], 0.0); // noise never splits well enough
    EXPECT_GT(o.importance[0], 0.0);

    QString error;
    const std::vector<prediction> p = o.model.predict(behaviour_table(30, 1, 2), &error);
    ASSERT_EQ(p.size(), 30u);
    for (size_t r = 0; r < p.size(); ++r) {
        EXPECT_EQ(p[r].cls, int(r % 3)) << r;
        EXPECT_GT(p[r].probability, 1.0f / 3);
    }
    // The same seed gives the same model.
    EXPECT_EQ(trained(behaviour_table(150, 3, 1)).model.trees->to_bytes(), o.model.trees->to_bytes());
}

TEST(behaviour_classifier, cancel_stops_between_rounds)
{
    std::atomic_bool cancel{false};
    training_control control;
    control.cancel = &cancel;
    control.progress = [&](int done, int) { cancel = done == 3; };
    const training_outcome o = trained(behaviour_table(60, 1, 1), control);
    EXPECT_TRUE(o.cancelled);
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_FALSE(o.model.trees);
}

TEST(behaviour_classifier, refuses_input_that_cannot_be_validated)
{
    feature_table t = behaviour_table(12, 1, 1);
    EXPECT_EQ(
        classifier_training::input_refusal(t, 5).toStdString(),
        "Too few labelled bursts to validate: rest has 4, walk has 4, fly has 4; 5-fold validation needs at "
        "least 5 bursts of each behaviour.");
    for (int& c : t.classes)
        c = c == 1 ? 1 : -1;
    EXPECT_EQ(classifier_training::input_refusal(t, 2).toStdString(),
              "Only walk is labelled: training needs labelled bursts of at least two behaviours.");
    EXPECT_EQ(trained(t).error, classifier_training::input_refusal(t, 5));
}

TEST(behaviour_classifier, saved_model_predicts_as_in_memory_and_refuses_what_does_not_fit)
{
    const training_outcome o = trained(behaviour_table(60, 1, 1));
    temp_folder dir;
    QString error;
    ASSERT_TRUE(model_file::write(dir.path("m.dvmodel"), o.model, &error)) << error.toStdString();
    const std::optional<behaviour_model> back = model_file::read(dir.path("m.dvmodel"), &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->classes, o.model.classes);
    EXPECT_EQ(back->colours, o.model.colours);
    EXPECT_EQ(back->units, o.model.units);
    EXPECT_EQ(back->settings.seed, o.model.settings.seed);
    const feature_table fresh = behaviour_table(40, 2, 9, 0.6);
    EXPECT_EQ(back->probabilities(fresh, &error), o.model.probabilities(fresh, &error));

    feature_table other = fresh;
    other.units[1] = "rad/s";
    EXPECT_EQ(back->fit_refusal(other), "feature dom_freq_z is in rad/s here but in Hz in the model");
    EXPECT_TRUE(back->predict(other, &error).empty());
    EXPECT_EQ(error, "feature dom_freq_z is in rad/s here but in Hz in the model");
    EXPECT_EQ(back->fit_refusal(fresh.with_columns({"noise"})),
              "the model needs features odba, dom_freq_z, which the data lack");
    other = fresh;
    other.window.seconds = 0.5;
    EXPECT_EQ(back->fit_refusal(other),
              "its figures were computed with static=burst-mean, these with static=running-mean window_s=0.5");
    // The columns are matched by name, whatever their order.
    EXPECT_EQ(back->probabilities(fresh.with_columns({"noise", "dom_freq_z", "odba"}), &error),
              o.model.probabilities(fresh, &error));

    QFile file(dir.path("m.dvmodel"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray damaged = file.readAll();
    const int at = damaged.indexOf("\"booster\": \"") + 40;
    damaged.replace(at, 20, QByteArray(20, 'A'));
    const struct
    {
        QByteArray content;
        std::string reason;
    } refused[] = {
        {"{\"format\": \"something else\"}", "x.dvmodel is not a Dornvale behaviour model."},
        {"not json", "x.dvmodel is not a Dornvale behaviour model."},
        {"{\"format\": \"dornvale-behaviour-model\", \"version\": 2}",
         "x.dvmodel was written by a newer Dornvale (model version 2); this one reads version 1."},
        {damaged, "x.dvmodel is damaged: "},
    };
    for (const auto& r : refused) {
        dir.write("x.dvmodel", r.content);
        EXPECT_FALSE(model_file::read(dir.path("x.dvmodel"), &error));
        EXPECT_EQ(error.toStdString().substr(0, r.reason.size()), r.reason);
    }
}

TEST(behaviour_classifier, hostile_boosters_are_refused_before_xgboost_reads_them)
{
    temp_folder dir;
    QString error;
    ASSERT_TRUE(model_file::write(dir.path("m.dvmodel"), trained(behaviour_table(60, 1, 1)).model, &error));
    QFile file(dir.path("m.dvmodel"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    const QByteArray b = QByteArray::fromBase64(json.value("booster").toString().toLatin1());
    ASSERT_TRUE(b.contains("num_trees" + ubj_text("60"))); // 20 rounds of 3 behaviours
    const struct
    {
        QByteArray booster;
        std::string reason;
    } refused[] = {
        {with_element(b, "split_indices", 0, 100000), "its tree 0 splits on feature 100000 of 3"},
        {with_element(b, "split_indices", 0, quint32(-5)), "its tree 0 splits on feature -5 of 3"},
        {with_element(b, "left_children", 0, 1000000), "its tree 0 links node 0 to node 1000000, not a node"},
        {with_element(b, "left_children", 0, 0), "its tree 0 links node 0 to node 0, not a node of its own"},
        {QByteArray(b).replace("num_trees" + ubj_text("60"), "num_trees" + ubj_text("999")),
         "its booster states 999 trees but holds 60"},
        {b.left(b.size() / 2), "its booster is cut short"},
        {with_element(b, "split_conditions", 0, 0x7fc00000),
         "its tree 0 has a value that is not finite at node 0"},
    };
    for (const auto& r : refused) {
        json["booster"] = QString::fromLatin1(r.booster.toBase64());
        dir.write("x.dvmodel", QJsonDocument(json).toJson());
        EXPECT_FALSE(model_file::read(dir.path("x.dvmodel"), &error));
        EXPECT_EQ(error.toStdString().substr(0, 22 + r.reason.size()), "x.dvmodel is damaged: " + r.reason);
    }
    // A folder (or a FIFO, which open() would wait on for good) is refused before it is opened.
    EXPECT_FALSE(model_file::read(dir.path(), &error));
    EXPECT_EQ(error, QFileInfo(dir.path()).fileName() + " is not a regular file.");
}
