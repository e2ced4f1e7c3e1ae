#include "spreadsheet/CsvOpening.h"

#include "base/RuntimeError.h"
#include "base/Utf16Pieces.h"
#include "base/WorkTexts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

namespace {
constexpr qint64 kChunk = 4 << 20;
// What a line and a cell of flattened XML take on average, to size a sheet before it is read.
constexpr qint64 kBytesPerLine = 48;
constexpr qint64 kBytesPerCell = 8;

// A sheet name that the workbook accepts, made from a file name.
QString sheetNameFor(const QString& fileName) {
    QString name = QFileInfo(fileName).completeBaseName();
    if (QFileInfo(fileName).suffix().isEmpty())
        name = QFileInfo(fileName).fileName();
    return acceptableSheetName(name, QStringLiteral("Sheet1"));
}

bool endsField(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

// Splits CSV text into fields and lines, as it arrives in pieces of any size. `Taker` takes
// every field with its line and column, from 1 (`take`), and every line end (`lineEnds`).
template <typename Taker> class CsvSplitter {
public:
    explicit CsvSplitter(Taker& taker) : m_taker(taker) {}

    void feed(std::string_view text) {
        const size_t size = text.size();
        size_t at = 0;
        while (at < size) {
            const char c = text[at++];
            if (m_quoted && takenInsideQuotes(c))
                continue;
            if (c == '\n' && m_afterCarriageReturn) {
                m_afterCarriageReturn = false;
                continue;
            }
            m_afterCarriageReturn = c == '\r';
            if (c == '\r' || c == '\n') {
                endLine();
                continue;
            }
            if (c == ',') {
                endField();
                continue;
            }
            if (c == '"' && m_field.empty() && !m_fieldWasQuoted) {
                m_quoted = true;
                m_fieldWasQuoted = true;
                continue;
            }
            // A run of plain characters; most fields are one, and are passed on where they lie.
            const size_t start = at - 1;
            while (at < size && !endsField(text[at]))
                ++at;
            const std::string_view run = text.substr(start, at - start);
            if (at == size || !m_field.empty() || m_fieldWasQuoted) {
                m_field.append(run);
                continue;
            }
            const char end = text[at++];
            takeField(run);
            if (end != ',') {
                m_afterCarriageReturn = end == '\r';
                takeLineEnd();
            }
        }
    }

    void finish() {
        if (!m_field.empty() || m_column > 1 || m_fieldWasQuoted)
            endLine();
    }

    // The line being read, from 1.
    qint64 line() const { return m_line; }

private:
    // A character read inside quotes: true when the field took it there, false when it follows
    // the closing quote and is to be read outside quotes.
    bool takenInsideQuotes(char c) {
        if (!m_quoteSeen) {
            if (c == '"')
                m_quoteSeen = true;
            else
                m_field.push_back(c);
            return true;
        }
        m_quoteSeen = false;
        if (c == '"') {
            m_field.push_back(c);
            return true;
        }
        m_quoted = false;
        return false;
    }

    void takeField(std::string_view field) {
        m_taker.take(m_line, m_column, field);
        m_fieldWasQuoted = false;
        m_quoted = false;
        m_quoteSeen = false;
        ++m_column;
    }
    void takeLineEnd() {
        m_taker.lineEnds();
        ++m_line;
        m_column = 1;
    }
    void endField() {
        takeField(m_field);
        m_field.clear();
    }
    void endLine() {
        endField();
        takeLineEnd();
    }

    Taker& m_taker;
    std::string m_field;
    qint64 m_line = 1;
    int m_column = 1;
    bool m_afterCarriageReturn = false;
    bool m_quoted = false;
    bool m_quoteSeen = false;
    bool m_fieldWasQuoted = false;
};

// Stores the fields of CSV text in the cells of a workbook's active sheet; lines beyond its last
// row go on in the sheets that carry it on, made as values reach them. Notes what does not fit.
class CsvCells {
public:
    explicit CsvCells(Workbook& workbook)
        : m_workbook(workbook), m_first(workbook.activeSheet()), m_cells(&m_first.cells()),
          m_splitter(*this) {}

    void feed(std::string_view text) { m_splitter.feed(text); }
    void finish() { m_splitter.finish(); }
    qint64 line() const { return m_splitter.line(); }

    void noteShortfall(SheetShortfall& shortfall) const {
        shortfall.valuesLeftOut = m_fieldsLeftOut;
        shortfall.cutCells = m_cut;
    }

    void take(qint64 line, int column, std::string_view field) {
        if (field.empty())
            return;
        if (column > kMaxColumns) {
            ++m_fieldsLeftOut;
            return;
        }
        // Lines only ever grow, so the sheet changes only forward. Empty lines past the end
        // make no sheet: only a value does.
        if (line >= m_nextSheetLine) {
            m_sheet = static_cast<int>((line - 1) / kMaxRows);
            m_cells = &m_workbook.continuation(m_first, m_sheet).cells();
            m_nextSheetLine = static_cast<qint64>(m_sheet + 1) * kMaxRows + 1;
        }
        const int row = static_cast<int>(line - static_cast<qint64>(m_sheet) * kMaxRows);
        if (const qint64 cut = m_cells->setText(row, column, field); cut > 0)
            m_cut.push_back({row, column, cut, m_sheet});
    }
    void lineEnds() {}

private:
    Workbook& m_workbook;
    Worksheet& m_first;
    CellStore* m_cells;
    int m_sheet = 0;
    qint64 m_nextSheetLine = kMaxRows + 1;
    CsvSplitter<CsvCells> m_splitter;
    qint64 m_fieldsLeftOut = 0;
    std::vector<CutCell> m_cut;
};
} // namespace

// Counts the lines of CSV text as CsvSplitter reads it, without taking its fields. A stretch
// outside quotes and without a double quote, where no field can begin quoted, is counted by
// searching for its line breaks; only double quotes pass through the splitter's rules one by one.
// The text of thousands of files is counted as it is joined, so this takes a fraction of what
// splitting it does.
struct CsvLineCounter::Splitting {
    qint64 lines = 0;
    bool quoted = false;
    bool quoteSeen = false;
    bool afterCarriageReturn = false;
    // What the line being read holds so far: a field before the current one, characters of
    // the current one, or a quoted field.
    bool lineHasFields = false;
    bool fieldHasText = false;
    bool fieldWasQuoted = false;

