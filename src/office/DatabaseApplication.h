#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class DatabaseFile;

// The database application as the route through the work database drives it: it opens the
// database and imports XML files into new tables of it.
class DatabaseApplication {
public:
    DatabaseApplication();
    ~DatabaseApplication();

    // The application has no window of its own; being shown changes nothing.
    void setVisible(bool) {}
    // Opens the database that imports go to; raises an error when it cannot.
    void OpenCurrentDatabase(const QString& path);
    // Imports one XML file into new tables of the open database.
    void ImportXml(const QString& dataSource);
    // The tables that the imports of this session made, in order.
    const QStringList& importedTables() const { return m_importedTables; }
    // Lets go of the database.
    void quit();

private:
    std::unique_ptr<DatabaseFile> m_database;
    QStringList m_importedTables;
};
