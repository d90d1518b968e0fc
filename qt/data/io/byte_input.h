#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What a byte_source reads: a file or zip entry path by name, or bytes held in memory under a name
// (read as they are, never unpacked). A file name converts to one, so readers take either.
struct byte_input
{
    byte_input(const QString& file_name) : name(file_name) {}
    byte_input(const char* file_name) : name(QString::fromUtf8(file_name)) {}
    byte_input(const QString& name, const QByteArray& bytes) : name(name), memory(bytes) {}

    QString name;
    std::optional<QByteArray> memory;
};
