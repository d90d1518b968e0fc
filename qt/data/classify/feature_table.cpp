#include "data/classify/feature_table.h"

void feature_table::add_row(const std::vector<double>& row, int cls, const QString& animal)
{
    values.insert(values.end(), row.begin(), row.end());
    classes.push_back(cls);
    animals.push_back(animal);
}

feature_table feature_table::rows_at(const std::vector<int>& indexes) const
{
    feature_table t;
    t.features = features;
    t.units = units;
    t.class_names = class_names;
    t.window = window;
    t.values.reserve(indexes.size() * size_t(columns()));
    t.classes.reserve(indexes.size());
    for (int r : indexes) {
        const auto begin = values.begin() + ptrdiff_t(size_t(r) * size_t(columns()));
        t.values.insert(t.values.end(), begin, begin + columns());
        t.classes.push_back(classes[size_t(r)]);
        t.animals.push_back(animals[r]);
    }
    return t;
}

feature_table feature_table::with_columns(const QStringList& names) const
{
    std::vector<int> kept;
    feature_table t;
    t.class_names = class_names;
    t.classes = classes;
    t.animals = animals;
    t.window = window;
    for (const QString& n : names) {
        const int c = features.indexOf(n);
        if (c < 0)
            continue;
        kept.push_back(c);
        t.features << n;
        t.units << (c < units.size() ? units[c] : QString());
    }
    t.values.reserve(size_t(rows()) * kept.size());
    for (int r = 0; r < rows(); ++r)
        for (int c : kept)
            t.values.push_back(value(r, c));
    return t;
}

std::vector<int> feature_table::labelled_rows() const
{
    std::vector<int> out;
    for (int r = 0; r < rows(); ++r)
        if (classes[size_t(r)] != no_class)
            out.push_back(r);
    return out;
}

std::vector<int> feature_table::class_counts() const
{
    std::vector<int> counts(size_t(class_names.size()), 0);
    for (int c : classes)
        if (c >= 0 && c < int(counts.size()))
            ++counts[size_t(c)];
    return counts;
}
