#pragma once

#include <QByteArray>
#include <QString>

// Which export a file is, decided by the readers' own header checks on its first line: each reader
// is started and stopped before its first data line, so no more than the first chunk is read.
class eobs_file_kind
{
public:
    enum kind { neither, acceleration, gps };

    // neither also for a file that is missing, unreadable or not a regular file (a pipe would block).
    // An entry path of a zip archive counts as a file.
    static kind of(const QString& file_name);

    // Whether a reader of that kind, the named-column one included, accepts the file's header; a
    // download with both sensors' rows reads as both. False as of() would give neither.
    static bool reads_as(const QString& file_name, kind sensor);

    // reads_as() for both sensors, judged on the entry's first bytes (zip_directory::head) alone.
    struct readings
    {
        bool acc = false;
        bool gps = false;
    };
    static readings of_head(const QString& entry_path, const QByteArray& head);

private:
    // of() without the check that the file exists.
    static kind fixed_kind(const QString& file_name);
};
