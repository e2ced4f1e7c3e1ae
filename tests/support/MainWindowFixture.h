#pragma once

#include "base/SettingsStore.h"
#include "office/SpreadsheetEngine.h"
#include "support/ScriptedDialogs.h"
#include "ui/Desktop.h"
#include "ui/Form1.h"

#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

// Records the folders handed to the desktop instead of opening them.
class RecordingDesktop final : public Desktop {
public:
    void openFolder(const QString& path) override { openedFolders << path; }
    bool openFile(const QString& path) override {
        openedFiles << path;
        return true;
    }
    QStringList openedFolders;
    QStringList openedFiles;
};

// One main window over a program folder ("dist"), a settings file and a spreadsheet engine of
// the test's own.
struct MainWindowFixture {
    explicit MainWindowFixture(SpreadsheetApplications* applications = nullptr)
        : settings(folder.filePath(QStringLiteral("Kestrelix.ini"))),
          window({dialogs, desktop, settings, applications ? *applications : engine,
                  programFolder()}) {
        QDir(folder.path()).mkpath(QStringLiteral("dist/x"));
    }

    QString programFolder() const { return folder.filePath(QStringLiteral("dist")); }
    // Lays a delivered file from the source tree beside the program.
    void deliver(const QString& name) {
        QFile::copy(QStringLiteral(BRINDLEQUAY_RESOURCES_DIR "/") + name,
                    folder.filePath(QStringLiteral("dist/") + name));
    }
    QString stored(const QString& key) { return settings.GetSetting(key, QStringLiteral("-")); }
    template <typename T> T* control(const char* name) {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    bool selected(const char* option) { return control<QRadioButton>(option)->isChecked(); }
    void click(const char* name) {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
    }
    void loadAndShow() {
        window.Form_Load();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
    }

    QTemporaryDir folder;
    SpreadsheetEngine engine;
    ScriptedDialogs dialogs;
    RecordingDesktop desktop;
    SettingsStore settings;
    Form1 window;
};
