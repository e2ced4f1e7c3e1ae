#pragma once

#include "import/RunSummary.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct FileOutcome;

// The listed files of a run by their paths as merged tables name them (UTF-8), each with its
// place in the run's result.
using FileIndexes = std::unordered_map<std::string, std::size_t>;
FileIndexes fileIndexesOf(const std::vector<FileOutcome>& files);

// What one table holds, counted row by row while it is written into the workbook: its rows and
// the files that gave them, and for each column its values, the files with one, the first such
// file and value. A row's file is the one its `#file` column names, or `owner` for a table of
// one file's own.
class TableTally {
public:
    TableTally(const FileIndexes& files, std::optional<std::size_t> owner);

    void names(std::span<const std::string> names);
    void record(std::span<const std::string_view> fields);

    // The table and its columns, with each column's type as written, into `summary`; each file's
    // rows added to what it gave.
    void addTo(const QString& table, const std::vector<ValueType>& types,
               std::vector<FileOutcome>& files, RunSummary& summary) const;

private:
    static constexpr std::size_t kNoFile = SIZE_MAX;

    std::size_t fileOf(std::span<const std::string_view> fields);

    struct Column {
        std::string name;
        std::int64_t values = 0;
        std::size_t firstFile = kNoFile;
        std::string example;
        // The files with a value in it, by their place; only on a table of many files.
        std::vector<bool> files;
        std::int64_t fileCount = 0;
    };

    const FileIndexes& m_files;
    std::optional<std::size_t> m_owner;
    std::optional<std::size_t> m_fileColumn;
    std::vector<Column> m_columns;
    std::int64_t m_rows = 0;
    // Rows by file, in the order the files first gave one.
    std::vector<std::pair<std::size_t, std::int64_t>> m_rowsByFile;
    std::unordered_map<std::size_t, std::size_t> m_fileRowsAt;
    std::string m_lastFileName;
    std::size_t m_lastFile = kNoFile;
};
