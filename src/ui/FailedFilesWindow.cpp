#include "ui/FailedFilesWindow.h"

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/TextFiles.h"
#include "import/FailedFilesList.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

FailedFilesWindow::FailedFilesWindow(QStringList lines, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_lines(std::move(lines)), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("FailedFilesWindow"));
    setWindowTitle(kApplicationTitle + QStringLiteral(": files not imported"));
    auto* heading = new QLabel(failedFilesHeading(m_lines.size()), this);
    heading->setObjectName(QStringLiteral("FailedFilesHeading"));
    auto* list = new QPlainTextEdit(this);
    list->setObjectName(QStringLiteral("FailedFilesList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlainText(m_lines.join(QLatin1Char('\n')));
    auto* copy = new QPushButton(QStringLiteral("Copy List"), this);
    copy->setObjectName(QStringLiteral("CopyFailedFiles"));
    auto* save = new QPushButton(QStringLiteral("Save List As..."), this);
    save->setObjectName(QStringLiteral("SaveFailedFiles"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseFailedFiles"));
    connect(copy, &QPushButton::clicked, this, &FailedFilesWindow::copyList);
    connect(save, &QPushButton::clicked, this, [this] { saveList(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(list);
    layout->addLayout(buttons);
    resize(720, 360);
}

QString FailedFilesWindow::text() const {
    QString all;
    for (const QString& line : m_lines)
        all += line + QLatin1Char('\n');
    return all;
}

void FailedFilesWindow::copyList() {
    QGuiApplication::clipboard()->setText(text());
}

bool FailedFilesWindow::saveList() {
    const QString path = m_dialogs.chooseSaveFile(QStringLiteral("Save the list"),
                                                  QStringLiteral("Text files (*.txt)"),
                                                  QStringLiteral("not imported.txt"));
    if (path.isEmpty())
        return false;
    try {
        writeWholeFile(path, text().toStdString());
        return true;
    } catch (...) {
        m_dialogs.showMessage(
            Message{describeCurrentException(), MessageButtons::Ok, MessageIcon::Critical});
        return false;
    }
}
