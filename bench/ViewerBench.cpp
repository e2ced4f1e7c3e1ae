// Times the workbook window as a viewer on the workbook that the main window's import of a list
// of files leaves (the route without the work database, one sheet):
//
//   build/bench/viewer_bench LIST.txt
//
// The real windows run offscreen; messages are answered at once. Prints the milliseconds of
// each step, each ending with the grid painted: scrolling to the last row, selecting a cell
// there, selecting and copying the first column, finding a text of the last row from A1 and
// finding it again (around the sheet), and finding a text that no cell holds. A workbook of
// several sheets (a file too long for one) also shows each of its other sheets in turn.
#include "PathList.h"
#include "UnattendedMainWindow.h"
#include "sheet/CellSearch.h"
#include "sheet/Workbook.h"
#include "sheet/Worksheet.h"
#include "ui/SheetTabs.h"
#include "ui/WorkbookWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
// Runs a step and paints the grid; gives the milliseconds it took.
double timed(QTableView& grid, const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    grid.viewport()->repaint();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::optional<QStringList> paths = pathsOfArguments(argc, argv, "viewer_bench");
    if (!paths)
        return 2;

    UnattendedMainWindow mainWindow;
    std::unique_ptr<WorkbookWindow> viewer;
    std::shared_ptr<EngineInstance> result;
    double shownMs = -1;
    mainWindow.engine.setPresenter([&](std::shared_ptr<EngineInstance> instance) {
        QElapsedTimer sinceShown;
        sinceShown.start();
        result = instance;
        viewer = std::make_unique<WorkbookWindow>(std::move(instance), &mainWindow.dialogs,
                                                  &mainWindow.desktop);
        viewer->resize(1200, 800);
        viewer->show();
        QCoreApplication::processEvents();
        shownMs = sinceShown.nsecsElapsed() / 1e6;
    });
    mainWindow.importOntoOneSheet(*paths);
    if (!viewer) {
        std::fprintf(stderr, "the import showed no workbook\n");
        return 1;
    }
    auto* grid = viewer->findChild<QTableView*>(QStringLiteral("Grid"));
    const CellStore& cells = result->activeWorkbook().activeSheet().cells();
    const CellRange used = cells.usedRange();
    std::printf("sheet: %d rows, %d columns, %lld cells\n", used.lastRow, used.lastColumn,
                static_cast<long long>(cells.cellCount()));
    std::printf("%-34s %9.1f ms  (%d sheets)\n", "workbook window shown", shownMs,
                result->activeWorkbook().sheetCount());
    if (auto* tabs = viewer->findChild<SheetTabs*>(QStringLiteral("SheetTabs"));
        tabs->count() > 1) {
        double slowest = 0;
        for (int tab = 1; tab < tabs->count(); ++tab)
            slowest = std::max(slowest, timed(*grid, [&] { tabs->setCurrentIndex(tab); }));
        std::printf("%-34s %9.1f ms\n", "show another sheet (the slowest)", slowest);
        tabs->setCurrentIndex(0);
    }

    std::printf("%-34s %9.1f ms\n", "scroll to the last row",
                timed(*grid, [&] { grid->scrollToBottom(); }));
    const QModelIndex last = grid->model()->index(used.lastRow - 1, 0);
    std::printf("%-34s %9.1f ms\n", "select a cell of the last row",
                timed(*grid, [&] { grid->setCurrentIndex(last); }));
    std::printf("%-34s %9.1f ms\n", "select column A",
                timed(*grid, [&] { grid->selectColumn(0); }));
    const double copyMs = timed(*grid, [&] { viewer->copySelection(); });
    std::printf("%-34s %9.1f ms  (%lld characters)\n", "copy column A", copyMs,
                static_cast<long long>(QApplication::clipboard()->text().size()));

    // A text of the last row that no row above holds, if there is one, found from A1.
    QString wanted;
    for (int column = used.lastColumn; column >= 1; --column) {
        const QString shown = QString::fromStdString(cells.display(used.lastRow, column));
        if (shown.isEmpty())
            continue;
        if (wanted.isEmpty())
            wanted = shown;
        if (CellSearch(cells, shown).nextAfter({0, 0})->row == used.lastRow) {
            wanted = shown;
            break;
        }
    }
    viewer->findChild<QLineEdit*>(QStringLiteral("FindText"))->setText(wanted);
    grid->setCurrentIndex(grid->model()->index(0, 0));
    bool found = false;
    const double findMs = timed(*grid, [&] { found = viewer->findNext(); });
    std::printf("%-34s %9.1f ms  (\"%s\" at row %d)\n", "find a text of the last row", findMs,
                qPrintable(wanted.left(40)), found ? grid->currentIndex().row() + 1 : 0);
    std::printf("%-34s %9.1f ms\n", "find it again (around the sheet)",
                timed(*grid, [&] { viewer->findNext(); }));
    viewer->findChild<QLineEdit*>(QStringLiteral("FindText"))
        ->setText(QStringLiteral("no cell holds this"));
    std::printf("%-34s %9.1f ms\n", "find a text that no cell holds",
                timed(*grid, [&] { viewer->findNext(); }));
    return 0;
}
