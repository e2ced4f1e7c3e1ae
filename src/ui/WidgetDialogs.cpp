#include "ui/WidgetDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

WidgetDialogs::WidgetDialogs(QWidget* owner) : m_owner(owner) {}

MessageAnswer WidgetDialogs::showMessage(const Message& message) {
    QMessageBox box(boxIcon(message.icon), message.title, withLineFeeds(message.text),
                    QMessageBox::NoButton, m_owner);
    box.setTextFormat(Qt::PlainText);
    if (message.buttons == MessageButtons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Cancel;
        }
    }
    if (message.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

QString WidgetDialogs::inputBox(const QString& prompt, const QString& title,
                                const QString& defaultText) {
    bool accepted = false;
    const QString answer = QInputDialog::getText(m_owner, title, withLineFeeds(prompt),
                                                 QLineEdit::Normal, defaultText, &accepted);
    return accepted ? answer : QString();
}

QStringList WidgetDialogs::chooseFiles(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(m_owner, title, QString(), filter);
}

QString WidgetDialogs::chooseFolder(const QString& title) {
    return QFileDialog::getExistingDirectory(m_owner, title);
}

QString WidgetDialogs::chooseSaveFile(const QString& title, const QString& filter,
                                      const QString& suggested) {
    return QDir::toNativeSeparators(
        QFileDialog::getSaveFileName(m_owner, title, suggested, filter));
}
