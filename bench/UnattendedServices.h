#pragma once

#include "base/Dialogs.h"
#include "ui/Desktop.h"

#include <cstdio>

// Answers every message at once, printing all but "Done.", so that a benchmark runs the real
// window without a person.
class AnsweringDialogs final : public Dialogs {
public:
    MessageAnswer showMessage(const Message& message) override {
        if (message.text != QLatin1String("Done."))
            std::fprintf(stderr, "%s\n", qPrintable(message.text));
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&, const QString&) override {
        return saveAnswer;
    }

    // What the save chooser answers; none cancels.
    QString saveAnswer;
};

// A desktop that opens nothing.
class NoDesktop final : public Desktop {
public:
    void openFolder(const QString&) override {}
    bool openFile(const QString&) override { return true; }
};
