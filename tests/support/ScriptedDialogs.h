#pragma once

#include "base/Dialogs.h"

#include <deque>
#include <vector>

// Answers every box from a script and records what the program showed, in order.
class ScriptedDialogs final : public Dialogs {
public:
    struct InputRequest {
        QString prompt;
        QString title;
        QString defaultText;
    };

    MessageAnswer showMessage(const Message& message) override {
        shown.push_back(message);
        if (message.buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        return takeOr(questionAnswers, MessageAnswer::Yes);
    }
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override {
        inputRequests.push_back({prompt, title, defaultText});
        return takeOr(inputAnswers, QString());
    }
    QStringList chooseFiles(const QString& title, const QString& filter) override {
        fileChooserTitles.push_back(title + QLatin1Char('|') + filter);
        return takeOr(fileAnswers, QStringList());
    }
    QString chooseFolder(const QString& title) override {
        folderChooserTitles.push_back(title);
        return takeOr(folderAnswers, QString());
    }

    QString chooseSaveFile(const QString& title, const QString&,
                           const QString& suggested) override {
        saveChooserRequests.push_back(title + QLatin1Char('|') + suggested);
        return takeOr(saveAnswers, QString());
    }

    // The texts of the messages shown so far.
    QStringList shownTexts() const {
        QStringList texts;
        for (const Message& message : shown)
            texts << message.text;
        return texts;
    }

    std::vector<Message> shown;
    std::vector<InputRequest> inputRequests;
    QStringList fileChooserTitles;
    QStringList folderChooserTitles;
    QStringList saveChooserRequests;

    std::deque<MessageAnswer> questionAnswers;
    std::deque<QString> inputAnswers;
    std::deque<QStringList> fileAnswers;
    std::deque<QString> folderAnswers;
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
