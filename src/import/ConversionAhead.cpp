#include "import/ConversionAhead.h"

#include "xml/CsvConversion.h"

#include <QFile>

#include <sys/stat.h>

namespace {
// How far the second thread may run ahead, in files and in converted text held, and the
// largest file it takes.
constexpr int kFilesAhead = 16;
constexpr std::size_t kBytesAhead = 32 << 20;
constexpr off_t kLargestFile = 4 << 20;

bool isConvertedAhead(int index) {
    return index % 2 == 0;
}

bool isSmallRegularFile(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_size <= kLargestFile;
}
} // namespace

ConversionAhead::ConversionAhead(QStringList xmlPaths)
    : m_paths(std::move(xmlPaths)), m_states(static_cast<size_t>(m_paths.size()) + 1),
      m_converted(m_states.size()) {
    for (int index = 1; index <= m_paths.size(); ++index)
        m_states[static_cast<size_t>(index)] =
            isConvertedAhead(index) ? State::Waiting : State::LeftToRun;
    if (m_paths.size() > 1)
        m_worker = std::thread([this] { convertAhead(); });
}

ConversionAhead::~ConversionAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void ConversionAhead::convertAhead() {
    for (int index = 2; index <= m_paths.size(); index += 2) {
        {
            std::unique_lock lock(m_mutex);
            m_workerWaits = true;
            // The file the run waits for is always converted, whatever is held already.
            m_changed.wait(lock, [&] {
                return m_stopping || index <= m_runAt ||
                       (index - m_runAt <= kFilesAhead && m_bytesHeld < kBytesAhead);
            });
            m_workerWaits = false;
            if (m_stopping)
                return;
            m_states[static_cast<size_t>(index)] = State::Taken;
        }
        const QString path = m_paths.at(index - 1);
        ConvertedFile converted;
        const bool taken = isSmallRegularFile(path);
        if (taken) {
            try {
                converted.error = ConvertToCSV(
                    path, ",", [&](std::string_view piece) { converted.csv.append(piece); });
            } catch (...) {
                converted.failure = std::current_exception();
            }
        }
        {
            std::lock_guard lock(m_mutex);
            m_converted[static_cast<size_t>(index)] = std::move(converted);
            m_states[static_cast<size_t>(index)] = taken ? State::Done : State::LeftToRun;
            m_bytesHeld += m_converted[static_cast<size_t>(index)].csv.size();
            // Waking the run costs a system call; only a run that waits needs it.
            if (!m_runWaits)
                continue;
        }
        m_changed.notify_all();
    }
}

std::optional<ConvertedFile> ConversionAhead::take(int index) {
    if (index < 1 || index > m_paths.size())
        return std::nullopt;
    std::unique_lock lock(m_mutex);
    m_runAt = index;
    if (m_workerWaits)
        m_changed.notify_all();
    State& state = m_states[static_cast<size_t>(index)];
    m_runWaits = true;
    m_changed.wait(lock, [&] { return state != State::Waiting && state != State::Taken; });
    m_runWaits = false;
    if (state != State::Done)
        return std::nullopt;
    state = State::LeftToRun;
    m_bytesHeld -= m_converted[static_cast<size_t>(index)].csv.size();
    return std::move(m_converted[static_cast<size_t>(index)]);
}
