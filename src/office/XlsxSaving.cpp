#include "office/XlsxSaving.h"

#include "base/RuntimeError.h"
#include "base/TextFiles.h"
#include "office/Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <map>
#include <xlsxwriter.h>

namespace {
// Readers of the format turn "_xHHHH_" into the character HHHH; a text that holds such a run
// gets its underscore escaped so that it reads back as written.
std::string protectEscapes(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
            text[i + 6] == '_' &&
            std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 2,
                        text.begin() + static_cast<std::ptrdiff_t>(i) + 6,
                        [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
            result.append("_x005F_");
            continue;
        }
        result.push_back(text[i]);
    }
    return result;
}

size_t codePoints(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// A cell's text as the file holds it, and how many characters of it had to go. The file's
// limit is counted after escaping, so a long text full of "_xHHHH_" runs loses more of its end.
struct SavedText {
    std::string escaped;
    qint64 charactersCut = 0;
};

SavedText savedText(std::string_view text) {
    std::string_view kept = fitIntoCell(text).kept;
    std::string escaped = protectEscapes(kept);
    for (size_t count = codePoints(escaped); count > static_cast<size_t>(kMaxCellCharacters);
         count = codePoints(escaped)) {
        for (size_t excess = count - kMaxCellCharacters; excess > 0 && !kept.empty(); --excess) {
            kept.remove_suffix(1);
            while (!kept.empty() && (static_cast<unsigned char>(kept.back()) & 0xC0) == 0x80)
                kept.remove_suffix(1);
            if (!kept.empty() && static_cast<unsigned char>(kept.back()) >= 0xC0)
                kept.remove_suffix(1);
        }
        escaped = protectEscapes(kept);
    }
    return {std::move(escaped), utf16Length(text) - utf16Length(kept)};
}

class XlsxFile {
public:
    XlsxFile(const QString& path, const QString& scratchFolder)
        : m_scratch(QFile::encodeName(scratchFolder).toStdString()) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_scratch.data();
        options.use_zip64 = LXW_TRUE;
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!m_book)
            throw RuntimeError(QStringLiteral("Cannot create the workbook file ") + path);
    }
    ~XlsxFile() {
        if (m_book)
            workbook_close(m_book);
    }
    XlsxFile(const XlsxFile&) = delete;
    XlsxFile& operator=(const XlsxFile&) = delete;

    lxw_worksheet* addSheet(const QString& name) {
        lxw_worksheet* sheet = workbook_add_worksheet(m_book, name.toUtf8().constData());
        if (!sheet)
            throw RuntimeError(QStringLiteral("The sheet \"%1\" cannot be saved").arg(name));
        return sheet;
    }

    // The format that shows a number with `decimals` decimals; none for whole numbers.
    lxw_format* numberFormat(int decimals) {
        if (decimals == 0)
            return nullptr;
        auto found = m_formats.find(decimals);
        if (found != m_formats.end())
            return found->second;
        lxw_format* format = workbook_add_format(m_book);
        const std::string pattern = "0." + std::string(static_cast<size_t>(decimals), '0');
        format_set_num_format(format, pattern.c_str());
        return m_formats.emplace(decimals, format).first->second;
    }

    void close(const QString& path) {
        errno = 0;
        const lxw_error error = workbook_close(m_book);
        const int systemError = errno;
        m_book = nullptr;
        if (error == LXW_NO_ERROR)
            return;
        // The library's own word for a full disk is a generic zip error.
        if (systemError == ENOSPC || systemError == EDQUOT)
            throw RuntimeError(QStringLiteral("Cannot write the workbook file %1: %2")
                                   .arg(path, writeProblem(systemError, path)));
        throw RuntimeError(QStringLiteral("Cannot write the workbook file %1: %2")
                               .arg(path, QString::fromUtf8(lxw_strerror(error))));
    }

private:
    std::string m_scratch;
    lxw_workbook* m_book = nullptr;
    std::map<int, lxw_format*> m_formats;
};

// Notes a cell the file refused; the rest of the sheet is still written.
void noteRefused(lxw_error error, const Worksheet& sheet, int row, int column,
                 QStringList& problems) {
    if (error != LXW_NO_ERROR)
        problems << QStringLiteral("Cell %1!%2 was not saved: %3")
                        .arg(sheet.name(), cellReference(row, column),
                             QString::fromUtf8(lxw_strerror(error)));
}

void writeSheet(XlsxFile& file, const Worksheet& sheet, QStringList& problems) {
    lxw_worksheet* target = file.addSheet(sheet.name());
    const CellStore& cells = sheet.cells();
    for (int row = 1; row <= cells.storedRowCount(); ++row) {
        for (int column = 1; column <= cells.storedColumnCount(row); ++column) {
            const Cell* cell = cells.cell(row, column);
            if (!cell)
                continue;
            const auto r = static_cast<lxw_row_t>(row - 1);
            const auto c = static_cast<lxw_col_t>(column - 1);
            if (cell->kind == Cell::Kind::Number) {
                noteRefused(worksheet_write_number(target, r, c, cell->number,
                                                   file.numberFormat(cell->decimals)),
                            sheet, row, column, problems);
                continue;
            }
            // Cells cut their texts as they take them; this guards the file's own limit.
            const SavedText text = savedText(cells.textOf(*cell));
            if (text.charactersCut > 0)
                problems << QStringLiteral("Cell %1!%2 was saved without its last %3 characters")
                                .arg(sheet.name(), cellReference(row, column))
                                .arg(text.charactersCut);
            noteRefused(worksheet_write_string(target, r, c, text.escaped.c_str(), nullptr), sheet,
                        row, column, problems);
        }
    }
}
} // namespace

QStringList saveAsXlsx(const Workbook& workbook, const QString& path) {
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        throw RuntimeError(QStringLiteral("Cannot save %1: the folder %2 does not exist")
                               .arg(path, target.absolutePath()));
    QTemporaryDir scratch(target.absolutePath() + QStringLiteral("/.brindlequay-save-XXXXXX"));
    if (!scratch.isValid())
        throw RuntimeError(QStringLiteral("Cannot save %1: %2").arg(path, scratch.errorString()));
    const QString partial = scratch.filePath(QStringLiteral("workbook.xlsx"));
    QStringList problems;
    {
        XlsxFile file(partial, scratch.path());
        for (int i = 1; i <= workbook.sheetCount(); ++i)
            writeSheet(file, workbook.sheet(i), problems);
        file.close(path);
    }
    replaceFileWith(partial, path);
    if (problems.size() > kCellsNamedInAReport) {
        const qsizetype more = problems.size() - kCellsNamedInAReport;
        problems.resize(kCellsNamedInAReport);
        problems << QStringLiteral("and %1 more cells").arg(more);
    }
    return problems;
}
