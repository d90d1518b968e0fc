#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

class burst_space;
class feature_table;
class label_segments;
struct applied_calibration;
struct burst_metrics;
struct static_window;

// The "classify" command of dornvale-batch: applies a behaviour model to each acceleration file and
// writes each animal's burst table with the columns predicted,probability added (NAME-classified.csv,
// NAME-ANIMAL-classified.csv for a file of several) beside it or into --out DIR. Lines and exit
// codes as the activity command's.
class classify_batch
{
public:
    // args are the words after the program name, starting with "classify".
    static int run(const QStringList& args, std::ostream& out, std::ostream& err);
    static const char usage[];

    // One animal of a file as the classifier sees it: its metrics, the labels of the file, the
    // features in table (rows appended), all in the tag's calibration.
    using animal_reader = std::function<QString(
        const QString& animal, const QString& id, const burst_space& space,
        const std::vector<burst_metrics>& metrics, const applied_calibration& calibration, QString& done)>;
    // Reads file's labels file (a broken one is a failure of the file, and so are lines of it skipped;
    // its warnings go to err) and computes each animal's metrics with window, calling read; the
    // number of failures.
    static int for_each_animal(const QString& file, const static_window& window, label_segments& labels,
                               std::ostream& out, std::ostream& err, const animal_reader& read);
};
