#include "sheet/DataEdges.h"

namespace {
bool filled(const CellStore& cells, CellPlace place) {
    return cells.cell(place.row, place.column) != nullptr;
}

CellPlace stepped(CellPlace place, Heading heading) {
    switch (heading) {
    case Heading::Up:
        return {place.row - 1, place.column};
    case Heading::Down:
        return {place.row + 1, place.column};
    case Heading::Left:
        return {place.row, place.column - 1};
    case Heading::Right:
        return {place.row, place.column + 1};
    }
    return place;
}

bool inside(CellPlace place, CellPlace limit) {
    return place.row >= 1 && place.column >= 1 && place.row <= limit.row &&
           place.column <= limit.column;
}
} // namespace

CellPlace edgeOfData(const CellStore& cells, CellPlace from, Heading heading, CellPlace limit) {
    CellPlace next = stepped(from, heading);
    if (!inside(next, limit))
        return from;
    // Along a run of filled cells, to its last one.
    if (filled(cells, from) && filled(cells, next)) {
        CellPlace at = next;
        for (CellPlace after = stepped(at, heading); inside(after, limit) && filled(cells, after);
             after = stepped(after, heading))
            at = after;
        return at;
    }
    // Across the gap, to the first filled cell; past the data the stored rows end, so a column
    // going down stops looking there.
    const int storedRows = cells.storedRowCount();
    for (; inside(next, limit); next = stepped(next, heading)) {
        if (filled(cells, next))
            return next;
        if (heading == Heading::Down && next.row > storedRows)
            break;
        if (heading == Heading::Right && next.column > cells.storedColumnCount(next.row))
            break;
    }
    switch (heading) {
    case Heading::Up:
        return {1, from.column};
    case Heading::Down:
        return {limit.row, from.column};
    case Heading::Left:
        return {from.row, 1};
    case Heading::Right:
        return {from.row, limit.column};
    }
    return from;
}
