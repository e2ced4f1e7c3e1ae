#pragma once

#include "database/UniqueNames.h"
#include "database/XmlTablePlan.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class DatabaseFile;

// Imports XML files into tables of an open database that gather the records of every file, by
// the rules of importXmlIntoTables but for these:
// - records of one element name (compared without regard to letter case) from every file go to
//   one table named after the element as it first appeared; no numbered twins. Repeated
//   childless elements of one name go to one table likewise;
// - a column that only some files have is in the table once; rows that lack it leave it Null.
//   Columns keep the order in which they first appear;
// - every table, a record that holds no value but repeated ones included, starts with the
//   columns "#file" (the file's path as given), "#id" (the row's number in its table, from 1,
//   across all files), "<Parent>#id" for each table that holds the records enclosing its rows
//   (the enclosing record's "#id"; Null where another table's record encloses the row) and
//   "#path" (the element path from the document element, names separated by "/"). No element
//   name holds "#", so these never meet a column of values.
// A file that is not well-formed, or whose rows cannot be stored, leaves nothing in any table
// and takes no "#id".
class MergedTableImport {
public:
    explicit MergedTableImport(DatabaseFile& database);
    ~MergedTableImport();

    // Imports one file; gives the names of the tables it made, in order.
    QStringList importFile(const QString& xmlPath);
    // Puts the columns of every table in the order above where a later file added a parent
    // table; call once after the last file.
    void finish();

private:
    struct Table;
    struct Marks;
    struct FileInsert;

    Table& tableFor(const PlannedTable& planned, Marks& marks, QStringList& made);
    FileInsert prepareInsert(const PlannedTable& planned, const std::vector<Table*>& merged,
                             FileInsert into, Table& table, const std::string& file);
    // Makes the table, or adds the columns it gained, in the database.
    void storeColumns(Table& table);
    void undo(const Marks& marks);

    DatabaseFile& m_database;
    std::vector<std::unique_ptr<Table>> m_tables;
    std::map<std::pair<PlannedTable::Kind, std::string>, size_t> m_tableByKey;
    UniqueNames m_tableNames;
};
