#pragma once

#include "base/Dialogs.h"

#include <functional>
#include <vector>

class ImportSurface;

// Runs `work` on a thread of its own while the caller's events keep running, for one call into
// the database engine that cannot stop to let them run: importing a file into a database of
// thousands of tables, reading their schema, committing a run. `work` must touch nothing that the
// events may touch. Raises what `work` raised; what the events raise (the window closed, a stop
// asked for) is raised once `work` is over, since it may still be using what the caller holds.
void runWhileEventsRun(ImportSurface& surface, const std::function<void()>& work);

// Messages that work on another thread would show, kept to be shown on the window's thread
// once the work is over; questions are answered with Ok, choices with nothing.
class HeldMessages final : public Dialogs {
public:
    MessageAnswer showMessage(const Message& message) override {
        m_held.push_back(message);
        return MessageAnswer::Ok;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }

    // Shows every message held, in order.
    void showTo(Dialogs& dialogs) const {
        for (const Message& message : m_held)
            dialogs.showMessage(message);
    }

private:
    std::vector<Message> m_held;
};
