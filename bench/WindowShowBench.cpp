// Times the main window from its start button pressed to the result's workbook window shown,
// on the route without the work database and one sheet, for the files of a list:
//
//   build/bench/window_show_bench LIST.txt
//
// The real main window and the real workbook window run offscreen; messages are answered at
// once. Prints the milliseconds and the process's peak memory.
#include "PathList.h"
#include "UnattendedMainWindow.h"
#include "ui/WorkbookWindow.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::optional<QStringList> paths = pathsOfArguments(argc, argv, "window_show_bench");
    if (!paths)
        return 2;

    UnattendedMainWindow mainWindow;
    QElapsedTimer timer;
    double shownMs = -1;
    std::unique_ptr<WorkbookWindow> shown;
    mainWindow.engine.setPresenter([&](std::shared_ptr<EngineInstance> instance) {
        shown = std::make_unique<WorkbookWindow>(std::move(instance), &mainWindow.dialogs,
                                                 &mainWindow.desktop);
        shown->show();
        QCoreApplication::processEvents();
        shownMs = timer.nsecsElapsed() / 1e6;
    });
    mainWindow.importOntoOneSheet(*paths, [&] { timer.start(); });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("shown_ms %.1f peak_kb %ld\n", shownMs, usage.ru_maxrss);
    return shownMs < 0 ? 1 : 0;
}
