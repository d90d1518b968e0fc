#pragma once

#include <QByteArray>
#include <QString>

struct booster_settings;

// Why a model file's booster (XGBoost's UBJSON) must not be handed to XGBoost, whose reader and
// predictor trust it: a feature, child or parent index out of range, a node that leads back to
// itself, trees deeper or more numerous than the settings grow, counts that disagree, values that
// are not finite, or bytes that are no such model at all. Empty when it may be loaded.
class booster_refusal
{
public:
    // Far beyond an honest model (60 rounds of a few behaviours make a few thousand nodes).
    static constexpr int max_trees = 100000;
    static constexpr qint64 max_nodes = 4000000;

    // As words after "is damaged: ", e.g. "its tree 3 splits on feature 100000 of 3".
    static QString reason(const QByteArray& booster, int classes, int features,
                          const booster_settings& settings);
};
