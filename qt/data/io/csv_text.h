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

// A text field of a CSV file meant for spreadsheets, which run a field starting with = + - @ (or a tab
// or carriage return) as a formula: such a field is quoted and led by an apostrophe. Never for the
// program's own data files, which must read back as written.
inline QString csv_quoted_for_sheets(const QString& text)
{
    const char16_t c = text.isEmpty() ? 0 : text.front().unicode();
    if (c != '=' && c != '+' && c != '-' && c != '@' && c != '\t' && c != '\r')
        return csv_quoted(text);
    return QStringLiteral("\"'") + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The same, as UTF-8.
inline QByteArray csv_text_for_sheets(const QString& text)
{
    return csv_quoted_for_sheets(text).toUtf8();
}
