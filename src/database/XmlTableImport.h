#pragma once

#include "database/UniqueNames.h"
#include "database/XmlTablePlan.h"

#include <QString>
#include <QStringList>

class DatabaseFile;

// Imports an XML file into new tables of an open database, so that every value of the file
// lands in some table:
// - an element with child elements is a record; records of one element name form one table
//   named after the element (its prefix left off); a record that holds no value of its own (no
//   attribute, no text, no childless child) only groups others and makes no table;
// - a table's columns are its records' attributes, their own text ("#text") and their
//   childless children, in order of first appearance; a childless child's attributes become
//   columns named child@attribute;
// - a childless child that repeats within one record goes, every time, to a table named after
//   it, one row per occurrence, with its attributes beside it;
// - a document whose root element has no child elements makes one table of the root;
// - values are stored as text exactly as the file has them; a value a record does not have is
//   Null; comments, processing instructions and namespace declarations are not values;
// - a name already taken by a table, of this file or an earlier one, gets the smallest free
//   number appended ("order1", "order2"), compared without regard to letter case;
// - tables are made in the order in which their first row appears in the file.
// Gives the names of the tables made, in order. Raises an XmlFileError naming the file, the
// reason, the line and the position when the file is not well-formed; nothing of such a file is
// imported.
QStringList importXmlIntoTables(DatabaseFile& database, const QString& xmlPath);
// The same, with the names that the database's tables already take known to the caller, who
// keeps them over many files: reading them again for every file would make a run of many files
// slow in the square of their number. The names of the tables made are taken in `takenNames`.
QStringList importXmlIntoTables(DatabaseFile& database, const QString& xmlPath,
                                UniqueNames& takenNames);
