#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstring>

// Fields of a CSV line with standard quoting: a field that starts with a double quote runs to its
// closing quote, may hold commas, and writes a quote inside as two.
class csv_record
{
public:
    // Calls visit(index, field_begin, field_end) for each field, quotes included, until visit
    // returns false. An unclosed quote runs to the end of the line.
    template <typename Visit> static void split(const char* begin, const char* end, Visit&& visit)
    {
        for (std::size_t index = 0;; ++index) {
            const char* p = begin;
            if (p != end && *p == '"')
                p = closing_quote(p + 1, end);
            const void* comma = std::memchr(p, ',', static_cast<std::size_t>(end - p));
            const char* field_end = comma ? static_cast<const char*>(comma) : end;
            if (!visit(index, begin, field_end) || !comma)
                return;
            begin = field_end + 1;
        }
    }

    // The field's text: surrounding quotes dropped, a doubled quote inside read as one.
    static QByteArray text(const char* begin, const char* end);

private:
    // The position just past the quote that closes a field whose text starts at p, or end.
    static const char* closing_quote(const char* p, const char* end)
    {
        for (;;) {
            const void* quote = std::memchr(p, '"', static_cast<std::size_t>(end - p));
            if (!quote)
                return end;
            p = static_cast<const char*>(quote) + 1;
            if (p == end || *p != '"')
                return p;
            ++p;
        }
    }
};
