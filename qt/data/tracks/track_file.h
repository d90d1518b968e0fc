#pragma once

#include "data/tracks/track_format.h"
#include "data/tracks/track_writer.h"

#include <QString>

class event_space;

// A track written to a file of its own, atomically (a temporary file beside it, then renamed).
class track_file
{
public:
    // The file name for the track of data_file (and animal, null for a file of one): "NAME.gpx", NAME
    // the data file's name without its last suffix, with "-" and name_part(animal) after it.
    static QString name(const QString& data_file, const QString& animal, track_format format);
    // An animal's identifier as part of a file name: letters, digits, '-', '_' and '.' kept, others
    // '_'; "unnamed" for none.
    static QString name_part(const QString& animal);

    // Why folder cannot take new files ("does not exist", "is not a folder", "cannot be written");
    // empty when it can.
    static QString unwritable(const QString& folder);

    // Writes the fixes to path; empty on success, else the reason. A write that fails or that going_on
    // stops leaves whatever file was at path as it was.
    static QString save(const QString& path, track_format format, const event_space& fixes,
                        const QString& title, const track_writer::step& going_on = {});
};
