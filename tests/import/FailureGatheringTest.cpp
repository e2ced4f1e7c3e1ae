#include "import/FailureGathering.h"

#include "import/FailedFilesList.h"
#include "support/QtPrinters.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {
Message failureOf(const QString& path) {
    Message message{QStringLiteral("Error reading ") + path};
    message.aboutFile = path;
    return message;
}

// Shows the failure boxes of `files` failed files, a file's second report among them, with
// a message that is about no file in between; gives the gatherer.
void failFiles(FailureGathering& gathering, int files) {
    for (int i = 1; i <= files; ++i) {
        gathering.showMessage(failureOf(QStringLiteral("/in/%1.xml").arg(i)));
        if (i == 2)
            gathering.showMessage(failureOf(QStringLiteral("/in/2.xml")));
        if (i == 3)
            gathering.showMessage(Message{QStringLiteral("Not about a file")});
    }
}
} // namespace

TEST(FailureGathering, AsksOnceAtTheFourthFailedFileAndHidesTheRestOnYes) {
    ScriptedDialogs shown;
    shown.questionAnswers = {MessageAnswer::Yes};
    FailureGathering gathering(shown);
    failFiles(gathering, 10);
    gathering.showMessage(Message{QStringLiteral("Done.")});

    // Three files' boxes (the second file's two reports among them), the message about no
    // file, the question, and what is not about a file after it.
    EXPECT_EQ(shown.shownTexts(),
              (QStringList{"Error reading /in/1.xml", "Error reading /in/2.xml",
                           "Error reading /in/2.xml", "Error reading /in/3.xml", "Not about a file",
                           FailureGathering::gatheringQuestion().text, "Done."}));
    EXPECT_EQ(shown.shown.at(5).buttons, MessageButtons::YesNo);
    EXPECT_EQ(shown.shown.at(5).title, kApplicationTitle);
    EXPECT_TRUE(gathering.gathering());
    EXPECT_EQ(gathering.failedFiles(), 10);
}

TEST(FailureGathering, NoKeepsEveryBoxAndNeverAsksAgain) {
    ScriptedDialogs shown;
    shown.questionAnswers = {MessageAnswer::No};
    FailureGathering gathering(shown);
    failFiles(gathering, 6);

    const QStringList texts = shown.shownTexts();
    EXPECT_EQ(texts.count(FailureGathering::gatheringQuestion().text), 1);
    EXPECT_EQ(texts.count(QStringLiteral("Error reading /in/6.xml")), 1);
    EXPECT_EQ(texts.indexOf(FailureGathering::gatheringQuestion().text),
              texts.indexOf(QStringLiteral("Error reading /in/4.xml")) - 1);
    EXPECT_FALSE(gathering.gathering());
}

TEST(FailureGathering, ThreeFailedFilesAreNeverAskedAbout) {
    ScriptedDialogs shown;
    FailureGathering gathering(shown);
    failFiles(gathering, 3);
    EXPECT_FALSE(shown.shownTexts().contains(FailureGathering::gatheringQuestion().text));
}

TEST(FailedFilesList, OneLineForEachFailedFileInListOrder) {
    ImportResult result;
    FileOutcome broken(QStringLiteral("/in/b.xml"));
    broken.reason = QStringLiteral("mismatched tag");
    broken.line = 3;
    broken.position = 7;
    FileOutcome fine(QStringLiteral("/in/a.xml"));
    fine.imported = true;
    FileOutcome unreadable(QStringLiteral("/in/c.xml"));
    unreadable.reason = QStringLiteral("cannot be read\r\n(Permission denied)");
    result.files = {broken, fine, unreadable};

    EXPECT_EQ(failedFileLines(result),
              (QStringList{"/in/b.xml: mismatched tag (line 3, position 7)",
                           "/in/c.xml: cannot be read (Permission denied)"}));
    EXPECT_EQ(failedFilesHeading(2), QStringLiteral("2 files could not be imported."));
    EXPECT_EQ(failedFilesHeading(1), QStringLiteral("1 file could not be imported."));
    EXPECT_EQ(stoppedRunMessage(result, 5),
              QStringLiteral("Importing stopped: 1 of 5 files were done."));
}
