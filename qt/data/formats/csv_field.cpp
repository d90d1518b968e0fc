#include "data/formats/csv_field.h"

#include <QDateTime>
#include <QTextCodec>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <charconv>
#include <cstring>
#include <limits>

namespace {

inline bool is_digit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// "-?digits(.digits)?" read to the correctly rounded double, as Qt reads it. Up to 15 digits make an
// exact integer and a power of ten up to 1e15 is exact, so one division rounds correctly; a longer
// text of at most 20 bytes goes to from_chars. The values stay far from the float range limits, so
// narrowing to float matches QString::toFloat too.
bool plain_decimal(const char* b, const char* e, double& value)
{
    static const double powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (e - b > 20)
        return false; // keeps the digit count small on any field
    const bool negative = b != e && *b == '-';
    quint64 digits = 0;
    int count = 0, before_point = -1;
    for (const char* p = b + negative; p != e; ++p) {
        const auto d = static_cast<unsigned char>(*p - '0');
        if (d < 10) {
            digits = digits * 10 + d;
            ++count;
        } else if (*p == '.' && before_point < 0) {
            before_point = count;
        } else {
            return false;
        }
    }
    const int fraction = before_point < 0 ? 0 : count - before_point;
    if (count == 0 || before_point == 0 || (before_point > 0 && fraction == 0))
        return false;
    if (count <= 15) {
        const double magnitude = static_cast<double>(digits) / powers_of_ten[fraction];
        value = negative ? -magnitude : magnitude;
        return true;
    }
    return std::from_chars(b, e, value).ptr == e;
}

// "-?digits" of at most nine digits: exact as an integer, rounded once to float.
inline bool plain_integer(const char* b, const char* e, float& value)
{
    const bool negative = b != e && *b == '-';
    const char* p = b + negative;
    if (p == e || e - p > 9)
        return false;
    quint32 n = 0;
    for (; p != e; ++p) {
        if (!is_digit(*p))
            return false;
        n = n * 10 + static_cast<quint32>(*p - '0');
    }
    value = negative ? -static_cast<float>(n) : static_cast<float>(n);
    return true;
}

int two_digits(const char* p)
{
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// Days from 1970-01-01 to a proleptic Gregorian date.
qint64 days_from_civil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<qint64>(doe) - 719468;
}

bool leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The date and time of "dddd-dd-dd?dd:dd:dd" at b (shape checked) in ms since the epoch; false for
// a date or time that does not exist.
bool civil_msecs(const char* b, qint64& msecs)
{
    const int year = two_digits(b) * 100 + two_digits(b + 2);
    const int month = two_digits(b + 5), day = two_digits(b + 8);
    const int hour = two_digits(b + 11), minute = two_digits(b + 14), second = two_digits(b + 17);
    static const int month_days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return false;
    if (day > month_days[month - 1] + (month == 2 && leap(year)))
        return false;
    msecs = (days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
             hour * 3600 + minute * 60 + second) *
            1000;
    return true;
}

// The exported form "dddd-dd-dd dd:dd:dd.d[d[d]]" with a valid date and time.
bool canonical_timestamp(const char* b, const char* e, qint64& msecs)
{
    const auto n = e - b;
    if (n < 21 || n > 23)
        return false;
    static const char shape[] = "dddd-dd-dd dd:dd:dd.ddd";
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        if (shape[i] == 'd' ? !is_digit(b[i]) : b[i] != shape[i])
            return false;
    }
    if (!civil_msecs(b, msecs))
        return false;
    int fraction = 0; // the digits are a decimal fraction of a second: ".5" is 500 ms
    for (std::ptrdiff_t i = 20; i < 23; ++i)
        fraction = fraction * 10 + (i < n ? b[i] - '0' : 0);
    msecs += fraction;
    return true;
}

