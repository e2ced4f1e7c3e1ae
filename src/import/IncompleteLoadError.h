#pragma once

#include "base/RuntimeError.h"
#include "sheet/SheetShortfall.h"

#include <vector>

// Raised to a step's report when values were written but part of them did not fit on their
// sheets; the sheets hold what did.
class IncompleteLoadError : public RuntimeError {
public:
    explicit IncompleteLoadError(std::vector<SheetShortfall> shortfalls)
        : RuntimeError(describe(shortfalls)), m_shortfalls(std::move(shortfalls)) {}
    const std::vector<SheetShortfall>& shortfalls() const { return m_shortfalls; }

private:
    static QString describe(const std::vector<SheetShortfall>& shortfalls);

    std::vector<SheetShortfall> m_shortfalls;
};
