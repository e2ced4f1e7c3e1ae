#pragma once

#include "base/Dialogs.h"

#include <deque>
#include <vector>

// Answers every box from a script, and records the messages the program showed, in order.
class ScriptedDialogs final : public Dialogs {
public:
    MessageAnswer showMessage(const Message& message) override {
        shown.push_back(message);
        if (message.buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        return takeOr(questionAnswers, MessageAnswer::Yes);
    }
    QString inputBox(const QString&, const QString&, const QString&) override {
        return takeOr(inputAnswers, QString());
    }
    QStringList chooseFiles(const QString&, const QString&) override {
        return takeOr(fileAnswers, QStringList());
    }
    QString chooseFolder(const QString&) override {
        ++foldersAsked;
        return takeOr(folderAnswers, QString());
    }
    QString chooseSaveFile(const QString&, const QString&, const QString& suggested) override {
        suggestedSavePaths << suggested;
        return takeOr(saveAnswers, QString());
    }

    QStringList shownTexts() const {
        QStringList texts;
        for (const Message& message : shown)
            texts << message.text;
        return texts;
    }

    std::vector<Message> shown;
    int foldersAsked = 0;
    std::deque<MessageAnswer> questionAnswers;
    std::deque<QString> inputAnswers;
    std::deque<QStringList> fileAnswers;
    std::deque<QString> folderAnswers;
    // The paths the save chooser was opened with, in order.
    QStringList suggestedSavePaths;
    std::deque<QString> saveAnswers;

private:
    template <typename T> static T takeOr(std::deque<T>& script, T fallback) {
        if (script.empty())
            return fallback;
        T next = std::move(script.front());
        script.pop_front();
        return next;
    }
};
