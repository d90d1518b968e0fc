#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>

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

    // The field's text as the text stream would decode it.
    static QString to_qstring(const char* begin, const char* end, QTextCodec* codec);

    // Drops one pair of surrounding double quotes from a field of at least two bytes.
    static void unquote(const char*& begin, const char*& end);

    // Parses the blank-separated pieces of [begin, end) with to_float into out, which must have room
    // for one value more than the blanks in the text; returns the number of pieces (an empty text is
    // one piece).
    static std::size_t split_floats(const char* begin, const char* end, float* out, QTextCodec* codec);
};
