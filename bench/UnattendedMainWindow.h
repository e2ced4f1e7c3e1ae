#pragma once

#include "UnattendedServices.h"
#include "base/SettingsStore.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "ui/Form1.h"

#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

#include <functional>

// The real main window with a program folder and settings of its own, run without a person:
// messages are answered at once. The result is shown through `engine`'s presenter, which the
// benchmark sets first.
class UnattendedMainWindow {
public:
    UnattendedMainWindow() : m_settings(m_work.filePath(QStringLiteral("Kestrelix.ini"))) {
        QDir(m_work.path()).mkpath(QStringLiteral("program"));
        QFile::copy(QStringLiteral(BRINDLEQUAY_DIST_DIR "/temp.mdb"), programFile("temp.mdb"));
    }

    // Imports the files on the route without the work database, all onto one sheet;
    // `starting` runs just before the start button is pressed.
    void importOntoOneSheet(const QStringList& paths, const std::function<void()>& starting = {}) {
        import(paths, "Option4", "Option1", starting);
    }
    // Imports the files with the route's option ("Option3" through the work database,
    // "Option4" without) and the send option ("Option1" one sheet, "Option2" a sheet each).
    void import(const QStringList& paths, const char* route, const char* send,
                const std::function<void()>& starting = {}) {
        Form1 window({dialogs, desktop, m_settings, engine, programFile("")});
        window.Form_Load();
        window.show();
        window.fileList().appendAll(paths);
        window.findChild<QRadioButton*>(QLatin1String(route))->click();
        window.findChild<QRadioButton*>(QLatin1String(send))->click();
        if (starting)
            starting();
        window.PushButton4_Click();
    }

    AnsweringDialogs dialogs;
    NoDesktop desktop;
    SpreadsheetEngine engine;

private:
    QString programFile(const char* name) const {
        return m_work.filePath(QStringLiteral("program/") + QLatin1String(name));
    }

    QTemporaryDir m_work;
    SettingsStore m_settings;
};
