#pragma once

#include "data/classify/booster_settings.h"
#include "data/metrics/static_window.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class boosted_trees;
class feature_table;

// A behaviour predicted for one row: the class (an index into behaviour_model::classes) and its
// probability.
struct prediction
{
    int cls = -1;
    float probability = 0;
};

// A trained classifier with what it needs to be applied again: the settings it was trained with,
// the behaviours it tells apart (with their colours), and the features it reads with their units.
class behaviour_model
{
public:
    booster_settings settings;
    QStringList classes;
    QStringList colours;  // per class, "#rrggbb"; may be empty
    QStringList features; // in the booster's column order
    QStringList units;    // per feature
    static_window window; // the static part of the figures it learnt from
    std::shared_ptr<const boosted_trees> trees;

    // Why the model cannot read table (a feature it lacks, one in other units, or figures with another
    // static part); empty when it can.
    QString fit_refusal(const feature_table& table) const;
    // The most probable class of every row of table, whose columns are matched by name; empty with
    // error set when the model does not fit or XGBoost fails.
    std::vector<prediction> predict(const feature_table& table, QString* error) const;
    // The same with every class's probability, row by row.
    std::vector<float> probabilities(const feature_table& table, QString* error) const;
};
