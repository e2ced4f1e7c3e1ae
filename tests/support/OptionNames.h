#pragma once

#include "import/ImportSurface.h"

#include <ostream>

// The send option and the route as a failure names them, for a test that runs each in turn.
inline std::ostream& operator<<(std::ostream& out, SendMode send) {
    switch (send) {
    case SendMode::OneSheet:
        return out << "one sheet";
    case SendMode::MultipleSheets:
        return out << "a sheet per file";
    case SendMode::None:
        break;
    }
    return out << "no send option";
}

inline std::ostream& operator<<(std::ostream& out, ImportRoute route) {
    switch (route) {
    case ImportRoute::WithoutDatabase:
        return out << "flattening";
    case ImportRoute::Database:
        return out << "through the database";
    case ImportRoute::None:
        break;
    }
    return out << "no route";
}
