#include "shell/Form1.h"

#include "platform/Paths.h"
#include "shell/BooleanText.h"
#include "shell/CursorFile.h"
#include "shell/Dialogs.h"
#include "shell/ErrorReport.h"
#include "shell/HelpText.h"
#include "shell/MousePointer.h"
#include "shell/OptionFrame.h"
#include "shell/RuntimeError.h"
#include "shell/SettingsStore.h"
#include "shell/WrappingPushButton.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

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

const QString kListToolTip =
    QStringLiteral("Drag and drop files here. Double-click item to remove it. Move bar to right "
                   "and out of window to reveal full names.");
} // namespace

Form1::Form1(Dialogs& dialogs, SettingsStore& settings, SpreadsheetFactory spreadsheetFactory,
             QString programFolder, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_settings(settings),
      m_spreadsheetFactory(std::move(spreadsheetFactory)),
      m_programFolder(std::move(programFolder)) {
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
    button(PushButton4, "PushButton4", QStringLiteral("Start Importing Multiple XML Files"),
           twips(120, 6500, 7800, 405));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(twips(120, 630, 6840, 2535));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setToolTip(kListToolTip);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListView1->setColumnCount(0);

    Frame2 = new OptionFrame(QStringLiteral("Import Options"),
                             QStringLiteral("Import using MS Access (Access must be installed)"),
                             QStringLiteral("Import without using MS Access"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twips(120, 4230, 7800, 1050));
    Option3 = Frame2->upper();
    Option4 = Frame2->lower();
    Option3->setGeometry(twips(240, 300, 5775, 255));
    Option4->setGeometry(twips(240, 650, 3375, 255));

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
    // Before the stored options are applied, the upper button of each frame is selected.
    Option1->setChecked(true);
    Option3->setChecked(true);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twips(120, 7020, 7800, 405));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAttribute(Qt::WA_NoMousePropagation);
}

void Form1::connectHandlers() {
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(Frame1, &OptionFrame::optionClicked, this, [this](OptionButton* button) {
        runUnreportedHandler(m_dialogs,
                             [&] { button == Option1 ? Option1_Click() : Option2_Click(); });
    });
    connect(Frame2, &OptionFrame::optionClicked, this, [this](OptionButton* button) {
        runUnreportedHandler(m_dialogs,
                             [&] { button == Option3 ? Option3_Click() : Option4_Click(); });
    });

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
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
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
    ReportingProcedure procedure(m_dialogs, QStringLiteral("Form_Load"));
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
    procedure.step(136, [&] { ListView1->setHeaderLabels({QStringLiteral("XML File(s)")}); });
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
        created = m_spreadsheetFactory && m_spreadsheetFactory() != nullptr;
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

void Form1::PushButton3_Click() {
    ReportingProcedure procedure(m_dialogs, QStringLiteral("PushButton3_Click"));
    procedure.step(100, [&] {
        m_dialogs.showMessage(Message{helpMessageText(), MessageButtons::Ok, MessageIcon::None});
    });
}
