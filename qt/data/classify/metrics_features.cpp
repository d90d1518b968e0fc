#include "data/classify/metrics_features.h"

#include "data/classify/feature_table.h"
#include "data/labels/label_segments.h"
#include "data/metrics/burst_metrics.h"
#include "data/model/burst.h"
#include "data/model/burst_space.h"

QStringList metrics_features::names()
{
    return burst_metrics::figure_names();
}

QStringList metrics_features::units(const QString& axis_units)
{
    QStringList u;
    for (int a = 0; a < 3; ++a)
        u << axis_units << axis_units << axis_units << axis_units << "Hz" << axis_units;
    return u << axis_units << axis_units << "deg"
             << "deg";
}

std::vector<double> metrics_features::row(const burst_metrics& m)
{
    const auto f = m.figures();
    return std::vector<double>(f.begin(), f.end());
}

feature_table metrics_features::table(const QString& axis_units, const QStringList& class_names)
{
    feature_table t;
    t.features = names();
    t.units = units(axis_units);
    t.class_names = class_names;
    return t;
}

void metrics_features::append(feature_table& table, const QString& animal, const burst_space& space,
                              const std::vector<burst_metrics>& metrics, const label_segments* labels,
                              const QString& label_animal)
{
    table.values.reserve(table.values.size() + metrics.size() * size_t(table.columns()));
    for (qint32 i = 0; i < space.entry_count() && size_t(i) < metrics.size(); ++i) {
        int cls = feature_table::no_class;
        const QString label =
            labels ? labels->label_at(label_animal, space.entry(i).burst->start_timestamp) : QString();
        if (!label.isEmpty()) {
            cls = table.class_names.indexOf(label);
            if (cls < 0) {
                cls = table.class_names.size();
                table.class_names << label;
            }
        }
        table.add_row(row(metrics[size_t(i)]), cls, animal);
    }
}
