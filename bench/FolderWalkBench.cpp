// Times the folder add on a large tree against `find TREE -iname '*.xml'` on the same tree.
//
//   build/bench/folder_walk_bench [TREE]
//
// Builds the tree on first use (100,000 files in 2,000 folders, a tenth of them .xml), then
// prints the best of three runs of each: find, the walk into the list model alone, and the walk
// into a list model shown by a real list view (offscreen).
#include "base/EventPump.h"
#include "filelist/AddFolder.h"
#include "filelist/FileList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTreeView>

#include <cstdio>
#include <functional>

namespace {
constexpr int kTopFolders = 40;
constexpr int kChildrenPerTop = 49;
constexpr int kFilesPerFolder = 50;
constexpr int kMatchingPerFolder = 5;

void fillFolder(const QString& folder) {
    QDir().mkpath(folder);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        const QString name = i < kMatchingPerFolder ? QStringLiteral("record%1.xml").arg(i)
                                                    : QStringLiteral("other%1.dat").arg(i);
        QFile file(folder + QLatin1Char('/') + name);
        file.open(QIODevice::WriteOnly);
    }
}

void buildTree(const QString& root) {
    if (QFile::exists(root + QStringLiteral("/.complete")))
        return;
    std::printf("building the tree in %s ...\n", qPrintable(root));
    for (int top = 0; top < kTopFolders; ++top) {
        const QString topFolder = root + QStringLiteral("/dept%1").arg(top);
        fillFolder(topFolder);
        for (int child = 1; child < kChildrenPerTop + 1; ++child)
            fillFolder(topFolder + QStringLiteral("/batch%1").arg(child));
    }
    QFile(root + QStringLiteral("/.complete")).open(QIODevice::WriteOnly);
}

double bestOfThree(const std::function<void()>& run) {
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir::tempPath() + QStringLiteral("/brindlequay-walk-tree");
    buildTree(root);

    int found = 0;
    const double findMs = bestOfThree([&] {
        QProcess find;
        find.start(QStringLiteral("find"),
                   {root, QStringLiteral("-iname"), QStringLiteral("*.xml")});
        find.waitForFinished(-1);
        found = static_cast<int>(find.readAllStandardOutput().count('\n'));
    });

    int added = 0;
    const double modelMs = bestOfThree([&] {
        FileList list;
        WalkProblems problems;
        EventPump events;
        AddFilesFromFolder(
            list, root, QStringLiteral("*.xml"), [&] { events.pump(); }, problems);
        added = list.count();
    });

    const double viewMs = bestOfThree([&] {
        FileList list;
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setModel(&list);
        view.show();
        WalkProblems problems;
        EventPump events;
        AddFilesFromFolder(
            list, root, QStringLiteral("*.xml"), [&] { events.pump(); }, problems);
        QCoreApplication::processEvents();
    });

    std::printf("find -iname '*.xml': %8.1f ms (%d files)\n", findMs, found);
    std::printf("walk into the model: %8.1f ms (%d files)  %.2fx find\n", modelMs, added,
                modelMs / findMs);
    std::printf("walk into the view:  %8.1f ms              %.2fx find\n", viewMs, viewMs / findMs);
    return added == found ? 0 : 1;
}
