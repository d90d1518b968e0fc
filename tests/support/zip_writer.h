#pragma once
// Small zip archives written by tests with libzip (link PkgConfig::LIBZIP).

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <zip.h>

namespace test_support {

// A zip archive of the entries (name, content), deflated, written at scratch; its bytes.
inline QByteArray zip_of(const QList<QPair<QByteArray, QByteArray>>& entries, const QString& scratch)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(scratch).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    for (const auto& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.second.constData(),
                                                 static_cast<zip_uint64_t>(entry.second.size()), 0);
        zip_file_add(archive, entry.first.constData(), source, ZIP_FL_ENC_UTF_8);
    }
    zip_close(archive);
    QFile file(scratch);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The same archive written at path; its path.
inline QString write_zip(const QString& path, const QList<QPair<QByteArray, QByteArray>>& entries)
{
    zip_of(entries, path);
    return path;
}

} // namespace test_support
