#include "import/WorkDatabaseSource.h"

#include "base/Dialogs.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/SettingsStore.h"
#include "database/DatabaseFile.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {
// The user's own work database that the user was last told of.
const QString kToldKey = QStringLiteral("OwnWorkDatabaseTold");

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
    const QString why = workDatabaseFitness(m_path).problem;
    if (!why.isEmpty()) {
        HeldWorkDatabase none;
        none.problem = QStringLiteral("The work database %1 cannot be used: %2.").arg(m_path, why);
        return none;
    }
    held.owner = WorkDatabaseOwner::User;
    return held;
}

HeldWorkDatabase WorkDatabaseChoice::hold(Dialogs& dialogs) {
    // The lock comes before the probe: a file that another run is filling is in use, not
    // broken, and is neither probed nor given up for another.
    WorkDatabaseFitness fitness;
    if (!QFileInfo(m_besideProgram).isFile()) {
        fitness = workDatabaseFitness(m_besideProgram);
    } else {
        HeldWorkDatabase beside = lockFor(m_besideProgram);
        if (beside.inUse)
            return beside;
        fitness = beside.lock ? workDatabaseFitness(m_besideProgram)
                              : WorkDatabaseFitness{QStringLiteral("it cannot be read")};
        if (fitness.problem.isEmpty())
            return beside;
    }
    const QString& why = fitness.problem;

    try {
        makeEmptyDatabase(m_usersOwn);
    } catch (const RuntimeError& error) {
        HeldWorkDatabase none;
        none.problem = QStringLiteral("The work database %1 cannot be used (%2). %3")
                           .arg(m_besideProgram, why, error.description());
        return none;
    }
    HeldWorkDatabase own = lockFor(m_usersOwn);
    if (own.lock)
        tellOfUsersOwn(dialogs, why, fitness.readOnly);
    return own;
}

void WorkDatabaseChoice::tellOfUsersOwn(Dialogs& dialogs, const QString& why,
                                        bool readOnlyInstall) {
    if (m_toldOfUsersOwn)
        return;
    m_toldOfUsersOwn = true;
    if (!readOnlyInstall) {
        dialogs.showMessage(
            Message{QStringLiteral("The work database %1 cannot be used: %2.\r\nImports use your "
                                   "own work database %3 instead.")
                        .arg(m_besideProgram, why, m_usersOwn),
                    MessageButtons::Ok, MessageIcon::Information});
        return;
    }
    // Said once for good: the same words at every start would only be in the way.
    if (m_settings && m_settings->GetSetting(kToldKey, QString()) == m_usersOwn)
        return;
    dialogs.showMessage(Message{
        QStringLiteral("Imports through the work database keep their tables in your own work "
                       "database:\r\n%1\r\n\r\nThe program's folder is not written to, as "
                       "is usual for an installed program.")
            .arg(m_usersOwn),
        MessageButtons::Ok, MessageIcon::Information});
    if (m_settings)
        m_settings->SaveSetting(kToldKey, m_usersOwn);
}

QString usersOwnWorkDatabasePath() {
    return joinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                    QStringLiteral("Kestrelix/Brindlequay/temp.mdb"));
}
