#pragma once

#include "data/tracks/track_format.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <ostream>

// The "track" command of dornvale-batch: reads each GPS file (or the GPS partner of an acceleration
// file, by the program's pairing of names) with the program's loader chain and writes each animal's
// track as GPX, KML or GeoJSON with every fix the map draws. Lines as the "activity" command writes
// them: one per animal written to out, one per failure to err; a failure does not stop the others.
class track_batch
{
public:
    // args are the words after the program name, starting with "track".
    static int run(const QStringList& args, std::ostream& out, std::ostream& err);

    static const char usage[];

private:
    // Reads file and writes each animal's track into folder (empty: beside the file); failed lines.
    static int process(const QString& file, track_format format, const QString& folder, QSet<QString>& taken,
                       std::ostream& out, std::ostream& err);
};
