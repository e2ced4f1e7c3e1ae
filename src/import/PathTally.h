#pragma once

#include "import/RunSummary.h"
#include "xml/CsvConversion.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct FileOutcome;

// The kind of value a text becomes in a cell: a number or a date when reading it as one loses
// nothing, a text otherwise, nothing for "".
ValueType typeOfCellText(std::string_view text);

// The element paths met in the files that one thread flattens, kept from file to file: most
// files of a run hold the same paths, which are then found rather than made again for each.
//
// A line is known by the path above its last name and that name. Records repeat, so the line
// after a path's line is mostly the one that followed it before; otherwise most lines follow
// one below the same path, and most paths have few names below them, so a line is mostly found
// by a comparison or two, without hashing and without a text made for it.
class PathDictionary {
public:
    struct Entry {
        // The names joined by the flattening's separator; never changes once made, so that
        // another thread may read it through the files this dictionary counted.
        const std::string* key;
        std::uint32_t parent;
        std::string leaf;
        // The entry of the line that followed this one's last line.
        std::uint32_t next;
        // The file that last counted it, and where that file counts it.
        std::uint64_t file;
        std::uint32_t slot;
    };
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // The path above lines, by the names it joins.
    std::uint32_t parentOf(std::string_view path);
    // The entry of a line below path `parent` named `leaf`, which followed the line of entry
    // `last`. Inline: it is asked for every line, and mostly answered by the first comparison.
    std::uint32_t entryOf(std::uint32_t parent, std::string_view leaf, std::uint32_t last) {
        if (last != kNone) {
            const std::uint32_t next = m_entries[last].next;
            if (next != kNone && m_entries[next].parent == parent &&
                std::string_view(m_entries[next].leaf) == leaf)
                return next;
        }
        return foundOrMade(parent, leaf, last);
    }
    Entry& entry(std::uint32_t at) { return m_entries[at]; }
    // A number for each file counted, so that an entry knows whether a file has counted it.
    std::uint64_t nextFile() { return ++m_files; }

private:
    struct Parent {
        std::string path;
        // Its entries, compared one by one while they are few, then found by name.
        std::vector<std::uint32_t> entries;
        std::unordered_map<std::string, std::uint32_t> byLeaf;
    };
    static constexpr std::size_t kSearched = 16;

    std::uint32_t foundOrMade(std::uint32_t parent, std::string_view leaf, std::uint32_t last);
    std::uint32_t find(std::uint32_t parent, std::string_view leaf);

    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::vector<Parent> m_parents;
    std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> m_parentsByPath;
    std::uint32_t m_lastParent = kNone;
    std::vector<Entry> m_entries;
    // The keys, each in a place of its own that no later key moves.
    std::deque<std::string> m_keys;
    std::uint64_t m_files = 0;
};

// The element paths of one file's flattened lines, counted while the file is converted, in
// the dictionary of the thread that converts it; only one made with a dictionary counts.
class FilePathTally final : public CsvLineObserver {
public:
    FilePathTally() = default;
    explicit FilePathTally(std::shared_ptr<PathDictionary> dictionary)
        : m_dictionary(std::move(dictionary)), m_file(m_dictionary ? m_dictionary->nextFile() : 0) {
    }

    void line(std::string_view path, std::string_view leaf, std::string_view value,
              std::uint64_t above) override;

    struct Count {
        // The path's names joined by the flattening's separator, kept by the dictionary.
        const std::string* key;
        std::int64_t lines;
        ValueType type;
    };
    // Each path of the file, in the order the paths first appear.
    const std::vector<Count>& counts() const { return m_counts; }
    // What keeps the keys of the counts.
    const std::shared_ptr<PathDictionary>& dictionary() const { return m_dictionary; }

private:
    std::shared_ptr<PathDictionary> m_dictionary;
    std::uint64_t m_file = 0;
    std::vector<Count> m_counts;
    std::uint32_t m_last = PathDictionary::kNone;
    // The element the last line stood below, and its path's place in the dictionary.
    std::uint64_t m_above = UINT64_MAX;
    std::uint32_t m_parent = PathDictionary::kNone;
};

// The element paths of a run's files, gathered file by file as the run comes to them.
class PathSummary {
public:
    // Adds the paths of listed file `fileIndex` (from 0, as the run's result counts its files).
    void add(std::size_t fileIndex, const FilePathTally& tally);
    // The paths of the files that stayed imported to the end, in the order they first appear,
    // and each such file's lines as what it gave.
    std::vector<RunSummary::Path> paths(std::vector<FileOutcome>& files) const;

private:
    struct Count {
        std::uint32_t path;
        ValueType type;
        std::int64_t lines;
    };
    struct FileCounts {
        std::size_t file;
        std::vector<Count> counts;
    };
    // The run's paths by the dictionaries' keys, then by their texts: two threads each have
    // a key of their own for one path.
    std::unordered_map<const std::string*, std::uint32_t> m_byKey;
    std::unordered_map<std::string_view, std::uint32_t> m_byText;
    std::vector<const std::string*> m_paths;
    std::unordered_set<std::shared_ptr<PathDictionary>> m_dictionaries;
    std::vector<FileCounts> m_files;
};
