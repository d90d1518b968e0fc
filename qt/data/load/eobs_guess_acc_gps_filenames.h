#pragma once

#include <QString>

// Derives the names of a matching acceleration/GPS file pair from one chosen name ("_acc.txt" /
// "_gps.txt", "acc.csv" / "gps.csv"). Both names stay empty when the name matches no pattern.
// Existence of the files is not checked.
class eobs_guess_acc_gps_filenames
{
public:
    explicit eobs_guess_acc_gps_filenames(const QString& name);

    QString acc_filename;
    QString gps_filename;
};
