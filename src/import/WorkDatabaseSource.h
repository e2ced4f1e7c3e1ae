#pragma once

#include "base/ExclusiveFileLock.h"

#include <QString>

#include <memory>

class Dialogs;

// The work database that one run imports through, held for that run alone.
struct HeldWorkDatabase {
    // "" when none could be held; `problem` then says why.
    QString path;
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
// read-only install, no database, a folder), one in the user's own data folder. The user is
// told of the change once.
class WorkDatabaseChoice final : public WorkDatabaseSource {
public:
    WorkDatabaseChoice(QString besideProgram, QString usersOwn)
        : m_besideProgram(std::move(besideProgram)), m_usersOwn(std::move(usersOwn)) {}
    HeldWorkDatabase hold(Dialogs& dialogs) override;

private:
    QString m_besideProgram;
    QString m_usersOwn;
    bool m_toldOfUsersOwn = false;
};

// The user's own work database when the one beside the program cannot serve.
QString usersOwnWorkDatabasePath();
