#include "batch/RunReport.h"

#include <QByteArray>

#include <cmath>

namespace {
// One JSON object written on one line, its members in the order they are added.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : m_out(out) { m_out += '{'; }
    ~JsonObject() { m_out += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    JsonObject& text(const char* name, const QString& value) {
        key(name);
        quoted(m_out, value);
        return *this;
    }
    // A text that is "" when there is none: null then.
    JsonObject& textOrNull(const char* name, const QString& value) {
        return value.isEmpty() ? null(name) : text(name, value);
    }
    JsonObject& number(const char* name, std::int64_t value) {
        key(name);
        m_out += std::to_string(value);
        return *this;
    }
    // A count that is 0 or less when there is none: null then.
    JsonObject& numberOrNull(const char* name, std::int64_t value) {
        return value > 0 ? number(name, value) : null(name);
    }
    JsonObject& boolean(const char* name, bool value) {
        key(name);
        m_out += value ? "true" : "false";
        return *this;
    }
    JsonObject& null(const char* name) {
        key(name);
        m_out += "null";
        return *this;
    }
    JsonObject& texts(const char* name, const QStringList& values) {
        key(name);
        m_out += '[';
        for (qsizetype at = 0; at < values.size(); ++at) {
            if (at > 0)
                m_out += ", ";
            quoted(m_out, values[at]);
        }
        m_out += ']';
        return *this;
    }
    // Milliseconds are as fine as a run's time is worth telling.
    JsonObject& seconds(const char* name, double value) {
        if (!std::isfinite(value))
            return null(name);
        key(name);
        m_out += QByteArray::number(std::round(value * 1000) / 1000, 'f', 3).toStdString();
        return *this;
    }

    static void quoted(std::string& out, const QString& value) {
        static constexpr char kDigits[] = "0123456789abcdef";
        const auto escapeUnit = [&out](char16_t unit) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kDigits[(unit >> shift) & 0xF];
        };
        out += '"';
        const qsizetype length = value.size();
        for (qsizetype at = 0; at < length; ++at) {
            const char16_t unit = value[at].unicode();
            if (unit == u'"' || unit == u'\\') {
                out += '\\';
                out += static_cast<char>(unit);
            } else if (unit < 0x80) {
                switch (unit) {
                case u'\n':
                    out += "\\n";
                    break;
                case u'\r':
                    out += "\\r";
                    break;
                case u'\t':
                    out += "\\t";
                    break;
                default:
                    if (unit < 0x20)
                        escapeUnit(unit);
                    else
                        out += static_cast<char>(unit);
                }
            } else if (QChar::isHighSurrogate(unit) && at + 1 < length &&
                       QChar::isLowSurrogate(value[at + 1].unicode())) {
                utf8(out, QChar::surrogateToUcs4(unit, value[at + 1].unicode()));
                ++at;
            } else if (QChar::isSurrogate(unit) || unit == 0x2028 || unit == 0x2029) {
                // A lone surrogate has no UTF-8, yet JSON can still say it exactly; the
                // separators break lines in JavaScript.
                escapeUnit(unit);
            } else {
                utf8(out, unit);
            }
        }
        out += '"';
    }

private:
    static void utf8(std::string& out, char32_t point) {
        const auto byte = [&out](char32_t bits) { out += static_cast<char>(bits); };
        if (point < 0x800) {
            byte(0xC0 | (point >> 6));
        } else if (point < 0x10000) {
            byte(0xE0 | (point >> 12));
            byte(0x80 | ((point >> 6) & 0x3F));
        } else {
            byte(0xF0 | (point >> 18));
            byte(0x80 | ((point >> 12) & 0x3F));
            byte(0x80 | ((point >> 6) & 0x3F));
        }
        byte(0x80 | (point & 0x3F));
    }

    void key(const char* name) {
        if (!m_first)
            m_out += ", ";
        m_first = false;
        m_out += '"';
        m_out += name;
        m_out += "\": ";
    }

    std::string& m_out;
    bool m_first = true;
};

