#pragma once

#include <QByteArray>
#include <QString>

// What a file held when it was read or written: enough to tell, before writing over it, whether
// another program or window changed it since (size and time alone miss a change within the same
// second, so the bytes' checksum is kept too).
struct file_stamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 modified_ms = 0;
    QByteArray checksum; // SHA-1 of the bytes

    // The stamp of bytes that are (or were just written) at path.
    static file_stamp of_bytes(const QString& path, const QByteArray& bytes);
    // The file as it is now; reads it whole (a missing file gives exists = false).
    static file_stamp of_file(const QString& path);
    // Whether path still holds what this stamp says; reads the bytes only when size and time agree.
    bool still_at(const QString& path) const;

    bool operator==(const file_stamp& o) const
    {
        return exists == o.exists && (!exists || (size == o.size && modified_ms == o.modified_ms &&
                                                  checksum == o.checksum));
    }
    bool operator!=(const file_stamp& o) const { return !(*this == o); }
};
