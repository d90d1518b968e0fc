#include "data/labels/file_stamp.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

file_stamp file_stamp::of_bytes(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return file_stamp();
    return {true, bytes.size(), info.lastModified().toMSecsSinceEpoch(),
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha1)};
}

bool file_stamp::still_at(const QString& path) const
{
    const QFileInfo info(path);
    if (info.exists() != exists || (exists && (info.size() != size ||
                                               info.lastModified().toMSecsSinceEpoch() != modified_ms)))
        return false;
    return !exists || of_file(path) == *this;
}

file_stamp file_stamp::of_file(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return file_stamp();
    file_stamp s{true, info.size(), info.lastModified().toMSecsSinceEpoch(), QByteArray()};
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return s; // no checksum: equals no stamp read from bytes
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    s.checksum = hash.result();
    return s;
}
