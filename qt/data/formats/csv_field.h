#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstring>

class QTextCodec;

// Readings of one CSV field given as bytes [begin, end) that equal the reading of the decoded text:
// to_float is QString::toFloat (C locale; 0 for what is not a number), to_double QString::toDouble.
// Plain decimal numbers take a fast path; anything else is decoded with codec and read by Qt itself.
class csv_field
{
public:
    static float to_float(const char* begin, const char* end, QTextCodec* codec);
    static double to_double(const char* begin, const char* end, QTextCodec* codec);

    // Start time "yyyy-MM-dd hh:mm:ss.z" (one to three fraction digits) taken as UTC, in ms since the
    // epoch; 0 when the text does not match the pattern.
    static qint64 to_utc_msecs(const char* begin, const char* end, QTextCodec* codec);
    // As to_utc_msecs, and also the ISO 8601 spellings of the data repository: a "T" for the space,
    // no fraction or more digits of it, "Z" or an offset such as "+02:00" (subtracted).
    static qint64 to_utc_msecs_iso(const char* begin, const char* end, QTextCodec* codec);

    // The field's text as the text stream would decode it.
    static QString to_qstring(const char* begin, const char* end, QTextCodec* codec);

    // Whether the bytes [begin, end) are exactly text.
    static bool equals(const char* begin, const char* end, const char* text)
    {
        const std::size_t n = std::strlen(text);
        return static_cast<std::size_t>(end - begin) == n && std::memcmp(begin, text, n) == 0;
    }

    // Drops one pair of surrounding double quotes from a field of at least two bytes.
    static void unquote(const char*& begin, const char*& end);
    // The same for a text: one pair of surrounding quotes stripped, any other text unchanged.
    static QString unquote(const QString& text);

    // Parses the blank-separated pieces of [begin, end) with to_float into out, which must have room
    // for one value more than the blanks in the text; returns the number of pieces (an empty text is
    // one piece).
    static std::size_t split_floats(const char* begin, const char* end, float* out, QTextCodec* codec);

    // Calls visit(index, field_begin, field_end) for the fields of the line [begin, end) split at
    // every comma (empty fields kept, quotes mean nothing), until visit returns false.
    template <typename Visit> static void split_commas(const char* begin, const char* end, Visit&& visit)
    {
        for (std::size_t index = 0;; ++index) {
            const void* comma = std::memchr(begin, ',', static_cast<std::size_t>(end - begin));
            const char* field_end = comma ? static_cast<const char*>(comma) : end;
            if (!visit(index, begin, field_end) || !comma)
                return;
            begin = field_end + 1;
        }
    }
};
