#pragma once
// A data-driven test's table in one call per column list and per row:
// add_columns<QString, int>("name", "count"); add_row("two", "b", 2);
// auto [name, count] = fetch<QString, int>("name", "count");

#include <QtTest/QTest>

#include <tuple>

template <typename... Types, typename... Names>
void add_columns(const Names&... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name per column type");
    (QTest::addColumn<Types>(names), ...);
}

// Each value goes through QTest's own operator<<, so a row is checked against the columns as before.
template <typename... Values>
void add_row(const char* name, const Values&... values)
{
    (QTest::newRow(name) << ... << values);
}

// The current row's values of the named columns, copied as QFETCH copies them.
template <typename... Types, typename... Names>
std::tuple<Types...> fetch(const Names&... names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name per column type");
    return {*static_cast<Types*>(QTest::qData(names, qMetaTypeId<Types>()))...};
}
