#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <ostream>
#include <vector>

class burst_space;
class event_space;

// The "activity" command of dornvale-batch: reads each acceleration file with the program's loader
// chain and writes each animal's activity CSV and/or PNG; with --summary a row of rhythm figures per
// animal in one file, with --sun a table of each day's sunrise and sunset from the animal's fixes in
// the file's GPS partner; with --utc-offset all of them on that clock. One line per animal written goes to
// out, one line per failed file or animal, and per file with lines that could not be read, to err; a failure
// does not stop the others.
class activity_batch
{
public:
    // args are the words after the program name, starting with "activity".
    static int run(const QStringList& args, std::ostream& out, std::ostream& err);

    static const char usage[];

private:
    // What the command line asks for: the --csv and --png arguments (empty: beside the input).
    struct outputs
    {
        QString csv, png;
        bool csv_on, png_on;
        QString summary; // the --summary file; empty for none
        bool sun = false;
        qint32 utc_offset_minutes = 0;
        QString figure; // the --figure file or folder; empty for none
        bool figure_on = false;
    };
    // Output path for data_file (and animal, null for a file of one) given the --csv/--png argument.
    static QString output_path(const QString& argument, const QString& data_file, const QString& animal,
                               const QString& suffix);
    // Reads file and writes each animal's outputs, printing their lines; the number of failed lines.
    // Summary rows are appended to summary.
    static int process(const QString& file, const outputs& wanted, QSet<QString>& taken, QString& summary,
                       std::ostream& out, std::ostream& err);
    // Empty on success (done: the line's words after the name), else the reason. fixes: the animal's
    // from the GPS partner, null for none (with --sun a failure).
    static QString write_outputs(const QString& file, const QString& animal, const burst_space& space,
                                 const event_space* fixes, const outputs& wanted, QSet<QString>& taken,
                                 QString& summary, QString& done);
};
