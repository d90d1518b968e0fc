#pragma once

#include <QString>

// An animal's identifier as part of a file name, the same in every window and command: letters and
// digits of any script, '-' and '.' kept, anything else '_'; "unnamed" for none.
inline QString file_name_part(const QString& animal)
{
    QString part;
    for (const QChar c : animal)
        part += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ? c : QLatin1Char('_');
    return part.isEmpty() ? QStringLiteral("unnamed") : part;
}
