#include "import/PathTally.h"

#include "import/ImportResult.h"
#include "sheet/CellValue.h"

ValueType typeOfCellText(std::string_view text) {
    if (text.empty())
        return ValueType::Empty;
    // As a cell reads it: only a digit or a minus sign begins a number or a date.
    if ((text[0] >= '0' && text[0] <= '9') || text[0] == '-') {
        if (losslessNumber(text))
            return ValueType::Number;
        if (losslessDate(text))
            return ValueType::Date;
    }
    return ValueType::Text;
}

void FilePathTally::line(std::string_view path, std::string_view leaf, std::string_view value) {
    Entry* entry = nullptr;
    if (leaf.empty()) {
        entry = &entryFor(path);
    } else {
        // Leaf lines are the most common: the key is built in a buffer kept from line to line.
        m_key.assign(path).push_back(',');
        m_key.append(leaf);
        entry = &entryFor(m_key);
    }
    ++entry->lines;
    entry->type = combinedType(entry->type, typeOfCellText(value));
}

FilePathTally::Entry& FilePathTally::entryFor(std::string_view key) {
    if (const auto found = m_index.find(key); found != m_index.end())
        return m_entries[found->second];
    m_index.emplace(std::string(key), m_entries.size());
    return m_entries.emplace_back(Entry{std::string(key), 0, ValueType::Empty});
}

void PathSummary::add(std::size_t fileIndex, const FilePathTally& tally) {
    FileCounts& file = m_files.emplace_back(FileCounts{fileIndex, {}});
    file.counts.reserve(tally.entries().size());
    for (const FilePathTally::Entry& entry : tally.entries()) {
        const auto [at, made] =
            m_ids.try_emplace(entry.path, static_cast<std::uint32_t>(m_paths.size()));
        if (made)
            m_paths.push_back(entry.path);
        file.counts.push_back({at->second, entry.type, entry.lines});
    }
}

std::vector<RunSummary::Path> PathSummary::paths(std::vector<FileOutcome>& files) const {
    std::vector<RunSummary::Path> paths(m_paths.size());
    // Paths stand in the order of their first appearance in a file that stayed imported.
    std::vector<std::uint32_t> order;
    std::vector<bool> seen(m_paths.size(), false);
    for (const FileCounts& file : m_files) {
        FileOutcome& outcome = files.at(file.file);
        if (!outcome.imported)
            continue;
        outcome.given = 0;
        for (const Count& count : file.counts) {
            RunSummary::Path& path = paths[count.path];
            if (!seen[count.path]) {
                seen[count.path] = true;
                order.push_back(count.path);
                path.firstFile = outcome.path;
            }
            ++path.files;
            path.values += count.lines;
            path.type = combinedType(path.type, count.type);
            outcome.given += count.lines;
        }
    }
    std::vector<RunSummary::Path> ordered;
    ordered.reserve(order.size());
    for (const std::uint32_t id : order) {
        RunSummary::Path& path = paths[id];
        path.path = QString::fromStdString(m_paths[id]).replace(QLatin1Char(','), QLatin1Char('/'));
        ordered.push_back(std::move(path));
    }
    return ordered;
}
