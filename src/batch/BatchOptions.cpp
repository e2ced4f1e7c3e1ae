#include "batch/BatchOptions.h"

#include "batch/ReportLines.h"

#include <QCommandLineParser>

namespace {
const QString kUsage = QStringLiteral(
    "Usage: brindlequay-batch [--one-sheet | --multiple-sheets] [--route flatten | database]\n"
    "                         [--merge-tables] [--ext EXT] [--quiet] [--keep-work]\n"
    "                         [--work-database FILE] [--summary] [--report FILE.json]\n"
    "                         -o OUTPUT.xlsx PATH...\n"
    "\n"
    "Imports XML files into one new workbook and saves it as OUTPUT.xlsx.\n"
    "\n"
    "  PATH                 a file (taken as it is) or a folder (every file of its tree whose\n"
    "                       name ends in .EXT); a zip archive, given or in a folder, gives\n"
    "                       its members whose names end in .EXT, read in place and named\n"
    "                       ARCHIVE.zip!/path/in/archive.xml; \"-\" reads more paths from\n"
    "                       standard input, one a line\n"
    "  -o, --output FILE    the workbook to write; it replaces an older file only when complete\n"
    "  --one-sheet          every file onto one sheet (the default)\n"
    "  --multiple-sheets    one sheet per file (per table on the database route), named after\n"
    "                       it: a.xml gives a.csv, a second a.xml a.csv1, a:b.xml a_b.csv\n"
    "  --route ROUTE        flatten (the default): element paths and values, one line each;\n"
    "                       database: tables of the work database, written cell by cell\n"
    "  --merge-tables       with --route database: tables that gather the rows of every file,\n"
    "                       each row with its #file, #id, the #id of the row it lies in\n"
    "                       (PARENT#id) and its #path. An element is known by its path below\n"
    "                       the document element, whatever that is named: one that repeats\n"
    "                       inside its parent in any file is a table in every file, and one\n"
    "                       that never repeats is folded into the row above it as columns\n"
    "                       named by its path (Party/Name). An element with text beside its\n"
    "                       child elements is one value, its whole text, with its markup in a\n"
    "                       column NAME#markup\n"
    "  --no-fold            with --merge-tables: every element with child elements is a\n"
    "                       table of its own, as each file has it\n"
    "  --ext EXT            the extension of the files taken from folders and archives\n"
    "                       (default xml; * for every file)\n"
    "  --keep-work          keep the run's own folder in the temporary folder: its CSV files\n"
    "                       and its work database (removed by default)\n"
    "  --work-database FILE import through this work database (an SQLite file, made when\n"
    "                       missing) and keep its tables; by default a fresh one is used.\n"
    "                       A run drops only the tables that earlier runs made in it, and\n"
    "                       only when it imports a file\n"
    "  --summary            a first sheet, Summary, of the run: its options and figures,\n"
    "                       every file's outcome, and the tables and columns (database\n"
    "                       route) or element paths (flatten) it found\n"
    "  --report FILE.json   the same summary as a JSON document, for scripts; written\n"
    "                       whenever the run came to its files, also when every file failed,\n"
    "                       and replacing an older FILE only when complete\n"
    "  -q, --quiet          print nothing but errors\n"
    "  -h, --help           print this text\n"
    "  -v, --version        print the version\n"
    "\n"
    "Problems are printed on standard error, every line after \"brindlequay-batch: \"; a file\n"
    "that failed is one line, \"FILE: reason\". In every line printed, control characters\n"
    "(a line break in a file name, a tab), U+2028, U+2029 and % itself are percent-encoded\n"
    "as in a URL (%0A, %0D, %09, %25), so that a line stays one line; a URL decoder gives\n"
    "the text back.\n"
    "\n"
    "Exit status: 0 every file imported whole; 1 the workbook was written, but a file failed\n"
    "or a value was cut (a cell's characters past 32,767, values past a sheet's 16,384\n"
    "columns); 2 a usage error, nothing could be imported or written (an existing OUTPUT\n"
    "is then left as it was), or the report could not be written; 128+N stopped by signal N\n"
    "(130 Ctrl+C, 143 SIGTERM): the run's files are removed, no report is written and an\n"
    "existing OUTPUT is left as it was. A second signal ends the run at once, as cleanly; N\n"
    "is then the first signal's number.\n");

ParsedCommandLine usageError(const QString& text) {
    return {std::nullopt, usageErrorText(text), 2};
}
} // namespace

