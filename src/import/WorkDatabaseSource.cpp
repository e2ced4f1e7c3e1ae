#include "import/WorkDatabaseSource.h"

#include "base/Dialogs.h"
#include "base/Paths.h"
#include "office/DatabaseEngine.h"

#include <QDir>
#include <QFile>
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
        held.problem = QStringLiteral("The work database %1 cannot be read.").arg(path);
    }
    return held;
}

// An empty file is an empty database to the engine; only its owner may read it.
bool makeEmptyDatabase(const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
} // namespace

HeldWorkDatabase NamedWorkDatabase::hold(Dialogs&) {
    if (!QFileInfo::exists(m_path) && !makeEmptyDatabase(m_path)) {
        HeldWorkDatabase none;
        none.problem = QStringLiteral("The work database %1 cannot be created.").arg(m_path);
        return none;
    }
    return lockFor(m_path);
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

    if (!QFileInfo::exists(m_usersOwn) && !makeEmptyDatabase(m_usersOwn)) {
        HeldWorkDatabase none;
        none.problem =
            QStringLiteral("The work database %1 cannot be used (%2), and %3 cannot be created.")
                .arg(m_besideProgram, why, m_usersOwn);
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
