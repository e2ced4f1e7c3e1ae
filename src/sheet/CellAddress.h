#pragma once

#include <QString>

#include <optional>

// A cell named as a person types it: a reference such as "B12" or "$B$12", after the name of its
// sheet and "!" when it is on another ("Sheet2!C3", "'Q1 sales'!C3" for a name that needs the
// quotes, an apostrophe in it doubled).
struct CellAddress {
    // "" when no sheet is named.
    QString sheet;
    int row = 0;
    int column = 0;
};

// The cell named by `text`, spaces around it left aside; none for a text that names no cell of
// a sheet, such as "B0", "XFE1" or a quoted name left open.
std::optional<CellAddress> parseCellAddress(const QString& text);
