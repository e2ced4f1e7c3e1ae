#pragma once

#include "import/ImportSurface.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// What one column of a table, or one element path of the flattened lines, holds: numbers only,
// dates only, texts (which a mix of kinds is taken as too), or no value at all.
enum class ValueType : std::uint8_t { Empty, Number, Date, Text };
// The type of a column or path that has held values of both types.
constexpr ValueType combinedType(ValueType held, ValueType added) {
    if (held == ValueType::Empty || held == added)
        return added == ValueType::Empty ? held : added;
    return added == ValueType::Empty ? held : ValueType::Text;
}
// "number", "date", "text" or "empty".
QString valueTypeName(ValueType type);

struct RunSummary;
// "one sheet", "one sheet per file" or "one sheet per table"; "" when no option was chosen.
QString sendOptionName(const RunSummary& summary);

struct FileOutcome;
// "imported", or what kept the file out: "not well-formed", "not readable", ...
QString outcomeName(const FileOutcome& file);

// What a run found in its files, gathered while it imported them and wrote the workbook (no
// second pass over the input): the summary sheet and the batch program's report are made from
// it, with the outcomes of the files that the run's result holds.
struct RunSummary {
    // The run.
    QDateTime started;
    double seconds = 0;
    ImportRoute route = ImportRoute::None;
    SendMode sendMode = SendMode::None;
    bool mergesTables = false;
    bool foldsTables = true;
    // The sheets of the finished workbook that hold a cell (the summary's own not among them)
    // and their cells.
    int sheets = 0;
    std::int64_t cells = 0;

    // A table of the work database as the workbook shows it (database route).
    struct Table {
        QString name;
        // The sheet its rows begin on, then every further sheet its rows went on in.
        QStringList sheets;
        // Where its block begins on its first sheet (its title row or its row of names).
        int firstRow = 1;
        std::int64_t rows = 0;
        int columns = 0;
        // The listed files that gave it rows.
        std::int64_t files = 0;
    };
    // A column of a table, in the order the table's columns stand.
    struct Column {
        QString table;
        QString column;
        ValueType type = ValueType::Empty;
        // The files with a value in it, out of those that gave its table rows.
        std::int64_t files = 0;
        std::int64_t tableFiles = 0;
        // Its cells that hold a value, and those that do not.
        std::int64_t values = 0;
        std::int64_t empty = 0;
        // The first listed file with a value in it, and the first such value; "" when none.
        QString firstFile;
        QString example;
    };
    // An element path of the flattened lines (flattening route), in the order paths first
    // appear; the path's names are joined by "/".
    struct Path {
        QString path;
        std::int64_t files = 0;
        // Its lines, an empty value among them.
        std::int64_t values = 0;
        ValueType type = ValueType::Empty;
        QString firstFile;
    };

    std::vector<Table> tables;
    std::vector<Column> columns;
    std::vector<Path> paths;
};
