#pragma once

#include <QString>
#include <QStringList>

// Paths that name one entry of a zip archive, "<archive>/<entry name>" (an archive is a file, so no
// path on disk runs through it); the readers open them like files.
class zip_entry_path
{
public:
    // Splits path into the archive, the first part of it that is a regular file, and the entry
    // name after it; false for a path with no such part (a path on disk, or a missing one).
    static bool split(const QString& path, QString* archive, QString* entry);

    // The archive's .csv and .txt entries (any case) as entry paths, in archive order; empty for a
    // file that is no zip archive or cannot be read as one. An entry whose name points outside
    // the archive (zip_directory::escapes) is left out, and the first such name goes to *escaping.
    static QStringList entries(const QString& archive, QString* escaping = nullptr);

    // The message refusing an archive for an entry name pointing outside it, naming both.
    static QString escape_refusal(const QString& archive, const QString& name);

    // True for a regular file, and for an entry path of an archive that holds that entry.
    static bool exists(const QString& path);
};
