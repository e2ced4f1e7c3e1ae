#include "import/office/SpreadsheetApplication.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemDesktop.h"
#include "shell/Form1.h"
#include "shell/SettingsStore.h"
#include "shell/WidgetDialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Brindlequay"));

    WidgetDialogs dialogs;
    SettingsStore settings(SettingsStore::userFilePath());
    SystemDesktop desktop;
    Form1 window({dialogs, desktop, settings, spreadsheetEngineFactory(), programFolder()});
    dialogs.setOwner(&window);
    window.Form_Load();
    window.show();
    return application.exec();
}
