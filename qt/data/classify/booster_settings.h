#pragma once

#include <QJsonObject>

// How the trees are grown and validated. The seed fixes every random choice (the folds and the
// booster's own), so a run with the same data and settings gives the same model.
struct booster_settings
{
    int rounds = 60;
    int max_depth = 6;
    double eta = 0.3;
    int folds = 5;
    quint32 seed = 20260;
    int threads = 2;
    bool weight_classes = true; // weight = n / (k * n_class), so rare behaviours count as much

    QJsonObject to_json() const;
    // Missing or wrong members keep their defaults; false when any value is out of range.
    bool from_json(const QJsonObject& o);
};
