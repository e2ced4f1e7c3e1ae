#pragma once

#include "xml/XmlReader.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The kinds of element in the files of a run. An element's kind is its path of names below the
// document element, prefixes dropped, letter case not regarded: every document element is one
// kind whatever its name, so "TaxTotal" in an invoice and in a credit note is one kind, while
// "Party" under a supplier and under a customer are two. Every file is surveyed before any is
// stored, so that what repeats, and so makes a table of its own, and what holds mixed text, and
// so is one value, is decided once for the whole run.
class ElementKinds {
public:
    using Kind = std::uint32_t;
    static constexpr Kind kNone = UINT32_MAX;
    // Kinds are numbered below 2^30, so that a kind and a name make one number.
    static constexpr Kind kMaxKinds = Kind(1) << 30;

    ElementKinds();
    ~ElementKinds();

    // Reads a file and counts its elements in. A file that cannot be read adds nothing and
    // gives the reader's error; one that fails otherwise, as for want of memory, adds nothing
    // and raises the failure.
    std::optional<XmlError> survey(const QString& path);

    // The kind of an element named `name` (its local name) inside one of kind `parent`, kNone
    // for the document element, whose kind is the same for every name; kNone when no surveyed
    // file has it.
    Kind find(Kind parent, std::string_view name) const;
    // One number for a step from an element of kind `parent` (kNone above the document
    // element) to a child named by the number `name`: the key of a kind by its place.
    static std::uint64_t stepKey(Kind parent, std::uint32_t name) {
        return (std::uint64_t(parent == kNone ? 0 : parent + 1) << 32) | name;
    }
    // Whether elements of the kind occur more than once inside one element of some file.
    bool repeats(Kind kind) const { return m_kinds[kind].repeats; }
    // Whether an element of the kind has child elements in some file.
    bool hasChildren(Kind kind) const { return m_kinds[kind].hasChildren; }
    // Whether an element of the kind holds a value of its own in some file: an attribute, text,
    // or, having no children, itself.
    bool hasValue(Kind kind) const { return m_kinds[kind].hasValue; }
    // Whether an element of the kind has text of more than whitespace beside child elements in
    // some file: its value is then its whole text, its children's included.
    bool mixed(Kind kind) const { return m_kinds[kind].mixed; }
    // Whether any kind is mixed.
    bool anyMixed() const { return m_mixedKinds > 0; }
    // Whether a document element of the kind holds a value, its own or one of the elements
    // that do not repeat below it, in some file.
    bool holdsValues(Kind kind) const;
    // The names from `ancestor` (not included) down to `kind`, joined by "/", each as it was
    // first written; `folded` with the names in the form that compares without letter case. A
    // path of more than `maxBytes` keeps its last whole names after ".../" (no name begins with
    // "."), so that it costs only what it keeps however deep it goes; `cut` says whether it did.
    std::string pathBetween(Kind ancestor, Kind kind, bool folded, size_t maxBytes,
                            bool* cut = nullptr) const;

private:
    friend class KindCounter;

    struct KindEntry {
        Kind parent;
        std::uint32_t name;
        std::vector<Kind> children;
        bool repeats = false;
        bool hasChildren = false;
        bool hasValue = false;
        bool mixed = false;
    };
    struct Name {
        std::string written;
        std::string folded;
    };

    std::uint32_t nameNumber(std::string_view written);
    Kind kindOf(Kind parent, std::uint32_t name);

    std::vector<KindEntry> m_kinds;
    // Names by number, one for each form that compares without letter case; the maps' keys
    // point into them and into the spellings met since.
    std::deque<Name> m_names;
    std::deque<std::string> m_spellings;
    std::unordered_map<std::string_view, std::uint32_t> m_nameByWritten;
    std::unordered_map<std::string_view, std::uint32_t> m_nameByFolded;
    std::unordered_map<std::uint64_t, Kind> m_kindByStep;
    size_t m_mixedKinds = 0;
};