    void feed(std::string_view text) {
        size_t at = 0;
        while (at < text.size()) {
            if (quoted) {
                at = insideQuotes(text, at);
                if (at == std::string_view::npos)
                    return;
                continue;
            }
            const size_t quote = text.find('"', at);
            outsideQuotes(text.substr(at, quote == std::string_view::npos ? std::string_view::npos
                                                                          : quote - at));
            if (quote == std::string_view::npos)
                return;
            afterCarriageReturn = false;
            if (!fieldHasText && !fieldWasQuoted) {
                quoted = true;
                fieldWasQuoted = true;
            } else {
                fieldHasText = true;
            }
            at = quote + 1;
        }
    }

    // Reads on inside quotes from `at`: where reading goes on, past a doubled quote or the next
    // quote, or at the closing quote's follower, which is read outside quotes; npos when the
    // text ends inside quotes.
    size_t insideQuotes(std::string_view text, size_t at) {
        if (quoteSeen) {
            quoteSeen = false;
            if (text[at] == '"')
                return at + 1;
            quoted = false;
            return at;
        }
        const size_t quote = text.find('"', at);
        if (quote == std::string_view::npos)
            return std::string_view::npos;
        quoteSeen = true;
        return quote + 1;
    }

    // A stretch read outside quotes that holds no double quote.
    void outsideQuotes(std::string_view text) {
        if (text.empty())
            return;
        const char* const begin = text.data();
        const char* const end = begin + text.size();
        // A carriage return always ends a line; a line feed does unless it follows one.
        for (const char* at = begin;
             (at = static_cast<const char*>(std::memchr(at, '\r', static_cast<size_t>(end - at))));
             ++at)
            ++lines;
        for (const char* at = begin;
             (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at))));
             ++at)
            if (at == begin ? !afterCarriageReturn : at[-1] != '\r')
                ++lines;
        afterCarriageReturn = text.back() == '\r';
        size_t lineStart = 0;
        if (const size_t lineEnd = text.find_last_of("\r\n"); lineEnd != std::string_view::npos) {
            lineStart = lineEnd + 1;
            lineHasFields = false;
            fieldHasText = false;
            fieldWasQuoted = false;
        }
        const std::string_view rest = text.substr(lineStart);
        if (const size_t comma = rest.rfind(','); comma != std::string_view::npos) {
            lineHasFields = true;
            fieldWasQuoted = false;
            fieldHasText = comma + 1 < rest.size();
        } else {
            fieldHasText = fieldHasText || !rest.empty();
        }
    }

    qint64 finish() {
        if (fieldHasText || lineHasFields || fieldWasQuoted)
            ++lines;
        return lines;
    }
};

CsvLineCounter::CsvLineCounter() : m_splitting(std::make_unique<Splitting>()) {}
CsvLineCounter::~CsvLineCounter() = default;

void CsvLineCounter::feed(std::string_view piece) {
    m_splitting->feed(piece);
}

