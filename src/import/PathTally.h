#pragma once

#include "import/RunSummary.h"
#include "xml/CsvConversion.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct FileOutcome;

// The kind of value a text becomes in a cell: a number or a date when reading it as one loses
// nothing, a text otherwise, nothing for "".
ValueType typeOfCellText(std::string_view text);

// The element paths of one file's flattened lines, counted while the file is converted. Each
// file has its own, so that a file converted on another thread is counted there.
class FilePathTally final : public CsvLineObserver {
public:
    struct Entry {
        // The names joined by the flattening's separator.
        std::string path;
        std::int64_t lines = 0;
        ValueType type = ValueType::Empty;
    };

    void line(std::string_view path, std::string_view leaf, std::string_view value) override;

    // In the order the paths first appear in the file.
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    Entry& entryFor(std::string_view key);

    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, size_t, TextHash, std::equal_to<>> m_index;
    std::vector<Entry> m_entries;
    std::string m_key;
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
    std::unordered_map<std::string, std::uint32_t> m_ids;
    std::vector<std::string> m_paths;
    std::vector<FileCounts> m_files;
};
