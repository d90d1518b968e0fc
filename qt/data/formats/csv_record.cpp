#include "data/formats/csv_record.h"

#include "data/formats/csv_field.h"

QByteArray csv_record::text(const char* begin, const char* end)
{
    const bool quoted = end - begin >= 2 && *begin == '"' && end[-1] == '"';
    csv_field::unquote(begin, end);
    QByteArray text(begin, static_cast<int>(end - begin));
    if (quoted)
        text.replace("\"\"", "\"");
    return text;
}
