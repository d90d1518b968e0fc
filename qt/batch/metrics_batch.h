#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// The "metrics" command of dornvale-batch: reads each acceleration file and writes each animal's
// burst table (NAME-metrics.csv, NAME-ANIMAL-metrics.csv for a file of several) beside it or into
// --out DIR, in g under the tag's stored calibration or its default by tag number. Lines and exit
// codes as the activity command's.
class metrics_batch
{
public:
    // args are the words after the program name, starting with "metrics".
    static int run(const QStringList& args, std::ostream& out, std::ostream& err);

    static const char usage[];

    // The table's path for data_file (and animal, null for a file of one), in folder unless empty.
    static QString output_path(const QString& folder, const QString& data_file, const QString& animal);
};
