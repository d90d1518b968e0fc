#pragma once

#include "data/metrics/static_window.h"

#include <QString>
#include <QStringList>

#include <vector>

// Rows of numeric features, one per burst, with the burst's class (an index into class_names, or
// no_class) and its animal. Values are kept row by row.
class feature_table
{
public:
    static constexpr int no_class = -1;

    QStringList features;       // column names
    QStringList units;          // one per feature ("g", "Hz", "deg", ...); empty when unknown
    QStringList class_names;    // the classes rows may name
    std::vector<double> values; // rows() * features.size(), row-major
    std::vector<int> classes;   // per row
    QStringList animals;        // per row
    static_window window;       // the static part the rows' figures were computed with

    int rows() const { return int(classes.size()); }
    int columns() const { return int(features.size()); }
    double value(int row, int column) const
    {
        return values[size_t(row) * size_t(columns()) + size_t(column)];
    }

    // Appends a row of columns() values.
    void add_row(const std::vector<double>& row, int cls, const QString& animal);
    // The rows at the given indexes, in that order.
    feature_table rows_at(const std::vector<int>& indexes) const;
    // The same rows with only the named columns, in the order given; unknown names are left out.
    feature_table with_columns(const QStringList& names) const;
    // The indexes of the rows that have a class.
    std::vector<int> labelled_rows() const;
    // Labelled rows per class.
    std::vector<int> class_counts() const;
};
