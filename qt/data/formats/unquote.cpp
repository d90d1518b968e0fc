#include "data/formats/unquote.h"

QString unquote(const QString& text)
{
    if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
        return text.mid(1, text.size() - 2);
    return text;
}
