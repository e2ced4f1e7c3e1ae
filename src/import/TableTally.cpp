#include "import/TableTally.h"

#include "import/ImportResult.h"

FileIndexes fileIndexesOf(const std::vector<FileOutcome>& files) {
    FileIndexes indexes;
    indexes.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        indexes.try_emplace(files[i].path.toStdString(), i);
    return indexes;
}

TableTally::TableTally(const FileIndexes& files, std::optional<std::size_t> owner)
    : m_files(files), m_owner(owner) {}

void TableTally::names(std::span<const std::string> names) {
    m_columns.resize(names.size());
    for (std::size_t c = 0; c < names.size(); ++c) {
        m_columns[c].name = names[c];
        if (!m_owner && !m_fileColumn && names[c] == "#file")
            m_fileColumn = c;
    }
}

std::size_t TableTally::fileOf(std::span<const std::string_view> fields) {
    if (m_owner)
        return *m_owner;
    if (!m_fileColumn || *m_fileColumn >= fields.size())
        return kNoFile;
    // A file's rows mostly follow one another: its name is looked up once for all of them.
    const std::string_view name = fields[*m_fileColumn];
    if (name != m_lastFileName) {
        m_lastFileName.assign(name);
        const auto found = m_files.find(m_lastFileName);
        m_lastFile = found == m_files.end() ? kNoFile : found->second;
    }
    return m_lastFile;
}

void TableTally::record(std::span<const std::string_view> fields) {
    const std::size_t file = fileOf(fields);
    ++m_rows;
    if (file != kNoFile) {
        const auto [at, made] = m_fileRowsAt.try_emplace(file, m_rowsByFile.size());
        if (made)
            m_rowsByFile.emplace_back(file, 0);
        ++m_rowsByFile[at->second].second;
    }
    const std::size_t count = std::min(fields.size(), m_columns.size());
    for (std::size_t c = 0; c < count; ++c) {
        if (fields[c].empty())
            continue;
        Column& column = m_columns[c];
        ++column.values;
        if (column.values == 1 ||
            (file != kNoFile && (column.firstFile == kNoFile || file < column.firstFile))) {
            column.firstFile = file;
            column.example.assign(fields[c]);
        }
        if (file == kNoFile)
            continue;
        if (m_owner) {
            column.fileCount = 1;
            continue;
        }
        if (column.files.empty())
            column.files.resize(m_files.size(), false);
        if (!column.files[file]) {
            column.files[file] = true;
            ++column.fileCount;
        }
    }
}

void TableTally::addTo(const QString& table, const std::vector<ValueType>& types,
                       std::vector<FileOutcome>& files, RunSummary& summary) const {
    const auto fileName = [&](std::size_t file) {
        return file < files.size() ? files[file].path : QString();
    };
    RunSummary::Table& written = summary.tables.emplace_back();
    written.name = table;
    written.rows = m_rows;
    written.columns = static_cast<int>(m_columns.size());
    written.files = static_cast<std::int64_t>(m_rowsByFile.size());
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const Column& column = m_columns[c];
        RunSummary::Column& summed = summary.columns.emplace_back();
        summed.table = table;
        summed.column = QString::fromStdString(column.name);
        summed.type = column.values > 0 && c < types.size() ? types[c] : ValueType::Empty;
        summed.files = column.fileCount;
        summed.tableFiles = written.files;
        summed.values = column.values;
        summed.empty = m_rows - column.values;
        if (column.values > 0) {
            summed.firstFile = fileName(column.firstFile);
            summed.example = QString::fromStdString(column.example);
        }
    }
    for (const auto& [file, rows] : m_rowsByFile)
        if (file < files.size())
            files[file].given += rows;
}
