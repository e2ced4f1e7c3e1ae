#pragma once

#include <QString>
#include <QStringList>

class DatabaseFile;

// The tables that the program's runs made in a database, recorded in a table of the database's
// own, so that a database that also holds tables of the user's can serve runs: a run drops
// only what runs made, never a table the user made.

// The record's table. No element's table takes its name, as no element name holds a space; the
// listing of a database's tables reads it as hidden.
bool isRunTableRecord(const QString& table);

// Drops the tables that earlier runs made and that stand as those runs left them; the record
// then holds none. A table changed since (a column added, or made anew under that name by
// someone else) is the user's now, and stays. Call inside the transaction of the run, so that
// the tables are back when the run keeps nothing.
void dropRecordedRunTables(DatabaseFile& database);

// Records `made`, tables of the database, as made by a run, each as it stands now.
void recordRunTables(DatabaseFile& database, const QStringList& made);
