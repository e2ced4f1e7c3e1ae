#include "sheet/LinkFollowing.h"

#include "sheet/Workbook.h"

LinkDestination followLink(const Workbook& workbook, const Worksheet& from, int row, int column) {
    const SheetLink* link = from.linkAt(row, column);
    if (!link)
        return {};
    const Worksheet* target = workbook.findSheet(link->sheet);
    for (int index = 1; target && index <= workbook.sheetCount(); ++index)
        if (&workbook.sheet(index) == target)
            return {LinkDestination::Outcome::Found,
                    {index, {link->targetRow, link->targetColumn}},
                    target->name()};
    return {LinkDestination::Outcome::SheetGone, {}, link->sheet};
}
