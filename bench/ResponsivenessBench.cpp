// How long the windows stop handling events, which is how long they cannot paint or take a
// click:
//
//   build/bench/responsiveness_bench LIST.txt [viewer | main]
//
// 1. The workbook window, offscreen, on a full sheet (1,048,576 rows of a number and a text):
//    the longest stretch without events while copying a whole column, copying everything,
//    counting a whole column for the status line, and saving. Goal: at most 50 ms each.
// 2. The main window while it imports the listed files (2,000 small ones, say) on each route
//    and send option, the workbook window showing the result as in the program: the longest
//    stretch without events from Start to "Done.". Goal: at most 100 ms.
// A timer that should fire every 2 ms measures the stretches. Messages are answered at once.
#include "PathList.h"
#include "UnattendedMainWindow.h"
#include "sheet/Workbook.h"
#include "sheet/Worksheet.h"
#include "ui/WorkbookWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
// The longest time between two turns of the event loop while it watches.
class StallWatch {
public:
    StallWatch() {
        m_tick.setInterval(2);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_sinceLast.nsecsElapsed() / 1e6);
            m_sinceLast.restart();
        });
    }
    void start() {
        m_longest = 0;
        m_sinceLast.start();
        m_tick.start();
    }
    double stop() {
        m_longest = std::max(m_longest, m_sinceLast.nsecsElapsed() / 1e6);
        m_tick.stop();
        return m_longest;
    }

private:
    QTimer m_tick;
    QElapsedTimer m_sinceLast;
    double m_longest = 0;
};

// Runs `step`, then lets events run until `done` holds; gives the longest stretch.
double longestStall(StallWatch& watch, const std::function<void()>& step,
                    const std::function<bool()>& done) {
    watch.start();
    step();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return watch.stop();
}

void viewerStalls() {
    SpreadsheetEngine engine;
    AnsweringDialogs dialogs;
    NoDesktop desktop;
    auto instance = std::static_pointer_cast<EngineInstance>(engine.create());
    Workbook& book = instance->addWorkbook();
    CellStore& cells = book.activeSheet().cells();
    for (int row = 1; row <= kMaxRows; ++row) {
        cells.setText(row, 1, std::to_string(row));
        cells.setText(row, 2, row % 2 ? "odd" : "even");
    }
    WorkbookWindow window(instance, &dialogs, &desktop);
    window.show();
    QCoreApplication::processEvents();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("Grid"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("SelectionStatus"));
    StallWatch watch;
    bool copied = false;
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                     [&] { copied = true; });
    const auto copying = [&](const std::function<void()>& select) {
        return longestStall(
            watch,
            [&] {
                copied = false;
                select();
                window.copySelection();
            },
            [&] { return copied; });
    };
    const double column = copying([&] { grid->selectColumn(0); });
    const double everything = copying([&] { grid->selectAll(); });
    const double counting = longestStall(
        watch, [&] { grid->selectColumn(1); },
        [&] { return status->text().contains(QLatin1String("Count:")); });
    QTemporaryDir folder;
    dialogs.saveAnswer = folder.filePath(QStringLiteral("full.xlsx"));
    const double saving = longestStall(
        watch, [&] { window.saveAs(); }, [] { return true; });
    std::printf("viewer (a full sheet), longest stretch without events, goal 50 ms:\n");
    std::printf("  copy a whole column     %8.1f ms\n", column);
    std::printf("  copy everything         %8.1f ms\n", everything);
    std::printf("  status of a column      %8.1f ms\n", counting);
    std::printf("  save as                 %8.1f ms\n", saving);
    std::fflush(stdout);
}

void mainWindowStalls(const QStringList& paths) {
    std::printf("main window importing %lld files, longest stretch without events, goal 100 ms:\n",
                static_cast<long long>(paths.size()));
    const std::pair<const char*, const char*> routes[] = {{"Option4", "without the database"},
                                                          {"Option3", "through the database"}};
    const std::pair<const char*, const char*> sends[] = {{"Option1", "one sheet"},
                                                         {"Option2", "a sheet each"}};
    for (const auto& [route, routeName] : routes)
        for (const auto& [send, sendName] : sends) {
            UnattendedMainWindow mainWindow;
            std::unique_ptr<WorkbookWindow> shown;
            mainWindow.engine.setPresenter([&](std::shared_ptr<EngineInstance> instance) {
                shown = std::make_unique<WorkbookWindow>(std::move(instance), &mainWindow.dialogs,
                                                         &mainWindow.desktop);
                shown->show();
            });
            StallWatch watch;
            QElapsedTimer run;
            mainWindow.import(paths, route, send, [&] {
                run.start();
                watch.start();
            });
            const double longest = watch.stop();
            std::printf("  %-21s %-12s %8.1f ms  (run %.0f ms)\n", routeName, sendName, longest,
                        run.nsecsElapsed() / 1e6);
            std::fflush(stdout);
        }
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // A second argument, "viewer" or "main", runs one half only.
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const std::optional<QStringList> paths =
        pathsOfArguments(std::min(argc, 2), argv, "responsiveness_bench");
    if (!paths)
        return 2;
    if (only != QLatin1String("main"))
        viewerStalls();
    if (only != QLatin1String("viewer"))
        mainWindowStalls(*paths);
    return 0;
}
