#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// The "activity" command of dornvale-batch: reads each acceleration file with the program's loader
// chain and writes its activity CSV and/or PNG. One line per written file goes to out, one line per
// failed file to err; a failed file does not stop the others.
class activity_batch
{
public:
    static constexpr int exit_ok = 0;
    static constexpr int exit_file_failed = 1; // at least one file could not be read or written
    static constexpr int exit_usage = 2;       // the command line is wrong; nothing was read

    // args are the words after the program name, starting with "activity".
    static int run(const QStringList& args, std::ostream& out, std::ostream& err);

    static const char usage[];

private:
    // Output path for data_file given the --csv/--png argument (empty: beside the input).
    static QString output_path(const QString& argument, const QString& data_file, const QString& suffix);
    // Empty on success, else the message line for err.
    static QString process(const QString& file, const QString& csv, const QString& png, QString& done);
};
