#pragma once

#include "data/metrics/static_window.h"

#include <QString>
#include <QStringList>

#include <vector>

class burst_space;
class feature_table;
class label_segments;
struct burst_metrics;

// The features behaviours are told apart by: the burst metrics, named as the burst table's columns
// (mean_x ... dom_amp_z, odba, vedba, pitch_deg, roll_deg).
class metrics_features
{
public:
    static QStringList names();
    // Per name: axis_units ("g" or "raw") for the axis figures, ODBA and VeDBA, "Hz", "deg".
    static QStringList units(const QString& axis_units);
    static std::vector<double> row(const burst_metrics& m);

    // Starts table (no rows, the names and units above, class_names as given) of figures computed
    // with window.
    static feature_table table(const QString& axis_units, const QStringList& class_names,
                               const static_window& window);
    // Appends a row per burst of space (metrics[i] of burst i) for animal, its class the label that
    // labels give the burst (looked up under label_animal); a label table lacks is added to its
    // class names. labels may be null: no classes.
    static void append(feature_table& table, const QString& animal, const burst_space& space,
                       const std::vector<burst_metrics>& metrics, const label_segments* labels,
                       const QString& label_animal);
    // The class of every burst of space as labels give it now (looked up under label_animal), an
    // index into class_names, which a label it lacks extends; feature_table::no_class for none.
    static std::vector<int> classes(QStringList& class_names, const burst_space& space,
                                    const label_segments& labels, const QString& label_animal);
};
