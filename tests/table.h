// Test data written as a table, one row a line: "name | cell | cell ...", every column a QString.
#pragma once

#include <QStringList>
#include <QTest>

#include <array>
#include <cmath>
#include <concepts>
#include <initializer_list>
#include <limits>
#include <source_location>

inline void addRows(const char* table, std::initializer_list<const char*> columns) {
    for (const char* column : columns)
        QTest::addColumn<QString>(column);
    for (const QString& line : QString::fromUtf8(table).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList cells = line.split(QStringLiteral(" |"));
        QTestData& row = QTest::newRow(qPrintable(cells[0].trimmed()));
        for (const QString& cell : cells.mid(1))
            row << cell.trimmed();
    }
}

// The current row's cells of the columns named, as QFETCH would give them one by one.
template <typename... Names> std::array<QString, sizeof...(Names)> cells(Names... columns) {
    return {*static_cast<QString*>(QTest::qData(columns, QMetaType::QString))...};
}

// A cell read as a number of type T; a cell that is not one (or is out of T's range) fails the test at the
// caller's line instead of reading as 0.
template <typename T = int>
T number(const QString& cell, const std::source_location& at = std::source_location::current()) {
    bool ok = false;
    const double value = cell.toDouble(&ok);
    ok = ok && value >= std::numeric_limits<T>::lowest() && value <= std::numeric_limits<T>::max() &&
         (std::floating_point<T> || value == std::trunc(value));
    if (!ok)
        QTest::qFail(qPrintable(QStringLiteral("the cell \"%1\" is not a number of its column").arg(cell)),
                     at.file_name(), static_cast<int>(at.line()));
    return ok ? static_cast<T>(value) : T{};
}
