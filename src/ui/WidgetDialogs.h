#pragma once

#include "base/Dialogs.h"

class QWidget;

// The real message boxes, input box and choosers, owned by the main window.
class WidgetDialogs final : public Dialogs {
public:
    explicit WidgetDialogs(QWidget* owner = nullptr);

    // Sets the window that owns every box from now on.
    void setOwner(QWidget* owner) { m_owner = owner; }

    MessageAnswer showMessage(const Message& message) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QStringList chooseFiles(const QString& title, const QString& filter) override;
    QString chooseFolder(const QString& title) override;
    QString chooseSaveFile(const QString& title, const QString& filter,
                           const QString& suggested) override;

private:
    QWidget* m_owner;
};