// "dddd-dd-dd dd:dd:dd" or with a "T", any fraction of a second (ms from its first three digits),
// then nothing, "Z" or an offset "+hh:mm", "+hhmm", "+hh" (or "-"): the ISO 8601 spellings.
bool iso_timestamp(const char* b, const char* e, qint64& msecs)
{
    if (e - b < 19)
        return false;
    static const char shape[] = "dddd-dd-dd dd:dd:dd";
    for (std::ptrdiff_t i = 0; i < 19; ++i) {
        if (i == 10 ? b[i] != ' ' && b[i] != 'T' : shape[i] == 'd' ? !is_digit(b[i]) : b[i] != shape[i])
            return false;
    }
    const char* p = b + 19;
    int fraction = 0;
    if (p != e && *p == '.') {
        const char* digits = ++p;
        for (; p != e && is_digit(*p); ++p)
            if (p - digits < 3)
                fraction = fraction * 10 + (*p - '0');
        if (p == digits)
            return false;
        for (auto k = p - digits; k < 3; ++k)
            fraction *= 10;
    }
    int offset_minutes = 0;
    if (p != e && (*p == 'Z' || *p == 'z')) {
        ++p;
    } else if (p != e && (*p == '+' || *p == '-')) {
        const int sign = *p++ == '-' ? -1 : 1;
        if (e - p < 2 || !is_digit(p[0]) || !is_digit(p[1]))
            return false;
        const int hours = two_digits(p);
        p += 2;
        int minutes = 0;
        const bool colon = p != e && *p == ':';
        p += colon ? 1 : 0;
        if (e - p >= 2 && is_digit(p[0]) && is_digit(p[1])) {
            minutes = two_digits(p);
            p += 2;
        } else if (colon) {
            return false;
        }
        if (hours > 23 || minutes > 59)
            return false;
        offset_minutes = sign * (hours * 60 + minutes);
    }
    if (p != e || !civil_msecs(b, msecs))
        return false;
    msecs += fraction - qint64(offset_minutes) * 60000;
    return true;
}

} // namespace

QString csv_field::to_qstring(const char* b, const char* e, QTextCodec* codec)
{
    if (e - b > std::numeric_limits<int>::max())
        return QString(); // beyond what a QString holds; such fields never reach here from the readers
    const auto n = static_cast<int>(e - b);
    bool ascii = true;
    for (const char* p = b; p != e && ascii; ++p)
        ascii = static_cast<unsigned char>(*p) < 0x80;
    if (ascii)
        return QString::fromLatin1(b, n);
    // In the stream a field is always followed by a comma or a line end and is never at the start
    // of the input: decode it the same way (no mark skipped, incomplete sequences made invalid).
    QByteArray bytes(b, n);
    bytes.append(',');
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    text.chop(1);
    return text;
}

float csv_field::to_float(const char* b, const char* e, QTextCodec* codec)
{
    float f;
    if (plain_integer(b, e, f))
        return f;
    double d;
    if (plain_decimal(b, e, d))
        return static_cast<float>(d);
    if (b == e)
        return 0.f;
    return to_qstring(b, e, codec).toFloat();
}

double csv_field::to_double(const char* b, const char* e, QTextCodec* codec)
{
    double d;
    if (plain_decimal(b, e, d))
        return d;
    return to_qstring(b, e, codec).toDouble();
}

qint64 csv_field::to_utc_msecs(const char* b, const char* e, QTextCodec* codec)
{
    qint64 msecs;
    if (canonical_timestamp(b, e, msecs))
        return msecs;
    const QDateTime parsed =
        QDateTime::fromString(to_qstring(b, e, codec), QStringLiteral("yyyy-MM-dd hh:mm:ss.z"));
    if (!parsed.isValid())
        return 0;
    return QDateTime(parsed.date(), parsed.time(), Qt::UTC).toMSecsSinceEpoch();
}

