#include "import/ImportRun.h"

#include "platform/TempFolder.h"
#include "support/PresentingEngine.h"
#include "support/QtPrinters.h"
#include "support/RecordingSurface.h"
#include "support/ScriptedDialogs.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
struct RunFixture : PresentingEngine {
    QTemporaryDir inputs;
    QTemporaryDir temp;
    ScriptedDialogs dialogs;
    RecordingSurface surface;

    QString xml(const QString& relative, const QByteArray& text) {
        return writeFile(inputs.filePath(relative), text);
    }
    void run() {
        ImportRun(surface, dialogs, engine, temp.path(), inputs.filePath("temp.mdb")).run();
    }
    QByteArray tempFile(const QString& relative) {
        QFile file(temp.filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
};
} // namespace

TEST(ImportRun, AnEmptyListSaysSoAndNothingElse) {
    RunFixture run;
    run.run();
    EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"No files added."});
    EXPECT_EQ(run.surface.pointers, (std::vector<int>{11, 0, 0}));
    EXPECT_TRUE(run.shown.empty());
}

TEST(ImportRun, DecliningTheOpenSpreadsheetQuestionEndsTheRunQuietly) {
    RunFixture run;
    auto running = run.engine.create();
    run.surface.files = {run.xml("a.xml", "<a><b>1</b></a>")};
    run.dialogs.questionAnswers = {MessageAnswer::No};
    run.run();
    ASSERT_EQ(run.dialogs.shown.size(), 1u);
    EXPECT_EQ(run.dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(run.shown.empty());
    EXPECT_EQ(run.surface.pointers.back(), 0);
}

TEST(ImportRun, WithNeitherRouteSelectedTheRunIsDoneAtOnce) {
    RunFixture run;
    run.surface.route = ImportRoute::None;
    run.surface.files = {run.xml("a.xml", "<a/>")};
    run.run();
    EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"Done."});
    EXPECT_TRUE(QDir(run.temp.path()).isEmpty());
}

TEST(ImportRun, EveryBrokenFileIsNamedWithReasonLineAndPosition) {
    RunFixture run;
    const QString first = run.xml("bad1.xml", "<a>\n<b>&</b></a>");
    const QString second = run.xml("bad2.xml", "<a>");
    run.surface.files = {first, second, run.inputs.filePath("missing.xml")};
    run.run();
    const QStringList texts = run.dialogs.shownTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], "Error reading " + first +
                            "\r\nerror:not well-formed (invalid token)\r\nLine:2\r\nposition:5");
    EXPECT_TRUE(texts[1].startsWith("Error reading " + second + "\r\nerror:"));
    EXPECT_TRUE(texts[2].startsWith("Error reading " + run.inputs.filePath("missing.xml")));
    EXPECT_EQ(texts[3], "Done.");
    // The output still ran, on nothing: an empty workbook.
    ASSERT_EQ(run.shown.size(), 1u);
    EXPECT_TRUE(QDir(run.temp.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(run.surface.progress.back(), 0);
}

TEST(ImportRun, CsvFilesAreNamedAfterTheirXmlFilesAndProgressCountsFiles) {
    RunFixture run;
    run.surface.files = {run.xml("a.b.xml", "<r><v>1</v></r>"),
                         run.xml("README", "<r><v>2</v></r>"), run.xml("empty.xml", "<r/>"),
                         run.xml("c.xml", "<r><v>3</v></r>")};
    run.run();
    EXPECT_EQ(run.tempFile("a.b.csv"), "r,v,1\r\n\r\n");
    EXPECT_EQ(run.tempFile("README.csv"), "r,v,2\r\n\r\n");
    EXPECT_EQ(run.tempFile("empty.csv"), "\r\n");
    EXPECT_EQ(run.surface.progress, (std::vector<double>{25, 50, 75, 100, 25, 50, 75, 100, 0}));
    EXPECT_EQ(run.dialogs.shownTexts(), QStringList{"Done."});

    // A second run over the same file replaces its CSV file.
    run.xml("a.b.xml", "<r><v>changed</v></r>");
    run.run();
    EXPECT_EQ(run.tempFile("a.b.csv"), "r,v,changed\r\n\r\n");
}

TEST(ImportRun, FilesOfTheSameNameNeverOverwriteEachOthersCsv) {
    RunFixture run;
    run.surface.send = SendMode::MultipleSheets;
    run.surface.files = {run.xml("one/a.xml", "<r><v>first</v></r>"),
                         run.xml("b.xml", "<r><v>b</v></r>"),
                         run.xml("two/a.txt", "<r><v>second</v></r>"),
                         run.xml("combined.xml", "<r><v>kept</v></r>")};
    run.run();
    EXPECT_EQ(run.tempFile("a.csv"), "r,v,first\r\n\r\n");
    EXPECT_EQ(run.tempFile("brindlequay-2/a.csv"), "r,v,second\r\n\r\n");
    EXPECT_EQ(run.tempFile("brindlequay-2/combined.csv"), "r,v,kept\r\n\r\n");
    ASSERT_EQ(run.shown.size(), 1u);
    EXPECT_EQ(run.shown[0]->activeWorkbook().sheetNames().mid(0, 4),
              (QStringList{"combined.csv", "a.csv1", "b.csv", "a.csv"}));

    // One sheet: the joined file never takes the place of a listed file's CSV.
    RunFixture oneSheet;
    oneSheet.surface.files = {oneSheet.xml("combined.xml", "<r><v>kept</v></r>")};
    oneSheet.run();
    EXPECT_EQ(oneSheet.tempFile("brindlequay-2/combined.csv"), "r,v,kept\r\n\r\n");
    ASSERT_EQ(oneSheet.shown.size(), 1u);
    EXPECT_EQ(oneSheet.shown[0]->activeWorkbook().sheet(1).cells().display(1, 3), "kept");
}

TEST(TempFolder, TheTempVariableInAnyCaseOrThePlatformsFolder) {
    const QByteArray saved = qgetenv("TEMP");
    qunsetenv("TEMP");
    qputenv("temp", "/somewhere/else");
    EXPECT_EQ(temporaryFolder(), "/somewhere/else");
    qputenv("temp", "");
    EXPECT_EQ(temporaryFolder(), QDir::cleanPath(QDir::tempPath()));
    qunsetenv("temp");
    EXPECT_EQ(temporaryFolder(), QDir::cleanPath(QDir::tempPath()));
    if (!saved.isNull())
        qputenv("TEMP", saved);
}
