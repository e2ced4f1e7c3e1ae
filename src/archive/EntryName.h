#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

// A member's name as text, and whether it could be read as the archive wrote it.
struct EntryName {
    QString text;
    bool readable = true;
};

// Reads a member's name from the bytes the archive records. A name the archive marks as UTF-8
// (the language-encoding flag, or Info-ZIP's Unicode path field in `extraField`) must be UTF-8;
// any other name is UTF-8 where its bytes are, as many tools write it without saying so, and
// CP437 otherwise, the encoding the format began with. A name that the archive marks as UTF-8
// but is not, or that holds a NUL, is not readable: it is given with replacement characters.
EntryName decodeEntryName(std::string_view raw, std::uint32_t flags, std::string_view extraField);
