#pragma once

#include "database/ElementKinds.h"
#include "database/UniqueNames.h"
#include "database/XmlTablePlan.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
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
//
// Folding (the default) shapes the tables by the kinds of element of every file of the run
// (see ElementKinds: paths below the document element, whatever its name), which are surveyed
// before any file is imported:
// - an element of a kind that has text beside child elements in any file is one value in every
//   file: its whole text, with its content written out again in a column named after it with
//   "#markup"; its descendants make no table and no column;
// - an element whose kind occurs more than once inside one element, in any file, is a table in
//   every file: a table of records, or of repeated values when no element of the kind has
//   children or the kind is one value. The document element is a table when it holds values,
//   its own or folded ones;
// - every other element is folded into the row of the nearest enclosing table: its text and
//   attributes are columns named by its path from that row's element, joined by "/", with
//   "@attribute" after an attribute's ("Party/PartyName/Name", "Quantity@unitCode"); a folded
//   element with children has a column only for text of its own;
// - "<Parent>#id" names the nearest enclosing table row.
class MergedTableImport {
public:
    // `fold` off keeps every element with children a table of its own, by file.
    explicit MergedTableImport(DatabaseFile& database, bool fold = true);
    ~MergedTableImport();

    // Counts a file's elements into the run's kinds; every file is surveyed before the first
    // is imported. A file that cannot be read adds nothing; its import reports it.
    void survey(const QString& xmlPath);

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
    // Stores one row of a file, numbered after the rows its table held before the file, with
    // the number of its parent's row where the parent's table has a column for it.
    static void storeRow(const PlannedRow& row, const FileTablePlan& plan,
                         const std::vector<Table*>& merged, std::vector<FileInsert>& inserts);
    // Makes the table, or adds the columns it gained, in the database.
    void storeColumns(Table& table);
    void undo(const Marks& marks);

    DatabaseFile& m_database;
    bool m_fold;
    ElementKinds m_kinds;
    std::vector<std::unique_ptr<Table>> m_tables;
    std::map<std::pair<PlannedTable::Kind, std::string>, size_t> m_tableByKey;
    UniqueNames m_tableNames;
};

// Whether a column of merged tables holds texts whatever its values read as: a file's path and
// an element path are names, and the whole text of an element with markup is joined from several
// elements, so a number or date it reads as is none that the file wrote.
bool isTextColumn(std::span<const std::string> columnNames, size_t column);
