#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A value of the UBJSON that XGBoost writes its models in (big-endian; strings, keys and counts with
// an int64 length; typed arrays of float32, uint8, int32 or int64), read within bounds so that
// nothing hostile reaches XGBoost's own reader, which trusts every length it meets.
class ubjson_value
{
public:
    enum class kind : char { null, boolean, number, string, array, typed_array, object };

    // The value bytes hold; nothing, with the reason as a phrase, when they are anything else, nest
    // deeper than max_depth or hold more than max_values values outside typed arrays.
    static std::optional<ubjson_value> parse(const QByteArray& bytes, int max_depth, int max_values,
                                             QString* error);

    kind type() const { return type_; }
    double number() const { return number_; }
    const QByteArray& text() const { return bytes_; }
    // An object's member, null when it has none of that name.
    const ubjson_value* member(const char* key) const;
    // The elements of an array, a typed array or an object (0 for anything else), and element i of
    // an array as a number (NaN when it is none).
    qint64 size() const;
    double at(qint64 i) const;
    const ubjson_value& item(qint64 i) const { return items_[size_t(i)]; }

private:
    struct cursor;
    static bool read(cursor& in, ubjson_value& v, int depth);
    static bool read_length(cursor& in, qint64 unit, qint64* length);

    kind type_ = kind::null;
    char element_ = 0;                // a typed array's element marker: 'd', 'U', 'l' or 'L'
    double number_ = 0;               // a number's value, a boolean's 0 or 1
    QByteArray bytes_;                // a string's text, a typed array's big-endian elements
    std::vector<ubjson_value> items_; // an array's elements, an object's values
    std::vector<QByteArray> keys_;    // an object's names, one per value
};
