// Times the main window from its start button pressed to the result's workbook window shown,
// on the route without the work database and one sheet, for the files of a list:
//
//   build/bench/window_show_bench LIST.txt
//
// The real main window and the real workbook window run offscreen; messages are answered at
// once. Prints the milliseconds and the process's peak memory.
#include "PathList.h"
#include "UnattendedServices.h"
#include "base/SettingsStore.h"
#include "office/SpreadsheetEngine.h"
#include "ui/Form1.h"
#include "ui/WorkbookWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_show_bench LIST.txt\n");
        return 2;
    }
    const std::optional<QStringList> listed = pathsListedIn(argv[1]);
    if (!listed)
        return 2;
    const QStringList& paths = *listed;

    QTemporaryDir work;
    QDir(work.path()).mkpath(QStringLiteral("program"));
    QFile::copy(QStringLiteral(BRINDLEQUAY_DIST_DIR "/temp.mdb"),
                work.filePath(QStringLiteral("program/temp.mdb")));
    AnsweringDialogs dialogs;
    NoDesktop desktop;
    SettingsStore settings(work.filePath(QStringLiteral("Kestrelix.ini")));
    SpreadsheetEngine engine;
    QElapsedTimer timer;
    double shownMs = -1;
    std::unique_ptr<WorkbookWindow> shown;
    engine.setPresenter([&](std::shared_ptr<EngineInstance> instance) {
        shown = std::make_unique<WorkbookWindow>(std::move(instance), &dialogs, &desktop);
        shown->show();
        QCoreApplication::processEvents();
        shownMs = timer.nsecsElapsed() / 1e6;
    });
    Form1 window({dialogs, desktop, settings, engine, work.filePath(QStringLiteral("program"))});
    window.Form_Load();
    window.show();
    window.fileList().appendAll(paths);
    // The route without the work database, all files on one sheet.
    window.findChild<QRadioButton*>(QStringLiteral("Option4"))->click();
    window.findChild<QRadioButton*>(QStringLiteral("Option1"))->click();

    timer.start();
    window.PushButton4_Click();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("shown_ms %.1f peak_kb %ld\n", shownMs, usage.ru_maxrss);
    return shownMs < 0 ? 1 : 0;
}
