#include "filelist/AddFilesDialog.h"

#include "base/Dialogs.h"
#include "filelist/FileList.h"

void chooseAndAppendFiles(Dialogs& dialogs, FileList& list) {
    list.appendAll(
        dialogs.chooseFiles(QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                            QStringLiteral("XML Files (*.xml)")));
}
