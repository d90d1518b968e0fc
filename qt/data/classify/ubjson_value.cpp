#include "data/classify/ubjson_value.h"

#include <QSet>

#include <cmath>
#include <cstring>

struct ubjson_value::cursor
{
    const uchar* at;
    const uchar* end;
    int values_left;
    QString error;

    qint64 offset(const QByteArray& bytes) const { return at - reinterpret_cast<const uchar*>(bytes.data()); }
    qint64 left() const { return end - at; }
    bool fail(const QString& why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }
    bool take(int n, const uchar** bytes)
    {
        if (left() < n)
            return fail("is cut short");
        *bytes = at;
        at += n;
        return true;
    }
    bool marker(char* c)
    {
        const uchar* b = nullptr;
        if (!take(1, &b))
            return false;
        *c = char(*b);
        return true;
    }
};

namespace {

qint64 element_size(char marker)
{
    switch (marker) {
    case 'i':
    case 'U':
        return 1;
    case 'I':
        return 2;
    case 'l':
    case 'd':
        return 4;
    case 'L':
        return 8;
    default:
        return 0;
    }
}

// The big-endian number of marker's kind at bytes.
double decoded(char marker, const uchar* b)
{
    quint64 u = 0;
    const qint64 n = element_size(marker);
    for (qint64 i = 0; i < n; ++i)
        u = (u << 8) | b[i];
    switch (marker) {
    case 'i':
        return qint8(u);
    case 'U':
        return quint8(u);
    case 'I':
        return qint16(u);
    case 'l':
        return qint32(u);
    case 'd': {
        const quint32 bits = quint32(u);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    default:
        return double(qint64(u));
    }
}

} // namespace

bool ubjson_value::read_length(cursor& in, qint64 unit, qint64* length)
{
    char m = 0;
    const uchar* b = nullptr;
    if (!in.marker(&m))
        return false;
    if (m != 'L')
        return in.fail(QString("has a length marked '%1'").arg(QChar(m)));
    if (!in.take(8, &b))
        return false;
    const qint64 n = qint64(decoded('L', b));
    // Every element takes at least unit bytes, so a length beyond what is left is a lie.
    if (n < 0 || n > in.left() / unit)
        return in.fail(QString("is cut short: a length of %1 where %2 bytes are left").arg(n).arg(in.left()));
    *length = n;
    return true;
}

bool ubjson_value::read(cursor& in, ubjson_value& v, int depth)
{
    if (--in.values_left < 0)
        return in.fail("holds too many values");
    char m = 0;
    if (!in.marker(&m))
        return false;
    const uchar* b = nullptr;
    qint64 n = 0;
    switch (m) {
    case 'Z':
        v.type_ = kind::null;
        return true;
    case 'T':
    case 'F':
        v.type_ = kind::boolean;
        v.number_ = m == 'T';
        return true;
    case 'i':
    case 'U':
    case 'I':
    case 'l':
    case 'L':
    case 'd':
        if (!in.take(int(element_size(m)), &b))
            return false;
        v.type_ = kind::number;
        v.number_ = decoded(m, b);
        return true;
    case 'S':
        if (!read_length(in, 1, &n) || !in.take(int(n), &b))
            return false;
        v.type_ = kind::string;
        v.bytes_ = QByteArray(reinterpret_cast<const char*>(b), int(n));
        return true;
    case '[':
    case '{':
        break;
    default:
        return in.fail(QString("has an unknown mark '%1'").arg(QChar(m)));
    }
    if (depth <= 0)
        return in.fail("nests too deep");
    if (m == '{') {
        v.type_ = kind::object;
        QSet<QByteArray> names;
        while (in.left() > 0 && *in.at != '}') {
            if (!read_length(in, 1, &n) || !in.take(int(n), &b))
                return false;
            const QByteArray key(reinterpret_cast<const char*>(b), int(n));
            if (names.contains(key))
                return in.fail(QString("names %1 twice").arg(QString::fromUtf8(key)));
            names.insert(key);
            v.keys_.push_back(key);
            v.items_.emplace_back();
            if (!read(in, v.items_.back(), depth - 1))
                return false;
        }
        return in.take(1, &b);
    }
    v.type_ = kind::array;
    if (in.left() >= 2 && *in.at == '$') {
        v.element_ = char(in.at[1]);
        const qint64 unit = element_size(v.element_);
        if (unit == 0 || v.element_ == 'i' || v.element_ == 'I')
            return in.fail(QString("has a typed array of '%1'").arg(QChar(v.element_)));
        in.at += 2;
        if (!in.marker(&m) || m != '#')
            return in.fail("has a typed array without a count");
        if (!read_length(in, unit, &n) || !in.take(int(n * unit), &b))
            return false;
        v.type_ = kind::typed_array;
        v.bytes_ = QByteArray(reinterpret_cast<const char*>(b), int(n * unit));
        return true;
    }
    if (in.left() >= 1 && *in.at == '#') {
        ++in.at;
        if (!read_length(in, 1, &n))
            return false;
        if (n > in.values_left)
            return in.fail("holds too many values");
        v.items_.resize(size_t(n));
        for (ubjson_value& item : v.items_)
            if (!read(in, item, depth - 1))
                return false;
        return true;
    }
    while (in.left() > 0 && *in.at != ']') {
        v.items_.emplace_back();
        if (!read(in, v.items_.back(), depth - 1))
            return false;
    }
    return in.take(1, &b);
}

std::optional<ubjson_value> ubjson_value::parse(const QByteArray& bytes, int max_depth, int max_values,
                                                QString* error)
{
    const auto* begin = reinterpret_cast<const uchar*>(bytes.constData());
    cursor in{begin, begin + bytes.size(), max_values, QString()};
    ubjson_value v;
    if (bytes.isEmpty() || bytes[0] != '{')
        in.fail("is no UBJSON object");
    else if (read(in, v, max_depth) && in.left() > 0)
        in.fail("has bytes after its end");
    if (in.error.isEmpty())
        return v;
    *error = QString("%1 (byte %2)").arg(in.error).arg(in.offset(bytes));
    return std::nullopt;
}

const ubjson_value* ubjson_value::member(const char* key) const
{
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key)
            return &items_[i];
    return nullptr;
}

qint64 ubjson_value::size() const
{
    if (type_ == kind::typed_array)
        return bytes_.size() / element_size(element_);
    return type_ == kind::array || type_ == kind::object ? qint64(items_.size()) : 0;
}

double ubjson_value::at(qint64 i) const
{
    if (i < 0 || i >= size() || type_ == kind::object)
        return NAN;
    if (type_ == kind::typed_array)
        return decoded(element_,
                       reinterpret_cast<const uchar*>(bytes_.constData()) + i * element_size(element_));
    return items_[size_t(i)].type_ == kind::number ? items_[size_t(i)].number_ : NAN;
}
