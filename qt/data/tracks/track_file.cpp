#include "data/tracks/track_file.h"

#include "data/io/checked_commit.h"
#include "data/io/file_name_part.h"
#include "data/tracks/track_writer.h"

#include <QFileInfo>
#include <QSaveFile>

QString track_file::name(const QString& data_file, const QString& animal, track_format format)
{
    QString stem = QFileInfo(data_file).completeBaseName();
    if (!animal.isNull())
        stem += QLatin1Char('-') + name_part(animal);
    return stem + QLatin1Char('.') + track_format_suffix(format);
}

QString track_file::name_part(const QString& animal)
{
    return file_name_part(animal);
}

QString track_file::unwritable(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("does not exist");
    if (!info.isDir())
        return QStringLiteral("is not a folder");
    if (!info.isWritable())
        return QStringLiteral("cannot be written");
    return QString();
}

QString track_file::save(const QString& path, track_format format, const event_space& fixes,
                         const QString& title, const track_writer::step& going_on)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString reason;
    if (!track_writer::write(format, fixes, title, file, &reason, going_on)) {
        file.cancelWriting();
        return reason;
    }
    return checked_commit(file);
}
