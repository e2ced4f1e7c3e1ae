#include "archive/SourceFile.h"
#include "base/ProgramFolder.h"
#include "base/SettingsStore.h"
#include "base/StopSignals.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "ui/Form1.h"
#include "ui/SystemDesktop.h"
#include "ui/WidgetDialogs.h"
#include "ui/WorkbookWindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Brindlequay"));
    catchStopSignals();

    WidgetDialogs dialogs;
    SettingsStore settings(SettingsStore::userFilePath(), SettingsStore::userFormat());
    SystemDesktop desktop;
    SpreadsheetEngine& spreadsheets = SpreadsheetEngine::shared();
    Form1 window({dialogs, desktop, settings, spreadsheets, programFolder()});
    // Every visible instance gets a window of its own that outlives the main window. Save As
    // starts where the user last saved, or beside the first file imported (a member's archive).
    spreadsheets.setPresenter([&](std::shared_ptr<EngineInstance> instance) {
        auto* shown = new WorkbookWindow(std::move(instance));
        const QStringList listed = window.fileList().paths();
        shown->setSaveFolders(
            &settings,
            listed.isEmpty() ? QString() : QFileInfo(fileOnDiskOf(listed.first())).absolutePath());
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->show();
    });
    dialogs.setOwner(&window);
    window.Form_Load();
    window.show();
    // Files and folders given on the command line, as "Open with" passes them.
    if (const QStringList given = application.arguments().mid(1); !given.isEmpty())
        window.addStartingPaths(given);
    // Ended from outside (the session ends, a kill): a run under way stops at its next look at
    // its events and its partial files go; nothing is asked, nothing saved. A second signal ends
    // the program at once, removing the partial files and a half-saved workbook itself.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&] {
        if (stopSignal() != 0)
            QCoreApplication::exit(exitStatusAfterStop());
    });
    stopWatch.start(200);
    return application.exec();
}
