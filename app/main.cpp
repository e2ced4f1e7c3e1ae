#include "base/ProgramFolder.h"
#include "base/SettingsStore.h"
#include "spreadsheet/SpreadsheetEngine.h"
#include "ui/Form1.h"
#include "ui/SystemDesktop.h"
#include "ui/WidgetDialogs.h"
#include "ui/WorkbookWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Brindlequay"));

    WidgetDialogs dialogs;
    SettingsStore settings(SettingsStore::userFilePath(), SettingsStore::userFormat());
    SystemDesktop desktop;
    SpreadsheetEngine& spreadsheets = SpreadsheetEngine::shared();
    // Every visible instance gets a window of its own that outlives the main window.
    spreadsheets.setPresenter([](std::shared_ptr<EngineInstance> instance) {
        auto* window = new WorkbookWindow(std::move(instance));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
    Form1 window({dialogs, desktop, settings, spreadsheets, programFolder()});
    dialogs.setOwner(&window);
    window.Form_Load();
    window.show();
    return application.exec();
}
