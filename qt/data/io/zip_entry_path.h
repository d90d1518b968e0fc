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
    // file that is no zip archive or cannot be read as one. An entry whose name escapes() is left
    // out, and the first such name goes to *escaping.
    static QStringList entries(const QString& archive, QString* escaping = nullptr);

    // Whether an entry name points outside its archive: a ".." part, an absolute path or a drive,
    // or a backslash (a separator elsewhere).
    static bool escapes(const QString& name);
    // The message refusing an archive for such an entry, naming both.
    static QString escape_refusal(const QString& archive, const QString& name);

    // True for a regular file, and for an entry path of an archive that holds that entry.
    static bool exists(const QString& path);

    // Whether the file starts as a zip archive does (it may still be damaged).
    static bool is_archive(const QString& file_name);

    // Whether an entry of that name holds data: its name ends in ".csv" or ".txt" (any case).
    static bool is_data_entry(const QString& name);
};
