#include "import/IncompleteLoadError.h"

#include <QStringList>

QString IncompleteLoadError::describe(const std::vector<SheetShortfall>& shortfalls) {
    QStringList lines;
    for (const SheetShortfall& shortfall : shortfalls)
        lines << shortfall.description();
    return QStringLiteral("Not every value was written whole. ") +
           lines.join(QStringLiteral("\r\n"));
}
