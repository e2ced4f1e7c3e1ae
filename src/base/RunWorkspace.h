#pragma once

#include <QString>

// Makes the private folder of one import run inside `temporaryFolder`: created at once with a
// name no one can predict, open to its owner only, so that runs at once never meet and no one
// else can plant a file or a link in it. Raises an error that names the folder and the reason
// when it cannot be made.
QString makeRunWorkspace(const QString& temporaryFolder);
