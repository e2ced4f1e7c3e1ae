#pragma once

#include "import/office/SpreadsheetApplication.h"

#include <QCursor>
#include <QHash>
#include <QWidget>

#include <optional>

class Dialogs;
class SettingsStore;
class OptionButton;
class OptionFrame;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// The main window: every control of the importer and the handlers of their events. Handlers
// stay thin and forward to the logic of the file list and the import.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    Form1(Dialogs& dialogs, SettingsStore& settings, SpreadsheetFactory spreadsheetFactory,
          QString programFolder, QWidget* parent = nullptr);

    // Prepares the window before it is first shown; every failing step is reported and skipped.
    void Form_Load();

    // The window's pointer: 0 default, 11 hourglass, 99 the hand of the mouse icon.
    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    // Whether a hand picture was loaded at start-up.
    bool hasMouseIcon() const { return m_mouseIcon.has_value(); }

    void PushButton3_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void ApplySkin();
    void CenterForm(QWidget& window);
    void loadMouseIcon();
    void setUpListColumn();
    void CheckExcelInstalled();
    void restoreOption(OptionFrame* frame, OptionButton* button, const QString& key,
                       const QString& defaultText);
    void saveOptionPair(OptionFrame* frame, const QString& upperKey, const QString& lowerKey);
    QString besideProgram(const QString& name) const;

    Dialogs& m_dialogs;
    SettingsStore& m_settings;
    SpreadsheetFactory m_spreadsheetFactory;
    QString m_programFolder;

    int m_mousePointer = 0;
    std::optional<QCursor> m_mouseIcon;
    // The pointer that a move over each watched control chooses.
    QHash<QObject*, int> m_pointerOnMove;

    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPushButton* PushButton6 = nullptr;
    QPushButton* PushButton7 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    OptionFrame* Frame1 = nullptr;
    OptionFrame* Frame2 = nullptr;
    OptionButton* Option1 = nullptr;
    OptionButton* Option2 = nullptr;
    OptionButton* Option3 = nullptr;
    OptionButton* Option4 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};
