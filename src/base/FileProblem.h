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
    // Members of zip archives that are refused, and an archive whose members cannot be listed.
    Encrypted,
    UnsupportedCompression,
    // Its data does not match the size or the CRC its archive records.
    DamagedMember,
    // Past 1 GB unpacked at a ratio above 100 to 1.
    TooLargeUnpacked,
    ArchiveInArchive,
    NameNotReadable,
    DamagedArchive,
};
