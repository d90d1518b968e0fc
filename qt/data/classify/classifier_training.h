#pragma once

#include "data/classify/behaviour_model.h"
#include "data/classify/validation_result.h"

#include <QString>
#include <QStringList>

#include <vector>

class feature_table;
struct training_control;

// What a training run gives: the validations (stratified k-fold, and leave-one-animal-out when two
// or more animals have labelled bursts), the gain of each feature and the model trained on every
// labelled row. When error is set or the run was cancelled, nothing else is.
struct training_outcome
{
    QString error;
    bool cancelled = false;
    std::vector<validation_result> validations;
    std::vector<double> importance; // per model feature
    behaviour_model model;
};

// Validates, then trains the model, on the labelled rows of a feature table.
class classifier_training
{
public:
    // colours: per table class name (may be empty). The model's classes are those with labelled rows.
    static training_outcome run(const feature_table& table, const QStringList& colours,
                                const booster_settings& settings, const training_control& control);
    // Why table cannot be trained on and validated with folds folds (fewer than two behaviours, or
    // too few bursts of one); empty when it can.
    static QString input_refusal(const feature_table& table, int folds);
};
