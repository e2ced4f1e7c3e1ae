#include "ui/Form1Surface.h"

#include "base/ErrorReport.h"
#include "base/StopSignals.h"
#include "ui/Form1.h"
#include "ui/OptionFrame.h"

#include <QCheckBox>

#include <algorithm>

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

namespace {
constexpr double kReadingShare = 40;
} // namespace

void Form1Surface::setProgress(double percent) {
    if (m_followsWork && percent != 0)
        return;
    m_followsWork = false;
    m_window.setProgress(percent);
}

void Form1Surface::readingFile(int k, int n, double within) {
    if (n < 1)
        return;
    m_followsWork = true;
    m_window.setProgress(kReadingShare * (k - 1 + std::clamp(within, 0.0, 1.0)) / n);
    m_window.setRunStage(QStringLiteral("file %1 of %2").arg(k).arg(n));
}

void Form1Surface::writingOutput(double done) {
    m_followsWork = true;
    m_window.setProgress(kReadingShare + (100 - kReadingShare) * std::clamp(done, 0.0, 1.0));
    m_window.setRunStage(QStringLiteral("writing the workbook"));
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
