// Test data written as a table, one row a line: "name | cell | cell ...", every column a QString.
#pragma once

#include <QStringList>
#include <QTest>

#include <array>
#include <initializer_list>

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
