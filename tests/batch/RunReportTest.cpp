#include "batch/RunReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {
QJsonObject parsed(const std::string& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << json;
    return document.object();
}

QJsonObject object(std::initializer_list<QPair<QString, QJsonValue>> members) {
    return QJsonObject(members);
}
} // namespace

// Every key a script may read, with its value, on a run of two tables and a failed file whose
// name holds a quote, a tab and characters beyond ASCII.
TEST(RunReport, ADatabaseRunGivesEveryFileTableAndColumnExactly) {
    const QString odd = QString::fromUtf8("/in/\"quoted\"\tn\xC3\xA4me \xF0\x9F\x93\x84.xml");
    ImportResult result;
    result.files.emplace_back("/in/a.xml");
    result.files[0].imported = true;
    result.files[0].bytes = 120;
    result.files[0].given = 3;
    result.files.emplace_back(odd);
    result.files[1].reason = "not well-formed (invalid token)";
    result.files[1].line = 4;
    result.files[1].position = 17;
    result.files[1].problem = FileProblem::NotWellFormed;
    result.files.emplace_back("/in/gone.xml");
    result.files[2].reason = "cannot be read";
    result.files[2].problem = FileProblem::NotReadable;

    RunSummary summary;
    summary.started = QDateTime(QDate(2024, 5, 2), QTime(9, 30, 5), QTimeZone(7200));
    summary.seconds = 2.5;
    summary.route = ImportRoute::Database;
    summary.sendMode = SendMode::OneSheet;
    summary.mergesTables = true;
    summary.foldsTables = false;
    summary.sheets = 3;
    summary.cells = 41;
    summary.tables = {{"invoice", {"invoice"}, 1, 1, 2, 1},
                      {"line", {"line", "line (2)"}, 4, 4, 2, 1}};
    summary.columns = {{"invoice", "number", ValueType::Number, 1, 1, 1, 0, "/in/a.xml", "17"},
                       {"line", "note", ValueType::Empty, 0, 1, 0, 2, "", ""}};
    result.summary = summary;

    const QJsonObject report = parsed(runReportJson(result));
    EXPECT_EQ(report.keys(), (QStringList{"columns", "files", "run", "tables"}));
    EXPECT_EQ(report["run"].toObject(), object({{"started", "2024-05-02T09:30:05+02:00"},
                                                {"seconds", 2.5},
                                                {"route", "database"},
                                                {"send", "one sheet"},
                                                {"mergeTables", true},
                                                {"foldTables", false},
                                                {"listed", 3},
                                                {"imported", 1},
                                                {"failed", 2},
                                                {"sheets", 3},
                                                {"cells", 41}}));
    EXPECT_EQ(
        report["files"].toArray(),
        QJsonArray(
            {object({{"path", "/in/a.xml"}, {"outcome", "imported"}, {"size", 120}, {"rows", 3}}),
             object({{"path", odd},
                     {"outcome", "not well-formed"},
                     {"size", QJsonValue::Null},
                     {"rows", QJsonValue::Null},
                     {"reason", "not well-formed (invalid token)"},
                     {"line", 4},
                     {"position", 17}}),
             object({{"path", "/in/gone.xml"},
                     {"outcome", "not readable"},
                     {"size", QJsonValue::Null},
                     {"rows", QJsonValue::Null},
                     {"reason", "cannot be read"},
                     {"line", QJsonValue::Null},
                     {"position", QJsonValue::Null}})}));
    EXPECT_EQ(report["tables"].toArray(),
              QJsonArray({object({{"table", "invoice"},
                                  {"sheets", QJsonArray{"invoice"}},
                                  {"rows", 1},
                                  {"columns", 2},
                                  {"files", 1}}),
                          object({{"table", "line"},
                                  {"sheets", QJsonArray{"line", "line (2)"}},
                                  {"rows", 4},
                                  {"columns", 2},
                                  {"files", 1}})}));
    EXPECT_EQ(report["columns"].toArray(), QJsonArray({object({{"table", "invoice"},
                                                               {"column", "number"},
                                                               {"type", "number"},
                                                               {"files", 1},
                                                               {"tableFiles", 1},
                                                               {"values", 1},
                                                               {"empty", 0},
                                                               {"firstFile", "/in/a.xml"},
                                                               {"example", "17"}}),
                                                       object({{"table", "line"},
                                                               {"column", "note"},
                                                               {"type", "empty"},
                                                               {"files", 0},
                                                               {"tableFiles", 1},
                                                               {"values", 0},
                                                               {"empty", 2},
                                                               {"firstFile", QJsonValue::Null},
                                                               {"example", QJsonValue::Null}})}));
}

TEST(RunReport, AFlatteningRunGivesValuesAndElementPaths) {
    ImportResult result;
    result.files.emplace_back("a.xml");
    result.files[0].imported = true;
    result.files[0].given = 2;
    RunSummary summary;
    summary.route = ImportRoute::WithoutDatabase;
    summary.sendMode = SendMode::MultipleSheets;
    summary.paths = {{"r/v", 1, 2, ValueType::Text, "a.xml"}};
    result.summary = summary;

    const QJsonObject report = parsed(runReportJson(result));
    EXPECT_EQ(report.keys(), (QStringList{"files", "paths", "run"}));
    EXPECT_EQ(report["run"]["send"], "one sheet per file");
    EXPECT_EQ(report["files"][0]["values"], 2);
    EXPECT_EQ(report["paths"].toArray(), QJsonArray({object({{"path", "r/v"},
                                                             {"files", 1},
                                                             {"values", 2},
                                                             {"type", "text"},
                                                             {"firstFile", "a.xml"}})}));
}
