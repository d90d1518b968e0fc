#pragma once
// Small zip archives written by tests with libzip (link PkgConfig::LIBZIP).

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <zip.h>

namespace test_support {

// Entries (name, content) zipped, deflated (AES-encrypted given a password), written at scratch; its bytes.
inline QByteArray zip_of(const QList<QPair<QByteArray, QByteArray>>& entries, const QString& scratch,
                         const char* password = nullptr)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(scratch).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    for (const auto& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.second.constData(),
                                                 static_cast<zip_uint64_t>(entry.second.size()), 0);
        const zip_int64_t index = zip_file_add(archive, entry.first.constData(), source, ZIP_FL_ENC_UTF_8);
        if (password)
            zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password);
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
