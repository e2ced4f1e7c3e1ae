#pragma once

#include <QString>

// Reads a stored option text as a Boolean: "True"/"False" in any letter case, or a number
// (zero is false, any other number true). Any other text raises a type-mismatch error.
bool booleanFromText(const QString& text);

// The text under which a Boolean is stored: "True" or "False".
QString textFromBoolean(bool value);
