#include "spreadsheet/SpreadsheetEngine.h"

#include "base/RuntimeError.h"
#include "spreadsheet/CsvOpening.h"
#include "spreadsheet/CsvReadAhead.h"

SpreadsheetEngine& SpreadsheetEngine::shared() {
    static SpreadsheetEngine engine;
    return engine;
}

SpreadsheetEngine::SpreadsheetEngine() = default;
SpreadsheetEngine::~SpreadsheetEngine() = default;

void SpreadsheetEngine::expectOpening(const QStringList& fileNames) {
    m_readAhead.reset();
    if (!fileNames.isEmpty())
        m_readAhead = std::make_unique<CsvReadAhead>(fileNames, m_texts);
}

std::shared_ptr<SpreadsheetApplication> SpreadsheetEngine::create() {
    auto instance = std::make_shared<EngineInstance>(*this);
    m_instances.push_back(instance);
    return instance;
}

std::vector<std::shared_ptr<EngineInstance>> SpreadsheetEngine::runningInstances() {
    std::vector<std::shared_ptr<EngineInstance>> running;
    std::erase_if(m_instances, [](const std::weak_ptr<EngineInstance>& weak) {
        const std::shared_ptr<EngineInstance> instance = weak.lock();
        return !instance || instance->hasQuit();
    });
    for (const auto& weak : m_instances)
        running.push_back(weak.lock());
    return running;
}

std::shared_ptr<SpreadsheetApplication> SpreadsheetEngine::attachRunning() {
    const auto running = runningInstances();
    if (running.empty())
        throw RuntimeError(QStringLiteral("ActiveX component can't create object: no "
                                          "spreadsheet application is running"));
    return running.front();
}

void EngineInstance::setVisible(bool visible) {
    const bool shown = visible && !m_visible;
    m_visible = visible;
    if (shown && m_engine.m_presenter)
        m_engine.m_presenter(shared_from_this());
}

Workbook& EngineInstance::addWorkbook() {
    m_workbooks.push_back(
        Workbook::createNew(QStringLiteral("Book%1").arg(m_engine.m_nextBookNumber++)));
    return *m_workbooks.back();
}

OpenedWorkbook EngineInstance::openWorkbook(const QString& fileName) {
    std::optional<OpenedCsv> ahead;
    if (m_engine.m_readAhead)
        ahead = m_engine.m_readAhead->take(fileName);
    OpenedCsv opened =
        ahead ? std::move(*ahead) : openCsv(fileName, m_engine.m_texts, m_engine.m_eventPump);
    m_workbooks.push_back(std::move(opened.workbook));
    return {*m_workbooks.back(), std::move(opened.shortfall)};
}

Workbook& EngineInstance::workbook(int index) {
    if (index < 1 || index > workbookCount())
        throw RuntimeError(
            QStringLiteral("Subscript out of range: there is no workbook %1").arg(index));
    return *m_workbooks[static_cast<size_t>(index - 1)];
}

Workbook& EngineInstance::activeWorkbook() {
    if (m_workbooks.empty())
        throw RuntimeError(QStringLiteral("Object variable not set: the application has no "
                                          "open workbook"));
    return *m_workbooks.back();
}

Workbook* EngineInstance::workbookHolding(const Worksheet& sheet) {
    for (const auto& workbook : m_workbooks)
        if (workbook->holds(sheet))
            return workbook.get();
    return nullptr;
}

void EngineInstance::copyUsedRange(Worksheet& sheet) {
    // A full sheet's block goes on in the sheets that carry on its rows.
    std::vector<const CellStore*> sheets{&sheet.cells()};
    if (Workbook* workbook = workbookHolding(sheet))
        for (const Worksheet* continuation : workbook->continuationsOf(sheet))
            sheets.push_back(&continuation->cells());
    m_engine.m_clipboard = std::make_shared<const TallBlock>(copyUsedRows(sheets));
}

void EngineInstance::paste(Worksheet& sheet) {
    if (!m_engine.m_clipboard)
        throw RuntimeError(QStringLiteral("Paste method of Worksheet class failed: the "
                                          "clipboard is empty"));
    Workbook* workbook = workbookHolding(sheet);
    pasteRows(*m_engine.m_clipboard, sheet.activeRow(), sheet.activeColumn(),
              [&](int index) -> CellStore& {
                  if (index == 0)
                      return sheet.cells();
                  if (!workbook)
                      throw RuntimeError(QStringLiteral("Paste method of Worksheet class "
                                                        "failed: the block is taller than the "
                                                        "sheet"));
                  return workbook->continuation(sheet, index).cells();
              });
}

void EngineInstance::quit() {
    m_quit = true;
    m_workbooks.clear();
}
