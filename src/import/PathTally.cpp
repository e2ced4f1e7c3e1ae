#include "import/PathTally.h"

#include "import/ImportResult.h"
#include "sheet/CellValue.h"

ValueType typeOfCellText(std::string_view text) {
    if (text.empty())
        return ValueType::Empty;
    // As a cell reads it: only a digit or a minus sign begins a number or a date.
    if ((text[0] >= '0' && text[0] <= '9') || text[0] == '-') {
        if (readsAsLosslessNumber(text))
            return ValueType::Number;
        if (losslessDate(text))
            return ValueType::Date;
    }
    return ValueType::Text;
}

std::uint32_t PathDictionary::foundOrMade(std::uint32_t parent, std::string_view leaf,
                                          std::uint32_t last) {
    const std::uint32_t at = find(parent, leaf);
    if (last != kNone)
        m_entries[last].next = at;
    return at;
}

std::uint32_t PathDictionary::parentOf(std::string_view path) {
    if (m_lastParent != kNone && m_parents[m_lastParent].path == path)
        return m_lastParent;
    // A document has few paths with names below them: comparing with each costs less than
    // hashing the path.
    if (m_parentsByPath.empty()) {
        for (std::uint32_t at = 0; at < m_parents.size(); ++at)
            if (m_parents[at].path == path)
                return m_lastParent = at;
    } else if (const auto found = m_parentsByPath.find(path); found != m_parentsByPath.end()) {
        return m_lastParent = found->second;
    }
    m_lastParent = static_cast<std::uint32_t>(m_parents.size());
    m_parents.push_back(Parent{std::string(path), {}, {}});
    if (m_parents.size() > kSearched) {
        if (m_parentsByPath.empty())
            for (std::uint32_t at = 0; at < m_parents.size(); ++at)
                m_parentsByPath.emplace(m_parents[at].path, at);
        else
            m_parentsByPath.emplace(m_parents.back().path, m_lastParent);
    }
    return m_lastParent;
}

std::uint32_t PathDictionary::find(std::uint32_t parent, std::string_view leaf) {
    Parent& above = m_parents[parent];
    if (above.byLeaf.empty()) {
        for (const std::uint32_t at : above.entries)
            if (m_entries[at].leaf == leaf)
                return at;
    } else if (const auto found = above.byLeaf.find(std::string(leaf));
               found != above.byLeaf.end()) {
        return found->second;
    }
    std::string& key = m_keys.emplace_back(above.path);
    if (!key.empty())
        key.push_back(',');
    key.append(leaf);
    const auto at = static_cast<std::uint32_t>(m_entries.size());
    m_entries.push_back(Entry{&key, parent, std::string(leaf), kNone, 0, 0});
    above.entries.push_back(at);
    if (above.entries.size() > kSearched) {
        if (above.byLeaf.empty())
            for (const std::uint32_t known : above.entries)
                above.byLeaf.emplace(m_entries[known].leaf, known);
        else
            above.byLeaf.emplace(m_entries[at].leaf, at);
    }
    return at;
}

void FilePathTally::line(std::string_view path, std::string_view leaf, std::string_view value,
                         std::uint64_t above) {
    // The lines below one element share its path, which is then not compared again.
    if (above != m_above || m_parent == PathDictionary::kNone) {
        m_parent = m_dictionary->parentOf(path);
        m_above = above;
    }
    m_last = m_dictionary->entryOf(m_parent, leaf, m_last);
    PathDictionary::Entry& entry = m_dictionary->entry(m_last);
    if (entry.file != m_file) {
        entry.file = m_file;
        entry.slot = static_cast<std::uint32_t>(m_counts.size());
        m_counts.push_back({entry.key, 0, ValueType::Empty});
    }
    Count& count = m_counts[entry.slot];
    ++count.lines;
    // Once texts, always texts: the value need not be read.
    if (count.type != ValueType::Text)
        count.type = combinedType(count.type, typeOfCellText(value));
}

void PathSummary::add(std::size_t fileIndex, const FilePathTally& tally) {
    if (tally.counts().empty())
        return;
    // Keeps the keys that the run's paths are known by.
    m_dictionaries.insert(tally.dictionary());
    FileCounts& file = m_files.emplace_back(FileCounts{fileIndex, {}});
    file.counts.reserve(tally.counts().size());
    for (const FilePathTally::Count& count : tally.counts()) {
        auto known = m_byKey.find(count.key);
        if (known == m_byKey.end()) {
            const auto [byText, made] =
                m_byText.try_emplace(*count.key, static_cast<std::uint32_t>(m_paths.size()));
            if (made)
                m_paths.push_back(count.key);
            known = m_byKey.emplace(count.key, byText->second).first;
        }
        file.counts.push_back({known->second, count.type, count.lines});
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
        path.path =
            QString::fromStdString(*m_paths[id]).replace(QLatin1Char(','), QLatin1Char('/'));
        ordered.push_back(std::move(path));
    }
    return ordered;
}
