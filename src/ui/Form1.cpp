#include "ui/Form1.h"

#include "base/BooleanText.h"
#include "base/Dialogs.h"
#include "base/ErrorReport.h"
#include "base/MousePointer.h"
#include "base/Paths.h"
#include "base/RuntimeError.h"
#include "base/SettingsStore.h"
#include "ui/CursorFile.h"
#include "ui/FailedFilesWindow.h"
#include "ui/Form1Surface.h"
#include "ui/HelpText.h"
#include "ui/LockableCheckBox.h"
#include "ui/OptionFrame.h"
#include "ui/WrappingPushButton.h"

#include "base/EventPump.h"
#include "base/TempFolder.h"
#include "filelist/DroppedPaths.h"
#include "filelist/ListQuestions.h"
#include "filelist/SampleFiles.h"
#include "import/FailedFilesList.h"
#include "import/FailureGathering.h"
#include "import/ImportRun.h"
#include "import/ImportSurface.h"
#include "import/WindowProcedures.h"
#include "ui/Desktop.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

namespace {
// The layout is given in twips; the window is laid out at 15 twips to the pixel.
constexpr int kTwipsPerPixel = 15;

QRect twips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

QFont arial(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// The start button's caption, and its caption while a run is under way, when it stops the run.
const QString kStartCaption = QStringLiteral("Start Importing Multiple XML Files");
const QString kStopCaption = QStringLiteral("Stop Importing");

const QString kListToolTip =
    QStringLiteral("Drag and drop files here. Double-click item to remove it. Move bar to right "
                   "and out of window to reveal full names.");
} // namespace

Form1::Form1(ShellServices services, QWidget* parent)
    : QWidget(parent), m_dialogs(services.dialogs), m_desktop(services.desktop),
      m_settings(services.settings), m_spreadsheets(services.spreadsheets),
      m_programFolder(std::move(services.programFolder)),
      m_workDatabase(besideProgram(QStringLiteral("temp.mdb")), usersOwnWorkDatabasePath(),
                     &services.settings) {
    setObjectName(QStringLiteral("Form1"));
    createControls();
    connectHandlers();
}

void Form1::createControls() {
    setFixedSize(8040 / kTwipsPerPixel, 7530 / kTwipsPerPixel);
    setFont(arial(9));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    createButtons();
    createFileList();
    createOptionFrames();
    createSummarySheetBox();
    // Before the stored options are applied, the upper button of each frame is selected.
    Option1->setChecked(true);
    Option3->setChecked(true);

    createProgressBar();
}

void Form1::createButtons() {
    auto button = [this](QPushButton*& control, const char* name, const QString& caption,
                         QRect geometry) {
        control = new WrappingPushButton(caption, this);
        control->setObjectName(QLatin1String(name));
        control->setGeometry(geometry);
        control->setFont(arial(11.25));
        // A button ignores a move without a pressed button; the window behind it must not take
        // that move for its own and undo the hand.
        control->setAttribute(Qt::WA_NoMousePropagation);
    };
    button(PushButton3, "PushButton3", QStringLiteral("Help"), twips(120, 120, 7800, 405));
    button(PushButton5, "PushButton5", QStringLiteral("Move Up"), twips(7080, 630, 840, 1200));
    button(PushButton6, "PushButton6", QStringLiteral("Move Down"), twips(7080, 1950, 840, 1200));
    button(PushButton1, "PushButton1", QStringLiteral("Add XML File(s)"),
           twips(120, 3250, 3840, 405));
    button(PushButton2, "PushButton2", QStringLiteral("Add All XML File(s) In Folder"),
           twips(4080, 3250, 3840, 405));
    button(PushButton7, "PushButton7", QStringLiteral("Clear List"), twips(120, 3770, 3840, 405));
    button(PushButton8, "PushButton8", QStringLiteral("Load Sample/Example Files"),
           twips(4080, 3770, 3840, 405));
    button(PushButton4, "PushButton4", kStartCaption, twips(120, 6500, 7800, 405));
}

void Form1::createFileList() {
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(twips(120, 630, 6840, 2535));
    ListView1->setModel(&m_fileList);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are reordered by our own drag, never handed to other programs.
    ListView1->setDragEnabled(false);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->setToolTip(kListToolTip);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void Form1::createOptionFrames() {
    Frame2 = new OptionFrame(QStringLiteral("Import Options"),
                             QStringLiteral("Import using MS Access (Access must be installed)"),
                             QStringLiteral("Import without using MS Access"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twips(120, 4230, 7800, 1050));
    Option3 = Frame2->upper();
    Option4 = Frame2->lower();
    Option3->setGeometry(twips(240, 300, 5775, 255));
    Option4->setGeometry(twips(240, 650, 3375, 255));
    JoinTablesBox = new QCheckBox(QStringLiteral("Join the tables of all files"), Frame2);
    JoinTablesBox->setObjectName(QStringLiteral("JoinTablesBox"));
    JoinTablesBox->setGeometry(twips(3840, 650, 3840, 255));

    Frame1 = new OptionFrame(QStringLiteral("Send Options"),
                             QStringLiteral("Send XML file(s) to one sheet"),
                             QStringLiteral("Send XML file(s) to multiple sheets"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 5340, 7800, 1050));
    Option1 = Frame1->upper();
    Option2 = Frame1->lower();
    Option1->setGeometry(twips(240, 300, 2775, 255));
    Option2->setGeometry(twips(240, 650, 3375, 255));

    const std::pair<OptionButton*, const char*> options[] = {
        {Option1, "Option1"}, {Option2, "Option2"}, {Option3, "Option3"}, {Option4, "Option4"}};
    for (auto [option, name] : options) {
        option->setObjectName(QLatin1String(name));
        // Nothing happens when the pointer crosses an option button: the frame must not see it.
        option->setAttribute(Qt::WA_NoMousePropagation);
        // The captions were measured for another font; never cut one short.
        option->resize(std::max(option->width(), option->sizeHint().width()), option->height());
    }
}

void Form1::createSummarySheetBox() {
    // Made after the send options, so that it follows them in the tab order. It stays clear of
    // "one sheet" however wide that caption turned out in the font at hand.
    SummarySheetBox = new LockableCheckBox(QStringLiteral("Add a summary sheet"), Frame1);
    SummarySheetBox->setObjectName(QStringLiteral("SummarySheetBox"));
    QRect summaryPlace = twips(3840, 300, 3840, 255);
    summaryPlace.moveLeft(
        std::max(summaryPlace.left(), Option1->geometry().right() + 240 / kTwipsPerPixel));
    summaryPlace.setWidth(std::max(summaryPlace.width(), SummarySheetBox->sizeHint().width()));
    // Never past the frame's edge, where a font far wider than the one measured would take it.
    summaryPlace.setRight(std::min(summaryPlace.right(), Frame1->contentsRect().right()));
    SummarySheetBox->setGeometry(summaryPlace);
}

void Form1::createProgressBar() {
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twips(120, 7020, 7800, 405));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAttribute(Qt::WA_NoMousePropagation);
}

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    // A press on a row picks it for dragging before any move with the button held.
    connect(ListView1, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        runUnreportedHandler(m_dialogs, [&] { ListView1_ItemClick(index.row() + 1); });
    });
    ListView1->installEventFilter(this);
    connect(Frame1, &OptionFrame::optionClicked, this, [this](OptionButton* button) {
        runUnreportedHandler(m_dialogs,
                             [&] { button == Option1 ? Option1_Click() : Option2_Click(); });
    });
    connect(Frame2, &OptionFrame::optionClicked, this, [this](OptionButton* button) {
        runUnreportedHandler(m_dialogs,
                             [&] { button == Option3 ? Option3_Click() : Option4_Click(); });
        enableJoinTablesBox();
    });
    connect(JoinTablesBox, &QCheckBox::clicked, this,
            [this] { runUnreportedHandler(m_dialogs, [&] { JoinTablesBox_Click(); }); });
    connect(SummarySheetBox, &QCheckBox::clicked, this,
            [this] { runUnreportedHandler(m_dialogs, [&] { SummarySheetBox_Click(); }); });

