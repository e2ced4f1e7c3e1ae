#pragma once

#include <QString>

// The folder for the files an import leaves behind: the environment variable "temp" (its name
// in any letter case) when it is set and not empty, otherwise the platform's temporary folder.
QString temporaryFolder();
