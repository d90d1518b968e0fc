#include "data/load/eobs_tag_serial.h"

#include "data/model/burst_space.h"

#include <QFile>
#include <QList>

#include <initializer_list>

namespace {

QByteArray unquoted(QByteArray field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.startsWith('"') && field.endsWith('"'))
        field = field.mid(1, field.size() - 2);
    return field;
}

// The first data line's field under the first of names the header holds.
QString first_field(const QString& path, std::initializer_list<const char*> names)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // A header line is short.
    const QList<QByteArray> header = file.readLine(4096).split(',');
    int column = -1;
    for (const char* name : names) {
        for (int i = 0; i < header.size(); ++i)
            if (unquoted(header[i]) == name)
                column = i;
        if (column >= 0)
            break;
    }
    if (column < 0)
        return QString();
    // The tag-local-identifier follows the samples: up to 1 MiB of the line is read.
    const QList<QByteArray> fields = file.readLine(1 << 20).split(',');
    if (column >= fields.size())
        return QString();
    return QString::fromUtf8(unquoted(fields[column]));
}

} // namespace

QString eobs_tag_serial(const QString& path)
{
    return first_field(path, {"tag-serial-number"});
}

QString animal_tag_number(const QString& path, const QString& animal, const burst_space& space)
{
    return animal.isEmpty() ? eobs_tag_number(path) : space.tag;
}

QString eobs_tag_number(const QString& path)
{
    return first_field(path, {"tag-serial-number", "tag-local-identifier"});
}
