#pragma once

#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_table_csv.h"
#include "data/metrics/static_window.h"

#include <QString>

class QWidget;
class burst_space;

// File > Export Bursts...: asks where (NAME-metrics.csv beside the data to start with; replacing a
// file is asked first), then computes the figures and writes the burst table on a worker thread
// behind a progress dialog with Cancel. The file is written atomically; a failure is said in a message.
class burst_table_export
{
public:
    // Where the table is proposed: beside the data, named as the batch names it.
    static QString proposed_path(const QString& data_path, const QString& animal);
    // Returns the path written, empty when cancelled or failed.
    static QString run(QWidget* parent, const burst_space& space, const QString& data_path, const QString& animal,
                       const applied_calibration& calibration, const static_window& window,
                       const burst_label_lookup& labels);
};
