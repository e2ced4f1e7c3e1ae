#include "ui/SystemDesktop.h"

#include "support/TreeBuilder.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kWorkbookType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

#ifndef _WIN32
// The desktop's settings as a user without any application for workbooks has them, in folders
// of the test's own, and no desktop session that xdg-mime would ask instead; put back after.
class DesktopWithoutApplications {
public:
    DesktopWithoutApplications() {
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            set(name, m_folder.filePath(QString::fromLatin1(name)).toUtf8());
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID",
                                 "MATE_DESKTOP_SESSION_ID", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            set(name, std::nullopt);
    }
    ~DesktopWithoutApplications() {
        for (const auto& [name, value] : m_saved)
            value ? qputenv(name, *value) : qunsetenv(name);
    }
    // Installs an application that says it opens workbooks.
    void installSpreadsheetApplication() {
        writeFile(m_folder.filePath("XDG_DATA_HOME/applications/calc.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Calc\nExec=true %f\nMimeType=" +
                      kWorkbookType.toUtf8() + ";\n");
    }

private:
    void set(const char* name, const std::optional<QByteArray>& value) {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                   : std::nullopt);
        value ? qputenv(name, *value) : qunsetenv(name);
    }

    QTemporaryDir m_folder;
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};
#endif
} // namespace

class SystemDesktopTest : public QObject {
    Q_OBJECT
private slots:
    void aFileIsHandedOverOnlyWhenTheDesktopHasAnApplicationForIt();
    void xdgMimeNamesTheApplicationForWorkbooksOrNone();
};

void SystemDesktopTest::aFileIsHandedOverOnlyWhenTheDesktopHasAnApplicationForIt() {
    QStringList askedTypes;
    QList<QUrl> opened;
    std::optional<QString> application;
    SystemDesktop desktop(
        [&](const QString& type) {
            askedTypes << type;
            return application;
        },
        [&](const QUrl& url) {
            opened << url;
            return true;
        });
    // None named: the file is not handed to an opener that would fail in silence.
    application = QString();
    QVERIFY(!desktop.openFile("/tmp/folder/Book1 2025-03-14.xlsx"));
    QCOMPARE(askedTypes, QStringList{kWorkbookType});
    QVERIFY(opened.isEmpty());
    application = QStringLiteral("calc.desktop");
    QVERIFY(desktop.openFile("/tmp/folder/Book1 2025-03-14.xlsx"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile("/tmp/folder/Book1 2025-03-14.xlsx")});
    // Where the desktop cannot tell, the opener's answer stands.
    application.reset();
    QVERIFY(desktop.openFile("/tmp/b.xlsx"));
    QCOMPARE(opened.size(), 2);
}

void SystemDesktopTest::xdgMimeNamesTheApplicationForWorkbooksOrNone() {
#ifdef _WIN32
    QCOMPARE(defaultApplicationFor(kWorkbookType), std::nullopt);
#else
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty()) {
        QCOMPARE(defaultApplicationFor(kWorkbookType), std::nullopt);
        QSKIP("xdg-mime is not installed; the desktop cannot be asked");
    }
    DesktopWithoutApplications desktop;
    QCOMPARE(defaultApplicationFor(kWorkbookType), QString());
    desktop.installSpreadsheetApplication();
    QCOMPARE(defaultApplicationFor(kWorkbookType), QStringLiteral("calc.desktop"));
#endif
}

QTEST_MAIN(SystemDesktopTest)
#include "SystemDesktopTest.moc"