qint64 csv_field::to_utc_msecs_iso(const char* b, const char* e, QTextCodec* codec)
{
    qint64 msecs;
    if (canonical_timestamp(b, e, msecs) || iso_timestamp(b, e, msecs))
        return msecs;
    return to_utc_msecs(b, e, codec);
}

QString csv_field::unquote(const QString& text)
{
    if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
        return text.mid(1, text.size() - 2);
    return text;
}

void csv_field::unquote(const char*& b, const char*& e)
{
    if (e - b >= 2 && *b == '"' && e[-1] == '"') {
        ++b;
        --e;
    }
}

namespace {

// Bit i set: p[i] is a blank, for the 64 bytes at p.
inline quint64 blanks_of_64(const char* p)
{
    quint64 bits = 0;
#ifdef __SSE2__
    const __m128i blank = _mm_set1_epi8(' ');
    for (int i = 0; i < 4; ++i) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        bits |= quint64(static_cast<quint32>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blank)))) << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i)
        bits |= quint64(p[i] == ' ') << i;
#endif
    return bits;
}

// A piece of one to four digits read from the four bytes at p (all readable); false for others.
inline bool up_to_four_digits(const char* p, std::size_t length, float& value)
{
    if (length - 1 >= 4) // also rejects 0
        return false;
    quint32 v;
    std::memcpy(&v, p, 4);
    // The piece's bytes moved to the top (the first digit lowest), zero bytes before them.
    const unsigned shift = 8 * (4 - static_cast<unsigned>(length));
    quint32 d = (v << shift) - (0x30303030u << shift);
    if (((d + 0x76767676u) | d) & 0x80808080u) // a byte that is no digit
        return false;
    d = d * 10 + (d >> 8);                             // pairs of digits in bytes 0 and 2
    d = ((d & 0x00FF00FFu) * ((100u << 16) + 1u)) >> 16; // the first pair times 100 plus the second
    value = static_cast<float>(d & 0xFFFFu);
    return true;
}

// split_floats one byte after the other.
std::size_t split_blanks(const char* b, const char* e, float* out, QTextCodec* codec)
{
    // One pass over the bytes: a piece of only "-?digits" (one to nine) is read here; any other
    // piece goes to to_float.
    std::size_t count = 0;
    const char* piece = b;
    quint32 n = 0;
    int digits = 0;
    bool negative = false, plain = true;
    const auto finish = [&](const char* end) {
        if (plain && digits > 0 && digits <= 9) {
            const float f = static_cast<float>(static_cast<qint32>(n));
            out[count++] = negative ? -f : f;
        } else {
            out[count++] = csv_field::to_float(piece, end, codec);
        }
    };
    for (const char* p = b; p != e; ++p) {
        const auto d = static_cast<unsigned char>(*p - '0');
        if (d < 10) {
            n = n * 10 + d;
            ++digits;
        } else if (*p == ' ') {
            finish(p);
            piece = p + 1;
            n = 0;
            digits = 0;
            negative = false;
            plain = true;
        } else if (*p == '-' && p == piece) {
            negative = true;
        } else {
            plain = false;
        }
    }
    finish(e);
    return count;
}

} // namespace

std::size_t csv_field::split_floats(const char* b, const char* e, float* out, QTextCodec* codec)
{
    // Blanks are found 64 bytes at a time, while four bytes past each window stay readable; a piece
    // of one to four digits is read from its four bytes at once, any other as split_blanks reads it.
    std::size_t count = 0;
    const char* piece = b;
    for (const char* window = b; e - window >= 68; window += 64) {
        for (quint64 blanks = blanks_of_64(window); blanks; blanks &= blanks - 1) {
            const char* const blank = window + __builtin_ctzll(blanks);
            float value;
            if (!up_to_four_digits(piece, static_cast<std::size_t>(blank - piece), value))
                split_blanks(piece, blank, &value, codec);
            out[count++] = value;
            piece = blank + 1;
        }
    }
    return count + split_blanks(piece, e, out + count, codec);
}
