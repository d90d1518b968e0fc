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

feature_table metrics_features::table(const QString& axis_units, const QStringList& class_names,
                                     const static_window& window)
{
    feature_table t;
    t.window = window;
    t.features = names();
    t.units = units(axis_units);
    t.class_names = class_names;
    return t;
}

void metrics_features::append(feature_table& table, const QString& animal, const burst_space& space,
                              const std::vector<burst_metrics>& metrics, const label_segments* labels,
                              const QString& label_animal)
{
    const std::vector<int> of_bursts = labels ? classes(table.class_names, space, *labels, label_animal)
                                              : std::vector<int>(size_t(space.entry_count()), feature_table::no_class);
    table.values.reserve(table.values.size() + metrics.size() * size_t(table.columns()));
    for (qint32 i = 0; i < space.entry_count() && size_t(i) < metrics.size(); ++i)
        table.add_row(row(metrics[size_t(i)]), of_bursts[size_t(i)], animal);
}

std::vector<int> metrics_features::classes(QStringList& class_names, const burst_space& space,
                                           const label_segments& labels, const QString& label_animal)
{
    std::vector<int> out;
    out.reserve(size_t(space.entry_count()));
    for (qint32 i = 0; i < space.entry_count(); ++i) {
        const QString label = labels.label_at(label_animal, space.entry(i).burst->start_timestamp);
        int cls = label.isEmpty() ? feature_table::no_class : class_names.indexOf(label);
        if (!label.isEmpty() && cls < 0) {
            cls = class_names.size();
            class_names << label;
        }
        out.push_back(cls);
    }
    return out;
}
