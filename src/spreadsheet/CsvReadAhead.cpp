#include "spreadsheet/CsvReadAhead.h"

#include <QFile>

#include <sys/stat.h>

namespace {
constexpr int kFilesAhead = 8;
constexpr off_t kLargestFile = 4 << 20;

// The file's identity when it is a small regular file; nothing otherwise.
std::vector<long long> identityOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > kLargestFile)
        return {};
    return {static_cast<long long>(status.st_dev),
            static_cast<long long>(status.st_ino),
            static_cast<long long>(status.st_size),
            static_cast<long long>(status.st_mtim.tv_sec),
            static_cast<long long>(status.st_mtim.tv_nsec),
            static_cast<long long>(status.st_ctim.tv_sec),
            static_cast<long long>(status.st_ctim.tv_nsec)};
}
} // namespace

CsvReadAhead::CsvReadAhead(QStringList paths)
    : m_paths(std::move(paths)), m_ahead(static_cast<size_t>(m_paths.size())) {
    if (!m_paths.isEmpty())
        m_worker = std::thread([this] { readAhead(); });
}

CsvReadAhead::~CsvReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void CsvReadAhead::readAhead() {
    for (int index = 0; index < m_paths.size(); ++index) {
        {
            std::unique_lock lock(m_mutex);
            m_workerWaits = true;
            m_changed.wait(lock, [&] { return m_stopping || index - m_next < kFilesAhead; });
            m_workerWaits = false;
            if (m_stopping)
                return;
            if (m_ahead[static_cast<size_t>(index)].state != State::Waiting)
                continue;
            m_ahead[static_cast<size_t>(index)].state = State::Reading;
        }
        const QString path = m_paths.at(index);
        std::vector<long long> identity = identityOf(path);
        std::optional<OpenedCsv> opened;
        if (!identity.empty()) {
            // A file that cannot be read is left to be opened where its failure is reported.
            try {
                opened = openCsvFile(path);
            } catch (...) {
            }
        }
        {
            std::lock_guard lock(m_mutex);
            Ahead& ahead = m_ahead[static_cast<size_t>(index)];
            ahead.opened = std::move(opened);
            ahead.identity = std::move(identity);
            ahead.state = ahead.opened ? State::Read : State::LeftToCaller;
            // A file passed over while it was read is not kept.
            if (index < m_next - 1)
                ahead = Ahead{State::LeftToCaller, {}, {}};
            // Waking the opener costs a system call; only one that waits needs it.
            if (!m_openerWaits)
                continue;
        }
        m_changed.notify_all();
    }
}

std::optional<OpenedCsv> CsvReadAhead::take(const QString& path) {
    std::unique_lock lock(m_mutex);
    // Files passed over (a step failed before it opened its file) are let go.
    int index = m_next;
    while (index < m_paths.size() && m_paths.at(index) != path)
        ++index;
    if (index >= m_paths.size())
        return std::nullopt;
    for (; m_next < index; ++m_next)
        if (Ahead& passed = m_ahead[static_cast<size_t>(m_next)]; passed.state != State::Reading)
            passed = Ahead{State::LeftToCaller, {}, {}};
    Ahead& ahead = m_ahead[static_cast<size_t>(m_next++)];
    if (m_workerWaits)
        m_changed.notify_all();
    // A file the second thread has not begun is opened here, so both threads keep busy.
    if (ahead.state == State::Waiting) {
        ahead.state = State::LeftToCaller;
        return std::nullopt;
    }
    m_openerWaits = true;
    m_changed.wait(lock, [&] { return ahead.state != State::Reading; });
    m_openerWaits = false;
    if (ahead.state != State::Read)
        return std::nullopt;
    ahead.state = State::LeftToCaller;
    std::optional<OpenedCsv> opened = std::move(ahead.opened);
    const std::vector<long long> identity = std::move(ahead.identity);
    lock.unlock();
    if (identityOf(path) != identity)
        return std::nullopt;
    return opened;
}
