#pragma once

#include <QLatin1String>
#include <QString>

#include <cstddef>

// One row of a table of an enumeration's values and the fixed words they are written as (keys in
// settings, file suffixes, names in files); the table is read both ways by the functions below.
template <typename E> struct named_value
{
    E value;
    const char* name;
};

// The word of value in table; otherwise (null for none) for a value not in it.
template <typename E, std::size_t N>
QString name_of(const named_value<E> (&table)[N], E value, const char* otherwise = nullptr)
{
    for (const named_value<E>& row : table)
        if (row.value == value)
            return QString::fromLatin1(row.name);
    return otherwise ? QString::fromLatin1(otherwise) : QString();
}

// Sets value to the value whose word is name; false, value untouched, for a word not in table.
template <typename E, std::size_t N>
bool value_named(const named_value<E> (&table)[N], const QString& name, E* value)
{
    for (const named_value<E>& row : table)
        if (name == QLatin1String(row.name)) {
            *value = row.value;
            return true;
        }
    return false;
}
