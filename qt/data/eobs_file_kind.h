#pragma once

#include <QString>

// Which export a file is, decided by the readers' own header checks on its first line: each reader
// is started and stopped before its first data line, so no more than the first chunk is read.
class eobs_file_kind
{
public:
    enum kind { neither, acceleration, gps };

    // neither also for a file that is missing, unreadable or not a regular file (a pipe would block).
    static kind of(const QString& file_name);
};