// "\n  \"name\": [\n    {...},\n    {...}\n  ]", each item written by `write`.
template <typename Items, typename Write>
void writeArray(std::string& out, const char* name, const Items& items, const Write& write) {
    out += ",\n  \"";
    out += name;
    out += "\": [";
    bool first = true;
    for (const auto& item : items) {
        out += first ? "\n    " : ",\n    ";
        first = false;
        JsonObject object(out);
        write(object, item);
    }
    out += first ? "]" : "\n  ]";
}

QString routeName(ImportRoute route) {
    switch (route) {
    case ImportRoute::WithoutDatabase:
        return QStringLiteral("flatten");
    case ImportRoute::Database:
        return QStringLiteral("database");
    case ImportRoute::None:
        break;
    }
    return {};
}

// The "run" object: when and how the run was made, and what it came to.
void writeRun(JsonObject& run, const ImportResult& result, const RunSummary& summary) {
    if (summary.started.isValid())
        run.text(
            "started",
            summary.started.toOffsetFromUtc(summary.started.offsetFromUtc()).toString(Qt::ISODate));
    else
        run.null("started");
    run.seconds("seconds", summary.seconds)
        .textOrNull("route", routeName(summary.route))
        .textOrNull("send", sendOptionName(summary))
        .boolean("mergeTables", summary.mergesTables)
        .boolean("foldTables", summary.foldsTables);
    const auto listed = static_cast<std::int64_t>(result.files.size());
    const auto imported = static_cast<std::int64_t>(result.importedCount());
    run.number("listed", listed)
        .number("imported", imported)
        .number("failed", listed - imported)
        .number("sheets", summary.sheets)
        .number("cells", summary.cells);
}

// One of the "files": its outcome, and what it gave (`given`: "rows" or "values").
void writeFile(JsonObject& object, const FileOutcome& file, const char* given) {
    object.text("path", file.path).text("outcome", outcomeName(file));
    if (file.bytes >= 0)
        object.number("size", file.bytes);
    else
        object.null("size");
    // A file that failed gave nothing that reached the workbook.
    if (file.imported)
        object.number(given, file.given);
    else
        object.null(given);
    if (!file.imported)
        object.text("reason", file.reason)
            .numberOrNull("line", file.line)
            .numberOrNull("position", file.position);
}

// The "tables" and their "columns", of a run through the work database.
void writeTables(std::string& out, const RunSummary& summary) {
    writeArray(out, "tables", summary.tables,
               [](JsonObject& object, const RunSummary::Table& table) {
                   object.text("table", table.name)
                       .texts("sheets", table.sheets)
                       .number("rows", table.rows)
                       .number("columns", table.columns)
                       .number("files", table.files);
               });
    writeArray(out, "columns", summary.columns,
               [](JsonObject& object, const RunSummary::Column& column) {
                   object.text("table", column.table)
                       .text("column", column.column)
                       .text("type", valueTypeName(column.type))
                       .number("files", column.files)
                       .number("tableFiles", column.tableFiles)
                       .number("values", column.values)
                       .number("empty", column.empty)
                       .textOrNull("firstFile", column.firstFile)
                       .textOrNull("example", column.example);
               });
}

// The element "paths" of a flattening run.
void writePaths(std::string& out, const RunSummary& summary) {
    writeArray(out, "paths", summary.paths, [](JsonObject& object, const RunSummary::Path& path) {
        object.text("path", path.path)
            .number("files", path.files)
            .number("values", path.values)
            .text("type", valueTypeName(path.type))
            .textOrNull("firstFile", path.firstFile);
    });
}
} // namespace

std::string runReportJson(const ImportResult& result) {
    static const RunSummary kNone;
    const RunSummary& summary = result.summary ? *result.summary : kNone;
    const bool database = summary.route == ImportRoute::Database;
    std::string out;
    // Some 150 bytes a file, the bulk of it.
    out.reserve(4096 + result.files.size() * 160);
    out += "{\n  \"run\": ";
    {
        JsonObject run(out);
        writeRun(run, result, summary);
    }
    const char* given = database ? "rows" : "values";
    writeArray(out, "files", result.files, [given](JsonObject& object, const FileOutcome& file) {
        writeFile(object, file, given);
    });
    if (database)
        writeTables(out, summary);
    else
        writePaths(out, summary);
    out += "\n}\n";
    return out;
}
