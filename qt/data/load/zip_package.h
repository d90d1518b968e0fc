#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The acceleration and GPS entries of a zip archive that holds several data files, as entry paths:
// two entries named as a pair ("..._acc.txt" and "..._gps.txt", "...acc.csv" and "...gps.csv"),
// else the first entry each sensor's readers accept by its header; a download with both sensors'
// rows serves as both when no two entries pair.
class zip_package
{
public:
    // Reads the archive's directory and, without a pair of names, the entries' first lines, all
    // in one opening of the archive; callable off the GUI thread. step, if given, is called before
    // each entry's header check with the entries checked so far and their number; false from it
    // stops the search (cancelled then, acc and gps empty).
    explicit zip_package(const QString& archive, const std::function<bool(int, int)>& step = {});
    // No archive.
    zip_package() = default;

    bool archive = false; // the file starts as a zip archive does
    QStringList entries; // the data entries; none for a file that is no readable zip archive
    QString acc;         // empty when none was found
    QString gps;         // empty when none was found
    QString refusal;     // why the archive is not read (an entry name pointing outside it); else empty
    bool cancelled = false;

    // Whether the archive holds more than one data entry: the others then need choosing.
    bool several() const { return entries.size() > 1; }
};
