#pragma once

#include <QByteArray>
#include <QString>

// A text field of a CSV file, quoted when it holds a comma, a quote or a line break, starts with '#'
// (a reader taking '#' lines as comments would skip the row) or has blanks at either end (a reader
// trimming its fields would lose them).
inline QString csv_quoted(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
        !text.startsWith(QLatin1Char('#')) && text == text.trimmed())
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The same, as UTF-8.
inline QByteArray csv_text(const QString& text)
{
    return csv_quoted(text).toUtf8();
}
