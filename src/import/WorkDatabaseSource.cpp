#include "import/WorkDatabaseSource.h"

#include "base/Dialogs.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "database/DatabaseFile.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {
// Locks the file for the run; a file that another run holds is said so, and not used.
HeldWorkDatabase lockFor(const QString& path) {
    HeldWorkDatabase held;
    auto lock = std::make_unique<ExclusiveFileLock>(path);
    if (lock->held()) {
        held.path = path;
        held.lock = std::move(lock);
    } else if (lock->heldElsewhere()) {
        held.inUse = true;
        held.problem = QStringLiteral("The work database %1 is in use by another import. Try "
                                      "again when it has finished.")
                           .arg(path);
    } else {
        held.problem =
            QStringLiteral("The work database %1 cannot be used: %2.")
                .arg(path, QFileInfo(path).isFile() ? QStringLiteral("it cannot be read")
                                                    : QStringLiteral("it is not a file"));
    }
    return held;
}
} // namespace

HeldWorkDatabase NamedWorkDatabase::hold(Dialogs&) {
    try {
        makeEmptyDatabase(m_path);
    } catch (const RuntimeError& error) {
        HeldWorkDatabase none;
        none.problem = error.description();
        return none;
    }
    HeldWorkDatabase held = lockFor(m_path);
    if (!held.lock)
        return held;
    // A file the run could not write would fail every file one by one; one line says it all.
    const QString why = workDatabaseProblem(m_path);
    if (!why.isEmpty()) {
        HeldWorkDatabase none;
        none.problem = QStringLiteral("The work database %1 cannot be used: %2.").arg(m_path, why);
        return none;
    }
    return held;
}

HeldWorkDatabase WorkDatabaseChoice::hold(Dialogs& dialogs) {
    // The lock comes before the probe: a file that another run is filling is in use, not
    // broken, and is neither probed nor given up for another.
    QString why;
    if (!QFileInfo(m_besideProgram).isFile()) {
        why = workDatabaseProblem(m_besideProgram);
    } else {
        HeldWorkDatabase beside = lockFor(m_besideProgram);
        if (beside.inUse)
            return beside;
        why = beside.lock ? workDatabaseProblem(m_besideProgram)
                          : QStringLiteral("it cannot be read");
        if (why.isEmpty())
            return beside;
    }

    try {
        makeEmptyDatabase(m_usersOwn);
    } catch (const RuntimeError& error) {
        HeldWorkDatabase none;
        none.problem = QStringLiteral("The work database %1 cannot be used (%2). %3")
                           .arg(m_besideProgram, why, error.description());
        return none;
    }
    HeldWorkDatabase own = lockFor(m_usersOwn);
    if (own.lock && !m_toldOfUsersOwn) {
        m_toldOfUsersOwn = true;
        dialogs.showMessage(
            Message{QStringLiteral("The work database %1 cannot be used: %2.\r\nImports use your "
                                   "own work database %3 instead.")
                        .arg(m_besideProgram, why, m_usersOwn),
                    MessageButtons::Ok, MessageIcon::Information});
    }
    return own;
}

QString usersOwnWorkDatabasePath() {
    return joinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                    QStringLiteral("Kestrelix/Brindlequay/temp.mdb"));
}
