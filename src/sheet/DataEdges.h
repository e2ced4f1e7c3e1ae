#pragma once

#include "sheet/CellSearch.h"
#include "sheet/Worksheet.h"

// The four ways a jump across the data goes.
enum class Heading { Up, Down, Left, Right };

// Where Ctrl and an arrow key lead from `from`, as in the spreadsheet applications: from a
// filled cell whose neighbour is filled, to the last filled cell before a gap; otherwise to the
// next filled cell after the gap; with nothing filled that way, to the edge, which `limit` gives
// (the last row and column a grid shows).
CellPlace edgeOfData(const CellStore& cells, CellPlace from, Heading heading, CellPlace limit);
