#pragma once

#include "base/ExclusiveFileLock.h"

class SettingsStore;

#include <QString>

#include <memory>

class Dialogs;

// Whose the work database is. The program's own is emptied of every table before a run; one
// the user named is theirs, and a run drops only the tables that the program's runs made.
enum class WorkDatabaseOwner { Program, User };

// The work database that one run imports through, held for that run alone.
struct HeldWorkDatabase {
    // "" when none could be held; `problem` then says why.
    QString path;
    WorkDatabaseOwner owner = WorkDatabaseOwner::Program;
    std::unique_ptr<ExclusiveFileLock> lock;
    QString problem;
    // Another run holds the database.
    bool inUse = false;
};

// Where the route through the work database imports; asked once per run, on that route only.
class WorkDatabaseSource {
public:
    virtual ~WorkDatabaseSource() = default;
    virtual HeldWorkDatabase hold(Dialogs& dialogs) = 0;
};

// One named file, made empty when missing: the batch program's --work-database.
class NamedWorkDatabase final : public WorkDatabaseSource {
public:
    explicit NamedWorkDatabase(QString path) : m_path(std::move(path)) {}
    HeldWorkDatabase hold(Dialogs& dialogs) override;

private:
    QString m_path;
};

// The window's work database: temp.mdb beside the program, or, when that cannot serve (a
// read-only install, no database, a folder), one in the user's own data folder.
//
// An installed program's folder cannot be written; that is the normal case, and the user is
// told where their own work database is once, remembered in `settings` when given. A database
// beside the program that is broken or missing is a fault, said once a window.
class WorkDatabaseChoice final : public WorkDatabaseSource {
public:
    WorkDatabaseChoice(QString besideProgram, QString usersOwn, SettingsStore* settings = nullptr)
        : m_besideProgram(std::move(besideProgram)), m_usersOwn(std::move(usersOwn)),
          m_settings(settings) {}
    HeldWorkDatabase hold(Dialogs& dialogs) override;

private:
    void tellOfUsersOwn(Dialogs& dialogs, const QString& why, bool readOnlyInstall);

    QString m_besideProgram;
    QString m_usersOwn;
    SettingsStore* m_settings;
    bool m_toldOfUsersOwn = false;
};

// The user's own work database when the one beside the program cannot serve.
QString usersOwnWorkDatabasePath();
