#include "data/classify/behaviour_model.h"

#include "data/classify/boosted_trees.h"
#include "data/classify/feature_table.h"

QString behaviour_model::fit_refusal(const feature_table& table) const
{
    QStringList missing;
    for (int i = 0; i < features.size(); ++i) {
        const int c = table.features.indexOf(features[i]);
        if (c < 0) {
            missing << features[i];
            continue;
        }
        const QString have = c < table.units.size() ? table.units[c] : QString();
        const QString want = i < units.size() ? units[i] : QString();
        if (have != want)
            return QString("feature %1 is in %2 here but in %3 in the model")
                .arg(features[i], have.isEmpty() ? "no unit" : have, want.isEmpty() ? "no unit" : want);
    }
    if (!missing.isEmpty())
        return QString("the model needs %1 %2, which the data lack")
            .arg(missing.size() == 1 ? "feature" : "features", missing.join(", "));
    if (table.window.seconds != window.seconds)
        return QString("its figures were computed with %1, these with %2")
            .arg(window.described(), table.window.described());
    return QString();
}

std::vector<float> behaviour_model::probabilities(const feature_table& table, QString* error) const
{
    *error = fit_refusal(table);
    if (!error->isEmpty())
        return {};
    if (!trees) {
        *error = "the model holds no trees";
        return {};
    }
    std::vector<int> column;
    for (const QString& f : features)
        column.push_back(table.features.indexOf(f));
    std::vector<float> values;
    values.reserve(size_t(table.rows()) * column.size());
    for (int r = 0; r < table.rows(); ++r)
        for (int c : column)
            values.push_back(float(table.value(r, c)));
    return trees->probabilities(values, table.rows(), int(column.size()), error);
}

std::vector<prediction> behaviour_model::predict(const feature_table& table, QString* error) const
{
    const std::vector<float> p = probabilities(table, error);
    if (p.empty())
        return {};
    const size_t k = size_t(classes.size());
    std::vector<prediction> out(size_t(table.rows()));
    for (size_t r = 0; r < out.size(); ++r) {
        const float* row = p.data() + r * k;
        size_t best = 0;
        for (size_t c = 1; c < k; ++c)
            if (row[c] > row[best])
                best = c;
        out[r] = prediction{int(best), row[best]};
    }
    return out;
}
