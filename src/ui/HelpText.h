#pragma once

#include <QString>

// The text of the Help button's message: how to check files that fail and what the program needs.
QString helpMessageText();
