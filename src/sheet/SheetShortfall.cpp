#include "sheet/SheetShortfall.h"

#include "sheet/Worksheet.h"

#include <QStringList>

#include <algorithm>

QString SheetShortfall::description() const {
    QString text;
    if (valuesLeftOut > 0)
        text = QStringLiteral("%1 values beyond the sheet's 16,384 columns were not loaded")
                   .arg(valuesLeftOut);
    if (!cutCells.empty()) {
        const auto kCellsNamed = static_cast<size_t>(kCellsNamedInAReport);
        QStringList named;
        for (size_t i = 0; i < std::min(cutCells.size(), kCellsNamed); ++i)
            named << QStringLiteral("%1!%2 (%3 characters cut)")
                         .arg(sheetOf(cutCells[i]),
                              cellReference(cutCells[i].row, cutCells[i].column))
                         .arg(cutCells[i].charactersCut);
        if (cutCells.size() > kCellsNamed)
            named << QStringLiteral("and %1 more").arg(cutCells.size() - kCellsNamed);
        text += (text.isEmpty() ? QString() : QStringLiteral("; ")) +
                QStringLiteral("%1 values longer than a cell's 32,767 characters kept only their "
                               "start: ")
                    .arg(cutCells.size()) +
                named.join(QStringLiteral(", "));
    }
    return source + QStringLiteral(": ") + text;
}