qint64 CsvLineCounter::finish() {
    return m_splitting->finish();
}

qint64 csvLineCount(std::initializer_list<std::string_view> pieces) {
    CsvLineCounter counter;
    for (std::string_view piece : pieces)
        counter.feed(piece);
    return counter.finish();
}

namespace {
// Feeds CSV text, which `nextChunk` gives in pieces until it gives an empty one, into `cells`.
void readInto(CsvCells& cells, const std::function<std::string_view()>& nextChunk,
              const std::function<void()>& between) {
    std::string_view chunk = nextChunk();
    std::optional<Utf16Pieces> utf16;
    if (chunk.starts_with("\xFF\xFE"))
        utf16.emplace(false);
    if (chunk.starts_with("\xEF\xBB\xBF"))
        chunk.remove_prefix(3);
    // Fed a slice at a time, so that the caller's events run between slices of a text that
    // takes long to read; the cells take text split anywhere.
    const auto feed = [&](std::string_view text) {
        while (!text.empty()) {
            const std::string_view slice = text.substr(0, kCsvBytesBetweenEvents);
            cells.feed(slice);
            text.remove_prefix(slice.size());
            if (between)
                between();
        }
    };
    const auto feedUtf8 = [&](const QByteArray& utf8) {
        feed(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    };
    while (!chunk.empty()) {
        if (utf16)
            feedUtf8(utf16->toUtf8(QByteArrayView(chunk.data(), qsizetype(chunk.size()))));
        else
            feed(chunk);
        chunk = nextChunk();
    }
    if (utf16)
        feedUtf8(utf16->finish());
    cells.finish();
}

// Reads CSV text, which `nextChunk` gives in pieces until it gives an empty one, into a new
// workbook named `fileName` with one sheet and its continuations.
OpenedCsv readCsv(const QString& fileName, qint64 size,
                  const std::function<std::string_view()>& nextChunk,
                  const std::function<void()>& between) {
    // Where the reading had come to when memory ran out; by the time that is told, the cells
    // read so far are given back.
    qint64 lineReached = 1;
    try {
        OpenedCsv opened{Workbook::createWithSheet(fileName, sheetNameFor(fileName)), {}};
        // A small text's sheet is made to its size at once; a large one grows as it is read.
        if (size <= kChunk)
            opened.workbook->activeSheet().cells().reserve(static_cast<int>(size / kBytesPerLine),
                                                           size / kBytesPerCell, size);
        CsvCells cells(*opened.workbook);
        try {
            readInto(cells, nextChunk, between);
            opened.shortfall.source = fileName;
            opened.shortfall.sheet = opened.workbook->activeSheet().name();
            opened.shortfall.continuations =
                opened.workbook->continuationNames(opened.workbook->activeSheet());
            cells.noteShortfall(opened.shortfall);
        } catch (const std::bad_alloc&) {
            lineReached = cells.line();
            throw;
        }
        opened.workbook->markSaved();
        return opened;
    } catch (const std::bad_alloc&) {
        throw CsvOutOfMemory(lineReached);
    }
}
} // namespace

OpenedCsv openCsvFile(const QString& path, const std::function<void()>& between) {
    QFile file(path);
    // Read straight into our own buffer: the text passes through once, in pieces.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw RuntimeError(QStringLiteral("Cannot open ") + path + QStringLiteral(": ") +
                           file.errorString());
    const qint64 size = file.size();
    // A small file is read into a buffer of its own size, not a whole chunk's room.
    QByteArray buffer(static_cast<qsizetype>(std::clamp<qint64>(size + 1, 1, kChunk)),
                      Qt::Uninitialized);
    return readCsv(
        QFileInfo(path).fileName(), size,
        [&]() -> std::string_view {
            const qint64 read = file.read(buffer.data(), buffer.size());
            if (read < 0)
                throw RuntimeError(QStringLiteral("Cannot read ") + path + QStringLiteral(": ") +
                                   file.errorString());
            return {buffer.constData(), static_cast<size_t>(read)};
        },
        between);
}

OpenedCsv openCsvText(const QString& path, std::string_view text,
                      const std::function<void()>& between) {
    bool given = false;
    return readCsv(
        QFileInfo(path).fileName(), static_cast<qint64>(text.size()),
        [&]() -> std::string_view {
            if (given)
                return {};
            given = true;
            return text;
        },
        between);
}

OpenedCsv openCsv(const QString& path, const WorkTexts* texts,
                  const std::function<void()>& between) {
    if (texts)
        if (const std::shared_ptr<const std::string> text = texts->held(path))
            return openCsvText(path, *text, between);
    return openCsvFile(path, between);
}
