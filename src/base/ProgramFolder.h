#pragma once

#include <QString>

// The folder that holds the running program, without a trailing separator.
QString programFolder();
