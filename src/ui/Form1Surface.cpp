#include "ui/Form1Surface.h"

#include "base/ErrorReport.h"
#include "base/StopSignals.h"
#include "ui/Form1.h"
#include "ui/OptionFrame.h"

#include <QCheckBox>

SendMode Form1Surface::sendMode() const {
    if (m_option1->isChecked())
        return SendMode::OneSheet;
    return m_option2->isChecked() ? SendMode::MultipleSheets : SendMode::None;
}

ImportRoute Form1Surface::importRoute() const {
    if (m_option3->isChecked())
        return ImportRoute::Database;
    return m_option4->isChecked() ? ImportRoute::WithoutDatabase : ImportRoute::None;
}

bool Form1Surface::mergesTables() const {
    return m_joinTables->isChecked();
}

bool Form1Surface::addsSummarySheet() const {
    return m_summarySheet->isChecked();
}

int Form1Surface::fileCount() const {
    return m_window.fileList().count();
}

QString Form1Surface::fileAt(int position) const {
    return m_window.fileList().text(position);
}

void Form1Surface::setProgress(double percent) {
    m_window.setProgress(percent);
}

void Form1Surface::setMousePointer(int pointer) {
    m_window.setMousePointer(pointer);
}

void Form1Surface::showAgain() {
    // A window the user closed during the run stays closed.
    if (m_window.closeRequested())
        return;
    m_window.show();
    m_window.raise();
}

void Form1Surface::processEvents() {
    m_events.pump();
    // Closed, or stopped with the start button: the run ends here and its partial files go.
    if (m_window.closeRequested() || m_window.stopRequested())
        throw ProcedureAbandoned{};
    // The end of the session, or a kill: the run stops and its partial files go.
    stopWhenAsked();
}
