#include "data/io/zip_entry_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <cstring>
#include <memory>

namespace {

struct zip_closer
{
    void operator()(zip_t* zip) const { zip_discard(zip); }
};

} // namespace

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
    QStringList paths;
    if (!is_archive(archive))
        return paths;
    int code = 0;
    const std::unique_ptr<zip_t, zip_closer> zip(
        zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!zip)
        return paths;
    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(zip_get_name(zip.get(), static_cast<zip_uint64_t>(i), 0));
        if (escapes(name)) {
            if (escaping && escaping->isEmpty())
                *escaping = name;
        } else if (is_data_entry(name))
            paths << archive + QLatin1Char('/') + name;
    }
    return paths;
}

bool zip_entry_path::exists(const QString& path)
{
    if (QFileInfo(path).isFile())
        return true;
    QString archive;
    QString entry;
    return split(path, &archive, &entry) && entries(archive).contains(path);
}

bool zip_entry_path::escapes(const QString& name)
{
    return name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           (name.size() >= 2 && name[1] == QLatin1Char(':')) ||
           name.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

QString zip_entry_path::escape_refusal(const QString& archive, const QString& name)
{
    return QStringLiteral("Can't read file: the archive \"%1\" holds an entry named \"%2\", which points "
                          "outside the archive; nothing of it is read")
        .arg(QDir::toNativeSeparators(archive), name);
}

bool zip_entry_path::is_data_entry(const QString& name)
{
    return name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

bool zip_entry_path::is_archive(const QString& file_name)
{
    QFile file(file_name);
    char magic[4];
    return QFileInfo(file_name).isFile() && file.open(QIODevice::ReadOnly) && file.read(magic, 4) == 4 &&
           std::memcmp(magic, "PK\x03\x04", 4) == 0;
}
