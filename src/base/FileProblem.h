#pragma once

#include <cstdint>

// Why a listed file was not imported, as a summary of the run groups its files.
enum class FileProblem : std::uint8_t {
    // Any other failure; its reason says what.
    Failed,
    NotWellFormed,
    NotReadable,
    NotRegularFile,
    ChangedWhileRead,
    // More columns than a table or a sheet holds.
    TooWide,
    OutOfMemory,
};
