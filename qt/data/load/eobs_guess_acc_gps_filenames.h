#pragma once

#include <QString>

// Derives the names of a matching acceleration/GPS file pair from one chosen name ("_acc.txt" /
// "_gps.txt", "acc.csv" / "gps.csv"). Both names stay empty when the name matches no pattern.
// Existence of the files is not checked.
class eobs_guess_acc_gps_filenames
{
public:
    explicit eobs_guess_acc_gps_filenames(const QString& name);

    // The program's one pairing rule: the GPS (or acceleration) file that name names as its partner,
    // when it exists (as a file or a zip entry) and is not name itself; empty otherwise.
    static QString existing_gps_partner(const QString& name);
    static QString existing_acc_partner(const QString& name);

    QString acc_filename;
    QString gps_filename;
};
