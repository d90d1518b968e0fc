#include "data/classify/classifier_training.h"

#include "data/classify/boosted_trees.h"
#include "data/classify/feature_table.h"
#include "data/classify/fold_split.h"
#include "data/classify/training_control.h"

#include <QSet>

namespace {

// The labelled rows of table with classes renumbered to those that occur, in the table's order.
feature_table present_classes(const feature_table& table, const QStringList& colours,
                              QStringList* kept_colours)
{
    feature_table t = table.rows_at(table.labelled_rows());
    const std::vector<int> counts = table.class_counts();
    std::vector<int> renumber(counts.size(), -1);
    t.class_names.clear();
    for (size_t c = 0; c < counts.size(); ++c)
        if (counts[c] > 0) {
            renumber[c] = t.class_names.size();
            t.class_names << table.class_names[int(c)];
            *kept_colours << (int(c) < colours.size() ? colours[int(c)] : QString());
        }
    for (int& c : t.classes)
        c = renumber[size_t(c)];
    return t;
}

// Trains once per fold on the other folds and predicts the fold; false when cancelled or failed.
bool cross_validate(const feature_table& t, const fold_split& split, const QString& method,
                    const booster_settings& settings, const training_control& control, int& done, int total,
                    training_outcome& out)
{
    std::vector<int> predicted(size_t(t.rows()), -1);
    for (int f = 0; f < split.folds; ++f) {
        std::vector<int> train_rows, test_rows;
        for (int r = 0; r < t.rows(); ++r)
            (split.fold_of_row[size_t(r)] == f ? test_rows : train_rows).push_back(r);
        const feature_table test = t.rows_at(test_rows);
        auto trees = boosted_trees::train(t.rows_at(train_rows), t.class_names.size(), settings, control,
                                          done, total, &out.error);
        done += settings.rounds;
        if (!trees)
            return false;
        behaviour_model m;
        m.classes = t.class_names;
        m.features = t.features;
        m.units = t.units;
        m.window = t.window;
        m.trees = std::move(trees);
        const std::vector<prediction> p = m.predict(test, &out.error);
        if (!out.error.isEmpty())
            return false;
        for (size_t i = 0; i < test_rows.size(); ++i)
            predicted[size_t(test_rows[i])] = p[i].cls;
    }
    out.validations.push_back(
        validation_result::from_predictions(method, t.class_names, t.classes, predicted));
    return true;
}

} // namespace

QString classifier_training::input_refusal(const feature_table& table, int folds)
{
    if (table.columns() == 0)
        return "No features are chosen to train on.";
    const std::vector<int> counts = table.class_counts();
    QStringList present, few;
    for (size_t c = 0; c < counts.size(); ++c) {
        if (counts[c] > 0)
            present << table.class_names[int(c)];
        if (counts[c] > 0 && counts[c] < folds)
            few << QString("%1 has %2").arg(table.class_names[int(c)]).arg(counts[c]);
    }
    if (present.isEmpty())
        return "No burst is labelled: training needs labelled bursts of at least two behaviours.";
    if (present.size() < 2)
        return QString("Only %1 is labelled: training needs labelled bursts of at least two behaviours.")
            .arg(present[0]);
    if (!few.isEmpty())
        return QString("Too few labelled bursts to validate: %1; %2-fold validation needs at least %2 bursts "
                       "of each behaviour.")
            .arg(few.join(", "))
            .arg(folds);
    return QString();
}

training_outcome classifier_training::run(const feature_table& table, const QStringList& colours,
                                          const booster_settings& settings, const training_control& control)
{
    training_outcome out;
    out.error = input_refusal(table, settings.folds);
    if (!out.error.isEmpty())
        return out;
    QStringList kept_colours;
    const feature_table t = present_classes(table, colours, &kept_colours);
    const fold_split stratified = fold_split::stratified(t.classes, settings.folds, settings.seed);
    const fold_split animals = fold_split::by_animal(t.classes, t.animals);
    const bool by_animal = animals.folds >= 2;
    const int total = settings.rounds * (stratified.folds + (by_animal ? animals.folds : 0) + 1);
    int done = 0;
    bool ok = cross_validate(t, stratified, QString("%1-fold stratified").arg(settings.folds), settings,
                             control, done, total, out);
    if (ok && by_animal)
        ok = cross_validate(t, animals, QString("leave-one-animal-out (%1 animals)").arg(animals.folds),
                            settings, control, done, total, out);
    std::unique_ptr<boosted_trees> trees;
    if (ok)
        trees = boosted_trees::train(t, t.class_names.size(), settings, control, done, total, &out.error);
    if (!trees) {
        out.cancelled = control.cancelled();
        if (out.cancelled)
            out.error.clear();
        out.validations.clear();
        return out;
    }
    out.importance = trees->gain_importance(t.columns());
    out.model.settings = settings;
    out.model.classes = t.class_names;
    out.model.colours = kept_colours;
    out.model.features = t.features;
    out.model.units = t.units;
    out.model.window = t.window;
    out.model.trees = std::move(trees);
    return out;
}