    // Pointer feedback: the hand over the buttons, the arrow over the background, the frames
    // and the list.
    for (QPushButton* pushButton : {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5,
                                    PushButton6, PushButton7, PushButton8})
        m_pointerOnMove.insert(pushButton, MousePointer::Custom);
    for (QWidget* plain :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
          ListView1->viewport(), static_cast<QWidget*>(ListView1->header())})
        m_pointerOnMove.insert(plain, MousePointer::Default);
    for (QObject* watched : m_pointerOnMove.keys()) {
        static_cast<QWidget*>(watched)->setMouseTracking(true);
        watched->installEventFilter(this);
    }
    ListView1->viewport()->setMouseTracking(true);
    ListView1->viewport()->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListView1 || watched == ListView1->viewport()) {
        bool handled = false;
        runUnreportedHandler(m_dialogs, [&] { handled = listViewEvent(event); });
        if (handled)
            return true;
    } else if (event->type() == QEvent::MouseMove) {
        const auto chosen = m_pointerOnMove.constFind(watched);
        if (chosen != m_pointerOnMove.constEnd()) {
            runUnreportedHandler(m_dialogs, [&] {
                setMousePointer(MousePointer::afterMove(m_mousePointer, *chosen));
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setMousePointer(int pointer) {
    m_mousePointer = pointer;
    switch (pointer) {
    case MousePointer::Hourglass:
        setCursor(Qt::WaitCursor);
        break;
    case MousePointer::Custom:
        if (m_mouseIcon)
            setCursor(*m_mouseIcon);
        else
            unsetCursor();
        break;
    default:
        unsetCursor();
        break;
    }
}

QString Form1::besideProgram(const QString& name) const {
    return joinPath(m_programFolder, name);
}

void Form1::Form_Load() {
    ReportingProcedure procedure(m_dialogs, windowProcedure(QStringLiteral("Form_Load")));
    procedure.step(100, [&] { ApplySkin(); });
    procedure.step(102, [&] { CenterForm(*this); });
    if (procedure.test(104,
                       [&] { return FileExists(besideProgram(QStringLiteral("HAND-M.CUR"))); }))
        procedure.step(106, [&] { loadMouseIcon(); });
    procedure.step(126, [&] {
        setWindowTitle(kApplicationTitle);
        setWindowIcon(QIcon(QStringLiteral(":/brindlequay.png")));
    });
    procedure.step(128, [&] { restoreOption(Frame1, Option1, QStringLiteral("Option1"), "1"); });
    procedure.step(130, [&] { restoreOption(Frame1, Option2, QStringLiteral("Option2"), "0"); });
    procedure.step(132, [&] { restoreOption(Frame2, Option3, QStringLiteral("Option3"), "1"); });
    procedure.step(134, [&] { restoreOption(Frame2, Option4, QStringLiteral("Option4"), "0"); });
    procedure.step(135, [&] {
        JoinTablesBox->setChecked(booleanFromText(
            m_settings.GetSetting(QStringLiteral("MergeTables"), QStringLiteral("False"))));
        enableJoinTablesBox();
    });
    procedure.step(136, [&] { m_fileList.setColumnCaption(QStringLiteral("XML File(s)")); });
    procedure.step(137, [&] {
        SummarySheetBox->setChecked(booleanFromText(
            m_settings.GetSetting(QStringLiteral("SummarySheet"), QStringLiteral("False"))));
    });
    procedure.step(138, [&] { setUpListColumn(); });
    procedure.step(140, [&] { CheckExcelInstalled(); });
}

void Form1::ApplySkin() {
    const QString skinFile = besideProgram(QStringLiteral("x/o.cjs"));
    if (!QFileInfo(skinFile).isFile())
        return;
    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Window, buttonFace.color(QPalette::Button));
    setPalette(buttonFace);
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw RuntimeError(QStringLiteral("Cannot read the skin file ") + skinFile + ": " +
                           file.errorString());
    setStyleSheet(QString::fromUtf8(file.readAll()));
}

void Form1::CenterForm(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        throw RuntimeError(QStringLiteral("No screen to place the window on"));
    const QRect area = screen->geometry();
    const QSize outer = window.frameGeometry().size();
    window.move(area.x() + (area.width() - outer.width()) / 2,
                area.y() + (area.height() - outer.height()) / 2);
}

void Form1::loadMouseIcon() {
    m_mouseIcon = loadCursorFile(besideProgram(QStringLiteral("HAND-M.CUR")));
}

void Form1::setUpListColumn() {
    ListView1->header()->resizeSection(0, 6500 / kTwipsPerPixel);
}

void Form1::restoreOption(OptionFrame* frame, OptionButton* button, const QString& key,
                          const QString& defaultText) {
    frame->setValue(button, booleanFromText(m_settings.GetSetting(key, defaultText)));
}

void Form1::CheckExcelInstalled() {
    bool created = false;
    try {
        // The instance is let go at once; the check keeps nothing.
        created = m_spreadsheets.create() != nullptr;
    } catch (...) {
        created = false;
    }
    if (!created)
        m_dialogs.showMessage(
            Message{QStringLiteral("Excel is not installed on this computer. You need to have it "
                                   "installed to use this software without error."),
                    MessageButtons::Ok, MessageIcon::None});
}

void Form1::saveOptionPair(OptionFrame* frame, const QString& upperKey, const QString& lowerKey) {
    m_settings.SaveSetting(upperKey, textFromBoolean(frame->upper()->isChecked()));
    m_settings.SaveSetting(lowerKey, textFromBoolean(frame->lower()->isChecked()));
}

void Form1::Option1_Click() {
    saveOptionPair(Frame1, QStringLiteral("Option1"), QStringLiteral("Option2"));
}
void Form1::Option2_Click() {
    saveOptionPair(Frame1, QStringLiteral("Option1"), QStringLiteral("Option2"));
}
void Form1::Option3_Click() {
    saveOptionPair(Frame2, QStringLiteral("Option3"), QStringLiteral("Option4"));
}
void Form1::Option4_Click() {
    saveOptionPair(Frame2, QStringLiteral("Option3"), QStringLiteral("Option4"));
}

void Form1::JoinTablesBox_Click() {
    m_settings.SaveSetting(QStringLiteral("MergeTables"),
                           textFromBoolean(JoinTablesBox->isChecked()));
}

void Form1::SummarySheetBox_Click() {
    m_settings.SaveSetting(QStringLiteral("SummarySheet"),
                           textFromBoolean(SummarySheetBox->isChecked()));
}

void Form1::enableJoinTablesBox() {
    JoinTablesBox->setEnabled(!m_runUnderway && Option3->isChecked());
}

void Form1::PushButton3_Click() {
    ReportingProcedure procedure(m_dialogs, windowProcedure(QStringLiteral("PushButton3_Click")));
    procedure.step(100, [&] {
        m_dialogs.showMessage(Message{helpMessageText(), MessageButtons::Ok, MessageIcon::None});
    });
}

int Form1::selectedPosition() const {
    const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

void Form1::selectAndShow(int position) {
    const QModelIndex row = m_fileList.index(position - 1);
    ListView1->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    ListView1->scrollTo(row);
}

void Form1::reportWalkProblems(const WalkProblems& problems, ReportingProcedure* procedure,
                               int stepNumber) {
    const QString description = describeWalkProblems(problems);
    if (description.isEmpty())
        return;
    if (procedure)
        procedure->report(stepNumber, description);
    else
        m_dialogs.showMessage(Message{description, MessageButtons::Ok, MessageIcon::Warning});
}

void Form1::PushButton1_Click() {
    if (m_runUnderway)
        return;
    ReportingProcedure procedure(m_dialogs, windowProcedure(QStringLiteral("PushButton1_Click")));
    procedure.step(100, [&] {
        WalkProblems problems;
        chooseAndAppendFiles(m_dialogs, m_fileList, archiveMemberPattern(m_settings), problems);
        reportWalkProblems(problems, &procedure, 100);
    });
}

void Form1::PushButton2_Click() {
    if (m_runUnderway)
        return;
    ReportingProcedure procedure(m_dialogs, windowProcedure(QStringLiteral("PushButton2_Click")));
    std::optional<FolderToAdd> request;
    procedure.step(100, [&] { request = askForFolderToAdd(m_dialogs, m_settings); });
    if (!request)
        return;
    procedure.step(102, [&] { setMousePointer(MousePointer::Hourglass); });
    procedure.step(104, [&] {
        WalkProblems problems;
        EventPump events;
        AddFilesFromFolder(
            m_fileList, request->folder, request->pattern, [&] { events.pump(); }, problems);
        reportWalkProblems(problems, &procedure, 104);
    });
    procedure.step(106, [&] { setMousePointer(MousePointer::Default); });
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing ends the importer at once and saves nothing; a run under way stops at its next
    // chance to look at the window.
    m_closeRequested = m_runUnderway;
    event->accept();
}

void Form1::setProgress(double percent) {
    m_progress = percent;
    ProgressBar1->setValue(qRound(percent));
}

void Form1::setRunStage(const QString& stage) {
    const QString title =
        stage.isEmpty() ? kApplicationTitle : kApplicationTitle + QStringLiteral(" - ") + stage;
    if (windowTitle() != title)
        setWindowTitle(title);
}

void Form1::PushButton4_Click() {
    // During a run the button stops it, at the run's next look at the window's events; a second
    // click while it stops changes nothing.
    if (m_runUnderway) {
        m_stopRequested = true;
        return;
    }
    runImport();
}

void Form1::runImport() {
    m_runUnderway = true;
    m_stopRequested = false;
    PushButton4->setText(kStopCaption);
    Frame1->setLocked(true);
    Frame2->setLocked(true);
    SummarySheetBox->setLocked(true);
    enableJoinTablesBox();
    Form1Surface surface(*this, Option1, Option2, Option3, Option4, JoinTablesBox, SummarySheetBox);
    FailureGathering dialogs(m_dialogs);
    ImportRun run(surface, dialogs, m_spreadsheets, temporaryFolder(), &m_workDatabase);
    try {
        showFailedFiles(run.run());
    } catch (const ProcedureAbandoned&) {
        // Closed: the importer ends without another word. Stopped: the user is told how far it
        // came. A workbook not yet shown goes with the run; one that the route through the
        // database showed as it began writing stays with its window, which holds its sheets.
        if (!m_closeRequested) {
            const ImportResult& soFar = run.resultSoFar();
            // The window reads as after a run while the message is up.
            PushButton4->setText(kStartCaption);
            setRunStage(QString());
            setProgress(0);
            setMousePointer(MousePointer::Default);
            m_dialogs.showMessage(Message{stoppedRunMessage(soFar, m_fileList.count()),
                                          MessageButtons::Ok, MessageIcon::Information});
            showFailedFiles(soFar);
        }
    } catch (...) {
        // What escaped the run's steps, as memory that ran out between them, is said rather than
        // thrown into the event loop.
        m_dialogs.showMessage(
            Message{describeCurrentException(), MessageButtons::Ok, MessageIcon::Critical});
    }
    Frame1->setLocked(false);
    Frame2->setLocked(false);
    SummarySheetBox->setLocked(false);
    PushButton4->setText(kStartCaption);
    setRunStage(QString());
    m_runUnderway = false;
    m_stopRequested = false;
    enableJoinTablesBox();
}

void Form1::showFailedFiles(const ImportResult& result) {
    const QStringList lines = failedFileLines(result);
    if (lines.isEmpty())
        return;
    if (m_failedFiles)
        m_failedFiles->close();
    m_failedFiles = new FailedFilesWindow(lines, m_dialogs, this);
    m_failedFiles->setAttribute(Qt::WA_DeleteOnClose);
    m_failedFiles->show();
    m_failedFiles->raise();
}

void Form1::PushButton5_Click() {
    moveSelectedRow(moveUp);
}

void Form1::PushButton6_Click() {
    moveSelectedRow(moveDown);
}

void Form1::moveSelectedRow(int (*moveRow)(FileList&, int)) {
    if (m_runUnderway)
        return;
    const int moved = moveRow(m_fileList, selectedPosition());
    if (moved)
        selectAndShow(moved);
    // The list takes the focus in every case, so that its selection shows.
    ListView1->setFocus();
}

void Form1::PushButton7_Click() {
    if (m_runUnderway)
        return;
    ReportingProcedure procedure(m_dialogs, windowProcedure(QStringLiteral("PushButton7_Click")));
    procedure.step(100, [&] { m_fileList.clear(); });
}

void Form1::PushButton8_Click() {
    if (m_runUnderway)
        return;
    ReportingProcedure procedure(m_dialogs, windowProcedure(QStringLiteral("PushButton8_Click")));
    procedure.step(100, [&] { appendSampleFiles(m_fileList, m_programFolder); });
    MessageAnswer answer = MessageAnswer::No;
    procedure.step(102, [&] {
        answer = m_dialogs.showMessage(
            Message{openSamplesFolderQuestion(), MessageButtons::YesNo, MessageIcon::None});
    });
    if (answer == MessageAnswer::Yes)
        procedure.step(
            104, [&] { m_desktop.openFolder(samplesFolder(m_programFolder) + QDir::separator()); });
}

namespace {
// Whether a list event would change the list, which is refused while a run reads it.
bool wouldChangeTheList(const QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        return static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Delete;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
} // namespace

bool Form1::listViewEvent(QEvent* event) {
    if (m_runUnderway && wouldChangeTheList(event)) {
        event->ignore();
        return true;
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        ListView1_KeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;
    case QEvent::MouseButtonPress:
        ListView1_MouseDown();
        return false;
    case QEvent::MouseButtonRelease:
        ListView1_MouseUp();
        return false;
    case QEvent::MouseButtonDblClick:
        ListView1_DblClick();
        return true;
    case QEvent::MouseMove: {
        ListView1_MouseMove(*static_cast<QMouseEvent*>(event));
        // While a row is dragged the list must not move its selection on its own.
        return m_rowDrag.active();
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
        ListView1_OLEDragOver(*static_cast<QDropEvent*>(event));
        return true;
    case QEvent::Drop:
        ListView1_OLEDragDrop(*static_cast<QDropEvent*>(event));
        return true;
    default:
        return false;
    }
}

void Form1::ListView1_KeyDown(int keyCode) {
    // Delete removes whatever modifiers are held.
    if (keyCode == Qt::Key_Delete)
        m_fileList.remove(selectedPosition());
}

void Form1::ListView1_DblClick() {
    m_fileList.remove(selectedPosition());
}

void Form1::ListView1_ItemClick(int position) {
    if (!m_dragPointer) {
        try {
            m_dragPointer = loadCursorFile(besideProgram(QStringLiteral("drag.ico")));
        } catch (...) {
            // Without the picture a drag still works, under the arrow.
            m_dragPointer = QCursor(Qt::ArrowCursor);
        }
    }
    ListView1->viewport()->setCursor(*m_dragPointer);
    m_rowDrag.rowClicked(position);
}

void Form1::ListView1_MouseDown() {
    m_rowDrag.buttonPressed();
}

void Form1::ListView1_MouseUp() {
    m_rowDrag.buttonReleased();
    ListView1->viewport()->setCursor(Qt::ArrowCursor);
}

void Form1::ListView1_MouseMove(const QMouseEvent& event) {
    setMousePointer(MousePointer::afterMove(m_mousePointer, MousePointer::Default));
    if (!m_rowDrag.active())
        return;
    const int target = ListView1->indexAt(event.position().toPoint()).row() + 1;
    const int swappedTo = m_rowDrag.movedOver(target);
    if (!swappedTo)
        return;
    ListView1->selectionModel()->setCurrentIndex(m_fileList.index(swappedTo - 1),
                                                 QItemSelectionModel::ClearAndSelect);
    const int scrollTo =
        autoScrollRow(qRound(event.globalPosition().y()), swappedTo, m_fileList.count());
    if (scrollTo)
        ListView1->scrollTo(m_fileList.index(scrollTo - 1));
}

void Form1::addStartingPaths(const QStringList& paths) {
    QStringList present;
    QStringList missing;
    for (const QString& path : paths) {
        const QFileInfo given(path);
        (given.exists() ? present : missing) << QDir::cleanPath(given.absoluteFilePath());
    }
    WalkProblems problems;
    EventPump events;
    addDroppedPaths(
        m_fileList, present, archiveMemberPattern(m_settings), [&] { events.pump(); }, problems);
    reportWalkProblems(problems, nullptr, 0);
    if (!missing.isEmpty())
        m_dialogs.showMessage(
            Message{QStringLiteral("These paths do not exist and were not added to the list:\r\n") +
                        missing.join(QStringLiteral("\r\n")),
                    MessageButtons::Ok, MessageIcon::Warning});
}

void Form1::ListView1_OLEDragOver(QDropEvent& event) {
    if (droppedLocalPaths(event.mimeData()).isEmpty())
        event.ignore();
    else
        event.acceptProposedAction();
}

void Form1::ListView1_OLEDragDrop(QDropEvent& event) {
    const QStringList paths = droppedLocalPaths(event.mimeData());
    if (paths.isEmpty()) {
        event.ignore();
        return;
    }
    event.acceptProposedAction();
    WalkProblems problems;
    EventPump events;
    addDroppedPaths(
        m_fileList, paths, archiveMemberPattern(m_settings), [&] { events.pump(); }, problems);
    reportWalkProblems(problems, nullptr, 0);
}
