#include "import/batch/ConsoleReporting.h"

namespace {
void printLine(std::FILE* stream, const QString& text) {
    const QByteArray bytes = withLineFeeds(text).toUtf8();
    std::fprintf(stream, "%s\n", bytes.constData());
    std::fflush(stream);
}
} // namespace

MessageAnswer ConsoleDialogs::showMessage(const Message& message) {
    const bool done = message.text == QLatin1String("Done.");
    m_sawNoFiles = m_sawNoFiles || message.text == QLatin1String("No files added.");
    if (!done)
        ++m_problems;
    if (!done || !m_quiet) {
        if (beforeMessage)
            beforeMessage();
        printLine(m_errors, message.text);
    }
    // No one is there to answer: a question is taken as agreed.
    return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

void ConsoleDialogs::report(const QString& text) {
    if (m_quiet)
        return;
    if (beforeMessage)
        beforeMessage();
    printLine(m_errors, text);
}

ConsoleSurface::ConsoleSurface(SendMode sendMode, ImportRoute route, QStringList files,
                               std::FILE* errors, bool showProgress)
    : m_sendMode(sendMode), m_route(route), m_files(std::move(files)), m_errors(errors),
      m_showProgress(showProgress) {
    m_elapsed.start();
}

void ConsoleSurface::setProgress(double percent) {
    if (!m_showProgress || percent <= 0)
        return;
    constexpr int kWidth = 30;
    const int filled = std::clamp(static_cast<int>(percent * kWidth / 100), 0, kWidth);
    const int done = static_cast<int>(percent * fileCount() / 100 + 0.5);
    const qint64 seconds = m_elapsed.elapsed() / 1000;
    std::fprintf(m_errors, "\r[%s%s] %d/%d files  %lld:%02lld", QByteArray(filled, '#').constData(),
                 QByteArray(kWidth - filled, '.').constData(), done, fileCount(),
                 static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    std::fflush(m_errors);
    m_progressShown = true;
}

void ConsoleSurface::clearProgress() {
    if (!m_progressShown)
        return;
    std::fprintf(m_errors, "\r\033[K");
    m_progressShown = false;
}
