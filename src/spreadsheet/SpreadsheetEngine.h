#pragma once

#include "sheet/SheetChain.h"
#include "spreadsheet/SpreadsheetApplication.h"

#include <functional>
#include <vector>

class CsvReadAhead;
class EngineInstance;
class WorkTexts;

// The program's own spreadsheet application: instances in a registry, one clipboard shared by
// all of them, a presenter that gives every visible instance a window, and one count of new
// workbooks, so that each is named apart ("Book1", "Book2", ...) whichever instance holds it.
class SpreadsheetEngine final : public SpreadsheetApplications {
public:
    // Shows a visible instance to the user; the presenter keeps the instance alive as long as
    // the user keeps it open.
    using Presenter = std::function<void(std::shared_ptr<EngineInstance>)>;

    // The engine that the whole program shares.
    static SpreadsheetEngine& shared();

    SpreadsheetEngine();
    ~SpreadsheetEngine() override;

    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }
    // Where CSV texts held in memory in place of their files are found; none by default.
    void setWorkTexts(const WorkTexts* texts) { m_texts = texts; }

    std::shared_ptr<SpreadsheetApplication> create() override;
    std::shared_ptr<SpreadsheetApplication> attachRunning() override;
    void expectOpening(const QStringList& fileNames) override;
    void letEventsRunWith(const std::function<void()>& pump) override { m_eventPump = pump; }

    // The instances still running, oldest first.
    std::vector<std::shared_ptr<EngineInstance>> runningInstances();

private:
    friend class EngineInstance;

    std::vector<std::weak_ptr<EngineInstance>> m_instances;
    std::shared_ptr<const TallBlock> m_clipboard;
    std::unique_ptr<CsvReadAhead> m_readAhead;
    Presenter m_presenter;
    int m_nextBookNumber = 1;
    const WorkTexts* m_texts = nullptr;
    std::function<void()> m_eventPump;
};

// One instance of the engine.
class EngineInstance final : public SpreadsheetApplication,
                             public std::enable_shared_from_this<EngineInstance> {
public:
    explicit EngineInstance(SpreadsheetEngine& engine) : m_engine(engine) {}

    QString defaultValue() const override { return QStringLiteral("Microsoft Excel"); }
    void setDisplayAlerts(bool displayAlerts) override { m_displayAlerts = displayAlerts; }
    bool displayAlerts() const override { return m_displayAlerts; }
    void setVisible(bool visible) override;
    bool isVisible() const override { return m_visible; }

    Workbook& addWorkbook() override;
    OpenedWorkbook openWorkbook(const QString& fileName) override;
    int workbookCount() const override { return static_cast<int>(m_workbooks.size()); }
    Workbook& workbook(int index) override;
    Workbook& activeWorkbook() override;

    void copyUsedRange(Worksheet& sheet) override;
    void paste(Worksheet& sheet) override;

    void quit() override;
    bool hasQuit() const { return m_quit; }

private:
    // The workbook that holds the sheet; none when no workbook of this instance does.
    Workbook* workbookHolding(const Worksheet& sheet);

    SpreadsheetEngine& m_engine;
    std::vector<std::unique_ptr<Workbook>> m_workbooks;
    bool m_displayAlerts = true;
    bool m_visible = false;
    bool m_quit = false;
};