QString usageErrorText(const QString& problem) {
    return QStringLiteral("brindlequay-batch: ") + reportLine(problem) +
           QStringLiteral("\nTry 'brindlequay-batch --help'.\n");
}

namespace {
// The options the command line takes, as the parser knows them.
struct CommandLineOptions {
    QCommandLineOption oneSheet{QStringLiteral("one-sheet")};
    QCommandLineOption multipleSheets{QStringLiteral("multiple-sheets")};
    QCommandLineOption route{QStringLiteral("route"), QString(), QStringLiteral("ROUTE")};
    QCommandLineOption mergeTables{QStringLiteral("merge-tables")};
    QCommandLineOption noFold{QStringLiteral("no-fold")};
    QCommandLineOption extension{QStringLiteral("ext"), QString(), QStringLiteral("EXT")};
    QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")}, QString(),
                              QStringLiteral("FILE")};
    QCommandLineOption quiet{QStringList{QStringLiteral("q"), QStringLiteral("quiet")}};
    QCommandLineOption keepWork{QStringLiteral("keep-work")};
    QCommandLineOption workDatabase{QStringLiteral("work-database"), QString(),
                                    QStringLiteral("FILE")};
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")}};
    QCommandLineOption summary{QStringLiteral("summary")};
    QCommandLineOption report{QStringLiteral("report"), QString(), QStringLiteral("FILE")};

    QList<QCommandLineOption> all() const {
        return {oneSheet, multipleSheets, route,        mergeTables, noFold, extension, output,
                quiet,    keepWork,       workDatabase, summary,     report, help,      version};
    }
};

// How the files are sent and which route takes them; a usage error's text when the options
// contradict each other.
QString readRunShape(const QCommandLineParser& parser, const CommandLineOptions& given,
                     BatchOptions& options) {
    if (parser.isSet(given.oneSheet) && parser.isSet(given.multipleSheets))
        return QStringLiteral("--one-sheet and --multiple-sheets exclude each other");
    if (parser.isSet(given.multipleSheets))
        options.sendMode = SendMode::MultipleSheets;
    if (parser.isSet(given.route)) {
        const QString chosen = parser.value(given.route);
        if (chosen == QLatin1String("flatten"))
            options.route = ImportRoute::WithoutDatabase;
        else if (chosen == QLatin1String("database"))
            options.route = ImportRoute::Database;
        else
            return QStringLiteral("unknown route '%1': use flatten or database").arg(chosen);
    }
    options.mergeTables = parser.isSet(given.mergeTables);
    if (options.mergeTables && options.route != ImportRoute::Database)
        return QStringLiteral("--merge-tables needs --route database");
    options.foldTables = !parser.isSet(given.noFold);
    if (!options.foldTables && !options.mergeTables)
        return QStringLiteral("--no-fold needs --merge-tables");
    return {};
}

// What the files are read as and where the run writes; a usage error's text when an option
// lacks its value.
QString readFilesAndOutputs(const QCommandLineParser& parser, const CommandLineOptions& given,
                            BatchOptions& options) {
    if (parser.isSet(given.extension))
        options.extension = parser.value(given.extension);
    if (options.extension.isEmpty())
        return QStringLiteral("--ext needs an extension");
    options.output = parser.value(given.output);
    if (options.output.isEmpty())
        return QStringLiteral("no output workbook: give -o OUTPUT.xlsx");
    options.quiet = parser.isSet(given.quiet);
    options.keepWork = parser.isSet(given.keepWork);
    options.workDatabase = parser.value(given.workDatabase);
    if (parser.isSet(given.workDatabase) && options.workDatabase.isEmpty())
        return QStringLiteral("--work-database needs a file");
    options.summarySheet = parser.isSet(given.summary);
    options.report = parser.value(given.report);
    if (parser.isSet(given.report) && options.report.isEmpty())
        return QStringLiteral("--report needs a file");
    options.paths = parser.positionalArguments();
    return {};
}
} // namespace

ParsedCommandLine parseBatchCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const CommandLineOptions given;
    parser.addOptions(given.all());
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(given.help))
        return {std::nullopt, kUsage, 0};
    if (parser.isSet(given.version))
        return {std::nullopt, QStringLiteral("brindlequay-batch " BRINDLEQUAY_VERSION "\n"), 0};
    BatchOptions options;
    if (QString problem = readRunShape(parser, given, options); !problem.isEmpty())
        return usageError(problem);
    if (QString problem = readFilesAndOutputs(parser, given, options); !problem.isEmpty())
        return usageError(problem);
    return {options, QString(), 0};
}
