#pragma once

#include "data/metrics/applied_calibration.h"
#include "data/metrics/burst_metrics.h"
#include "data/metrics/static_window.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class QIODevice;
class burst_space;

// The label of the burst of animal starting at start_ms (ms since 1970 UTC); empty for none.
using burst_label_lookup = std::function<QString(const QString& animal, qint64 start_ms)>;

// The column line of a burst table, with its line end.
extern const char burst_table_header[];

// The burst table's file name for data_file (and animal, null for a file of one), as every window and
// command names it: "NAME-ANIMAL-metrics.csv", NAME the data file's name without its last suffix.
QString burst_table_file_name(const QString& data_file, const QString& animal);

// The first line of a burst table: "# units=g static=burst-mean calibration=default-by-tag".
QString burst_table_units_line(const applied_calibration& calibration, const static_window& window);

// Columns after the label: their names (",predicted,probability") and burst i's fields, each led by a comma.
struct burst_table_columns
{
    QByteArray names;
    std::function<QByteArray(qint32 burst)> fields;
};

// Writes one animal's burst table: the units line, the column line, then one line per burst of space
// with metrics[i] (computed with calibration and window), its label from labels (none when empty)
// and the more columns. A figure that does not exist is written NA; text is quoted for spreadsheets.
// Returns false with the device's error text in error when a write fails.
bool write_burst_table_csv(QIODevice& out, const QString& animal, const burst_space& space,
                           const std::vector<burst_metrics>& metrics, const applied_calibration& calibration,
                           const static_window& window, const burst_label_lookup& labels, QString* error,
                           const burst_table_columns& more = {});
