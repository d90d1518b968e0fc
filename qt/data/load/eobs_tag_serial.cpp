#include "data/load/eobs_tag_serial.h"

#include <QFile>
#include <QList>

namespace {

QByteArray unquoted(QByteArray field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.startsWith('"') && field.endsWith('"'))
        field = field.mid(1, field.size() - 2);
    return field;
}

} // namespace

QString eobs_tag_serial(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    // A header line is short; a data line may carry thousands of samples after the serial.
    const QList<QByteArray> header = file.readLine(4096).split(',');
    int column = -1;
    for (int i = 0; i < header.size(); ++i)
        if (unquoted(header[i]) == "tag-serial-number")
            column = i;
    if (column < 0)
        return QString();
    const QList<QByteArray> fields = file.readLine(4096).split(',');
    if (column >= fields.size())
        return QString();
    return QString::fromUtf8(unquoted(fields[column]));
}
