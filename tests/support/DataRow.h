#pragma once

#include <QtTest>

// A row of a QTest data table: its name, then a cell for each column in order,
// each of the column's own type (a string literal fills a QString column).
template <class... Cells> void row(const char* name, const Cells&... cells) {
    (QTest::newRow(name) << ... << cells);
}
