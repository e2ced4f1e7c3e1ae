#include "ui/WorkbookWindow.h"

#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/RunWorkspace.h"
#include "base/TempFolder.h"
#include "office/SpreadsheetEngine.h"
#include "office/XlsxSaving.h"
#include "ui/SheetTableModel.h"
#include "ui/SystemDesktop.h"
#include "ui/WidgetDialogs.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
// How often the window looks for changes that a later import made to its workbook.
constexpr int kRefreshIntervalMs = 500;
} // namespace

WorkbookWindow::WorkbookWindow(std::shared_ptr<EngineInstance> instance, Dialogs* dialogs,
                               Desktop* desktop, QWidget* parent)
    : QMainWindow(parent), m_instance(std::move(instance)),
      m_ownDialogs(dialogs ? nullptr : std::make_unique<WidgetDialogs>(this)),
      m_ownDesktop(desktop ? nullptr : std::make_unique<SystemDesktop>()),
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs), m_desktop(desktop ? *desktop : *m_ownDesktop),
      m_tabs(new QTabBar), m_grid(new QTableView) {
    setObjectName(QStringLiteral("WorkbookWindow"));
    setWindowIcon(QIcon(QStringLiteral(":/brindlequay.png")));
    resize(900, 600);

    QToolBar* tools = addToolBar(QStringLiteral("Workbook"));
    tools->setMovable(false);
    tools->addAction(QStringLiteral("Save As…"), this, [this] { saveAs(); });
    tools->addAction(QStringLiteral("Open in spreadsheet application"), this,
                     [this] { openInSpreadsheetApplication(); });

    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(22);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->setWordWrap(false);
    m_tabs->setObjectName(QStringLiteral("SheetTabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setExpanding(false);

    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_grid);
    layout->addWidget(m_tabs, 0, Qt::AlignLeft);
    setCentralWidget(centre);

    // The sheet the user looks at is the active one, before which a later import adds sheets;
    // while an import fills the workbook, looking changes nothing.
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        Workbook* book = workbook();
        if (book && !book->isBeingFilled())
            book->activate(index + 1);
        showSheet(index + 1);
    });
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (workbook() && workbook()->revision() != m_shownRevision)
            refresh();
    });
    watch->start(kRefreshIntervalMs);
    refresh();
}

WorkbookWindow::~WorkbookWindow() = default;

Workbook* WorkbookWindow::workbook() const {
    if (!m_instance || m_instance->workbookCount() == 0)
        return nullptr;
    return &m_instance->activeWorkbook();
}

void WorkbookWindow::refresh() {
    Workbook* book = workbook();
    setWindowTitle((book ? book->name() : QStringLiteral("(no workbook)")) +
                   QStringLiteral(" - Brindlequay"));
    const QSignalBlocker quiet(m_tabs);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    if (!book) {
        m_grid->setModel(nullptr);
        m_model.reset();
        return;
    }
    for (const QString& name : book->sheetNames())
        m_tabs->addTab(name);
    m_tabs->setCurrentIndex(book->activeIndex() - 1);
    showSheet(book->activeIndex());
    m_shownRevision = book->revision();
}

void WorkbookWindow::showSheet(int index) {
    Workbook* book = workbook();
    if (!book || index < 1 || index > book->sheetCount())
        return;
    auto model = std::make_unique<SheetTableModel>(book->watchSheet(index));
    m_grid->setModel(model.get());
    m_model = std::move(model);
}

void WorkbookWindow::showError(const QString& text) {
    m_dialogs.showMessage(Message{text, MessageButtons::Ok, MessageIcon::Warning});
}

bool WorkbookWindow::saveAs() {
    Workbook* book = workbook();
    if (!book)
        return false;
    const QString path = m_dialogs.chooseSaveFile(
        QStringLiteral("Save As"), QStringLiteral("Excel Workbook (*.xlsx)"),
        QDir::home().filePath(book->name() + QStringLiteral(".xlsx")));
    if (path.isEmpty())
        return false;
    const QString target =
        path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ? path : path + ".xlsx";
    QStringList leftOut;
    try {
        leftOut = saveAsXlsx(*book, target);
    } catch (...) {
        showError(QStringLiteral("The workbook was not saved.\r\n") + describeCurrentException());
        return false;
    }
    if (!leftOut.isEmpty())
        showError(QStringLiteral("The workbook was saved, but not whole:\r\n") +
                  leftOut.join(QStringLiteral("\r\n")));
    book->markSaved();
    return true;
}

void WorkbookWindow::openInSpreadsheetApplication() {
    Workbook* book = workbook();
    if (!book)
        return;
    QString path;
    try {
        // A folder of its own, which no other user of the temporary folder can read.
        path = QDir(makeRunWorkspace(temporaryFolder()))
                   .filePath(book->name() + QStringLiteral(" ") +
                             QDateTime::currentDateTime().toString(
                                 QStringLiteral("yyyy-MM-dd hh.mm.ss")) +
                             QStringLiteral(".xlsx"));
        if (const QStringList leftOut = saveAsXlsx(*book, path); !leftOut.isEmpty())
            showError(QStringLiteral("The workbook was handed over, but not whole:\r\n") +
                      leftOut.join(QStringLiteral("\r\n")));
    } catch (...) {
        showError(QStringLiteral("The workbook could not be handed over.\r\n") +
                  describeCurrentException());
        return;
    }
    if (!m_desktop.openFile(path))
        showError(QStringLiteral("No application opened %1.").arg(path));
}

void WorkbookWindow::closeEvent(QCloseEvent* event) {
    Workbook* book = workbook();
    if (book && book->isModified()) {
        const MessageAnswer answer = m_dialogs.showMessage(Message{
            QStringLiteral("Do you want to save the changes you made to '%1'?").arg(book->name()),
            MessageButtons::YesNoCancel, MessageIcon::Warning});
        if (answer == MessageAnswer::Cancel || (answer == MessageAnswer::Yes && !saveAs())) {
            event->ignore();
            return;
        }
    }
    event->accept();
    // The instance ends with its window: it is no longer found as running.
    m_instance.reset();
}
