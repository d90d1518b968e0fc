#pragma once

#include <QByteArray>
#include <QString>

// A text field of a CSV file as UTF-8, quoted when it holds a comma, a quote or a line break, or
// starts with '#' (a reader taking '#' lines as comments would skip the row).
inline QByteArray csv_text(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n') && !utf8.contains('\r') &&
        !utf8.startsWith('#'))
        return utf8;
    return '"' + utf8.replace('"', "\"\"") + '"';
}
