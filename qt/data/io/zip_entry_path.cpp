#include "data/io/zip_entry_path.h"

#include "data/io/zip_directory.h"

#include <QDir>
#include <QFileInfo>

bool zip_entry_path::split(const QString& path, QString* archive, QString* entry)
{
    if (QFileInfo(path).exists())
        return false;
    for (int slash = path.indexOf(QLatin1Char('/'), 1); slash > 0;
         slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
        const QFileInfo prefix(path.left(slash));
        if (!prefix.exists())
            return false;
        if (prefix.isFile()) {
            *archive = path.left(slash);
            *entry = path.mid(slash + 1);
            return !entry->isEmpty();
        }
    }
    return false;
}

QStringList zip_entry_path::entries(const QString& archive, QString* escaping)
{
    const zip_directory directory(archive);
    if (escaping && escaping->isEmpty())
        *escaping = directory.escaping;
    return directory.entries;
}

bool zip_entry_path::exists(const QString& path)
{
    if (QFileInfo(path).isFile())
        return true;
    QString archive;
    QString entry;
    return split(path, &archive, &entry) && entries(archive).contains(path);
}

QString zip_entry_path::escape_refusal(const QString& archive, const QString& name)
{
    return QStringLiteral("Can't read file: the archive \"%1\" holds an entry named \"%2\", which points "
                          "outside the archive; nothing of it is read")
        .arg(QDir::toNativeSeparators(archive), name);
}
