#pragma once

#include "sheet/SheetShortfall.h"
#include "sheet/Workbook.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

class WorkTexts;

// A CSV file read into a workbook, and what could not be read into it.
struct OpenedCsv {
    std::unique_ptr<Workbook> workbook;
    SheetShortfall shortfall;
};

// Raised when memory runs out while CSV text is opened, once the memory the opening took is
// given back: the line it had come to (from 1), so that a caller who joined several texts can
// tell whose lines they were. To everyone else it is a want of memory like any other.
class CsvOutOfMemory : public std::bad_alloc {
public:
    explicit CsvOutOfMemory(qint64 line) : m_line(line) {}
    qint64 line() const { return m_line; }
    const char* what() const noexcept override { return "not enough memory"; }

private:
    qint64 m_line;
};

// The bytes of text read between two calls of `between` (about 10 ms of reading), which a
// caller may count to tell how far an opening has come.
constexpr size_t kCsvBytesBetweenEvents = size_t{1} << 20;

// Opens a CSV file as the spreadsheet application does: a workbook named after the file with
// one sheet named after the file without its extension. Lines end at CR LF, LF or CR; fields
// are split at commas; a field that begins with a double quote runs to the next lone double
// quote, holding commas and line breaks, and "" in it stands for one double quote. Lines beyond
// the sheet's last row go on in sheets after it ("NAME (2)", ...).
// Raises an error when the file cannot be read. `between`, when given, is called after every
// kCsvBytesBetweenEvents, so that a large text lets its caller's events run; whatever it raises
// ends the opening. Raises CsvOutOfMemory when memory runs out.
OpenedCsv openCsvFile(const QString& path, const std::function<void()>& between = {});
// Opens CSV text held in memory as `openCsvFile` opens the file at `path` that would hold it.
OpenedCsv openCsvText(const QString& path, std::string_view text,
                      const std::function<void()>& between = {});
// Opens the text that `texts` holds for `path`, or else the file at `path`.
OpenedCsv openCsv(const QString& path, const WorkTexts* texts,
                  const std::function<void()>& between = {});

// Counts the lines of CSV text as it arrives in pieces, as `openCsvFile` reads them: a line
// break inside a quoted field does not end a line.
class CsvLineCounter {
public:
    CsvLineCounter();
    ~CsvLineCounter();
    CsvLineCounter(const CsvLineCounter&) = delete;
    CsvLineCounter& operator=(const CsvLineCounter&) = delete;

    void feed(std::string_view piece);
    // The lines of the whole text; the counter is used up.
    qint64 finish();

private:
    struct Splitting;
    std::unique_ptr<Splitting> m_splitting;
};

// The number of lines in CSV text given in pieces, read as `openCsvFile` reads it: a line break
// inside a quoted field does not end a line.
qint64 csvLineCount(std::initializer_list<std::string_view> pieces);
