#include "office/CsvOpening.h"

#include "base/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
constexpr qint64 kChunk = 4 << 20;

// A sheet name that the workbook accepts, made from a file name.
QString sheetNameFor(const QString& fileName) {
    QString name = QFileInfo(fileName).completeBaseName();
    if (QFileInfo(fileName).suffix().isEmpty())
        name = QFileInfo(fileName).fileName();
    return acceptableSheetName(name, QStringLiteral("Sheet1"));
}

// Splits text into lines and fields and stores them, row by row.
class CsvCells {
public:
    explicit CsvCells(CellStore& cells) : m_cells(cells) {}

    void feed(std::string_view text) {
        for (char c : text) {
            if (c == '\n' && m_afterCarriageReturn) {
                m_afterCarriageReturn = false;
                continue;
            }
            m_afterCarriageReturn = c == '\r';
            if (c == '\r' || c == '\n')
                endLine();
            else if (c == ',')
                endField();
            else
                m_field.push_back(c);
        }
    }

    void finish() {
        if (!m_field.empty() || m_column > 1)
            endLine();
    }

    SheetShortfall shortfall(const QString& fileName) const {
        return {fileName, m_rowsLeftOut, m_fieldsLeftOut};
    }

private:
    void endField() {
        if (m_row > kMaxRows) {
            // counted by the line
        } else if (m_column > kMaxColumns) {
            if (!m_field.empty())
                ++m_fieldsLeftOut;
        } else if (!m_field.empty()) {
            m_cells.setText(m_row, m_column, m_field);
        }
        m_field.clear();
        ++m_column;
    }
    void endLine() {
        endField();
        if (m_row > kMaxRows)
            ++m_rowsLeftOut;
        ++m_row;
        m_column = 1;
    }

    CellStore& m_cells;
    std::string m_field;
    int m_row = 1;
    int m_column = 1;
    bool m_afterCarriageReturn = false;
    qint64 m_rowsLeftOut = 0;
    qint64 m_fieldsLeftOut = 0;
};
} // namespace

QString SheetShortfall::description() const {
    QString text;
    if (linesLeftOut > 0)
        text = QStringLiteral("%1 lines beyond the sheet's 1,048,576 rows were not loaded")
                   .arg(linesLeftOut);
    if (valuesLeftOut > 0)
        text += (text.isEmpty() ? QString() : QStringLiteral("; ")) +
                QStringLiteral("%1 values beyond the sheet's 16,384 columns were not loaded")
                    .arg(valuesLeftOut);
    return file + QStringLiteral(": ") + text;
}

OpenedCsv openCsvFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("Cannot open ") + path + QStringLiteral(": ") +
                           file.errorString());
    const QString fileName = QFileInfo(path).fileName();
    OpenedCsv opened{Workbook::createWithSheet(fileName, sheetNameFor(fileName)), {}};
    CsvCells cells(opened.workbook->activeSheet().cells());

    QByteArray chunk = file.read(kChunk);
    const bool utf16 = chunk.startsWith("\xFF\xFE");
    if (chunk.startsWith("\xEF\xBB\xBF"))
        chunk.remove(0, 3);
    QStringDecoder fromUtf16(QStringDecoder::Utf16LE);
    while (!chunk.isEmpty()) {
        if (utf16) {
            const QByteArray utf8 = QString(fromUtf16(chunk)).toUtf8();
            cells.feed(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
        } else {
            cells.feed(std::string_view(chunk.constData(), static_cast<size_t>(chunk.size())));
        }
        chunk = file.read(kChunk);
    }
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(QStringLiteral("Cannot read ") + path + QStringLiteral(": ") +
                           file.errorString());
    cells.finish();
    opened.workbook->markSaved();
    opened.shortfall = cells.shortfall(fileName);
    return opened;
}
