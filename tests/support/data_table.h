#pragma once
// A data-driven test's table in one call per column list and per row:
// add_columns<QString, int>("name", "count"); add_row("two", "b", 2);

#include <QtTest/QTest>

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
