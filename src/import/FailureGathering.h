#pragma once

#include "base/Dialogs.h"

// The dialogs of one run in the window: the boxes that tell of a listed file's failure are shown
// for the first few files; at the next such file the user is asked once whether to see the rest
// in one list at the end of the run instead, and when the answer is yes no such box is shown
// again in the run. Every other message and question passes through unchanged.
class FailureGathering final : public Dialogs {
public:
    // Failed files whose boxes are shown before the question.
    static constexpr int kShownBeforeAsking = 3;

    explicit FailureGathering(Dialogs& shown) : m_shown(shown) {}

    // The question asked at the first failed file beyond those shown.
    static Message gatheringQuestion();

    MessageAnswer showMessage(const Message& message) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override {
        return m_shown.inputBox(prompt, title, defaultText);
    }
    QStringList chooseFiles(const QString& title, const QString& filter) override {
        return m_shown.chooseFiles(title, filter);
    }
    QString chooseFolder(const QString& title) override { return m_shown.chooseFolder(title); }
    QString chooseSaveFile(const QString& title, const QString& filter,
                           const QString& suggested) override {
        return m_shown.chooseSaveFile(title, filter, suggested);
    }

    // Files whose failure a message told of so far.
    int failedFiles() const { return m_failedFiles; }
    // Whether the user chose to see the failures in one list, so that their boxes are no longer
    // shown.
    bool gathering() const { return m_gathering; }

private:
    Dialogs& m_shown;
    QString m_lastFile;
    int m_failedFiles = 0;
    bool m_asked = false;
    bool m_gathering = false;
};
