#pragma once

#include "base/FileIdentity.h"

#include <QStringList>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Works on the files of a list ahead of their turn, on a second thread, while the caller takes
// them in list order: a run of many small files keeps both cores busy. Only small regular files
// are worked on ahead, and a file changed since then is not given out, so the caller never gets
// a result that differs from what it would make itself now.
//
// The caller takes each file by its index; files it passes over are let go. What the second
// thread made is given at most once; every other file is left to the caller.
template <typename Result> class ReadAhead {
public:
    struct Plan {
        // Whether the second thread takes file `index` (from 0); it takes them in order.
        std::function<bool(int index)> takes;
        // The work on one file; nothing, or an error it raises, leaves the file to the caller.
        std::function<std::optional<Result>(const QString& path)> work;
        // How much memory a result holds, for `bytesAhead`.
        std::function<std::size_t(const Result&)> sizeOf = [](const Result&) { return 0; };
        // How far the second thread may run ahead of the caller, in files and in results held.
        int filesAhead = 8;
        std::size_t bytesAhead = std::numeric_limits<std::size_t>::max();
        // The largest file worked on ahead.
        qint64 largestFile = 4 << 20;
        // What the file at `path` is at this moment, to tell whether it changed since it was
        // worked on ahead; nothing for one not to be worked on ahead (larger than `largest`, not
        // a regular file).
        std::function<std::optional<FileIdentity>(const QString& path, qint64 largest)> identityOf =
            smallRegularFileIdentity;
        // Whether `path` names something held in memory rather than a file: it cannot change,
        // so it is worked on ahead whatever its size.
        std::function<bool(const QString& path)> heldInMemory = [](const QString&) {
            return false;
        };
        // A file of the second thread's that it has not begun when the caller comes to it: true
        // to wait for it (the second thread then takes it next), false to leave it to the
        // caller, so that both threads keep busy.
        bool waitForUnbegun = false;
    };

    ReadAhead(QStringList paths, Plan plan)
        : m_paths(std::move(paths)), m_plan(std::move(plan)),
          m_files(static_cast<std::size_t>(m_paths.size())) {
        bool anyTaken = false;
        for (int index = 0; index < m_paths.size(); ++index) {
            const bool taken = m_plan.takes(index);
            m_files[static_cast<std::size_t>(index)].state = taken ? State::Waiting : State::Caller;
            anyTaken = anyTaken || taken;
        }
        if (anyTaken)
            m_worker = std::thread([this] { workAhead(); });
    }
    ~ReadAhead() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        if (m_worker.joinable())
            m_worker.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // File `index` (from 0) as worked on ahead, waiting for it while it is under way; nothing
    // when it is the caller's to work on, or was taken or passed over already. Files before it
    // that were not taken are let go.
    std::optional<Result> take(int index) {
        if (index >= size())
            return std::nullopt;
        std::unique_lock lock(m_mutex);
        if (index < m_next)
            return std::nullopt;
        for (; m_next < index; ++m_next)
            letGo(m_files[static_cast<std::size_t>(m_next)]);
        m_next = index + 1;
        if (m_workerWaits)
            m_changed.notify_all();
        File& file = m_files[static_cast<std::size_t>(index)];
        if (file.state == State::Waiting && !m_plan.waitForUnbegun)
            file.state = State::Caller;
        m_callerWaits = true;
        m_changed.wait(
            lock, [&] { return file.state != State::Waiting && file.state != State::Working; });
        m_callerWaits = false;
        if (file.state != State::Done)
            return std::nullopt;
        std::optional<Result> result = std::move(file.result);
        const std::optional<FileIdentity> identity = file.identity;
        m_bytesHeld -= m_plan.sizeOf(*result);
        file = File{};
        lock.unlock();
        if (!m_plan.heldInMemory(m_paths.at(index)) &&
            m_plan.identityOf(m_paths.at(index), m_plan.largestFile) != identity)
            return std::nullopt;
        return result;
    }

    // The first file at `path` that was neither taken nor passed over, as `take` gives it;
    // nothing, and nothing let go, when no such file is listed.
    std::optional<Result> take(const QString& path) {
        int index = 0;
        {
            // Only the caller moves its place, so it cannot change during the search.
            std::lock_guard lock(m_mutex);
            index = m_next;
        }
        while (index < size() && m_paths.at(index) != path)
            ++index;
        return take(index);
    }

private:
    int size() const { return static_cast<int>(m_paths.size()); }

    enum class State { Waiting, Working, Done, Caller };
    struct File {
        State state = State::Caller;
        std::optional<Result> result;
        // What the file was when the second thread began on it.
        std::optional<FileIdentity> identity;
    };

    // A file passed over gives back what it held; one under way is let go when it is done.
    void letGo(File& file) {
        if (file.state == State::Working)
            return;
        if (file.result)
            m_bytesHeld -= m_plan.sizeOf(*file.result);
        file = File{};
    }

    void workAhead() {
        for (int index = 0; index < size(); ++index) {
            File& file = m_files[static_cast<std::size_t>(index)];
            {
                std::unique_lock lock(m_mutex);
                if (file.state != State::Waiting)
                    continue;
                m_workerWaits = true;
                // A file the caller waits for, or has passed, is always settled at once.
                m_changed.wait(lock, [&] {
                    return m_stopping || index < m_next ||
                           (index - m_next < m_plan.filesAhead && m_bytesHeld < m_plan.bytesAhead);
                });
                m_workerWaits = false;
                if (m_stopping)
                    return;
                if (file.state != State::Waiting)
                    continue;
                file.state = State::Working;
            }
            const QString& path = m_paths.at(index);
            const bool held = m_plan.heldInMemory(path);
            std::optional<FileIdentity> identity =
                held ? std::nullopt : m_plan.identityOf(path, m_plan.largestFile);
            std::optional<Result> result;
            if (identity || held) {
                try {
                    result = m_plan.work(path);
                } catch (...) {
                    // Left to the caller, who reports what fails where the file is its turn.
                }
            }
            {
                std::lock_guard lock(m_mutex);
                if (result && index + 1 >= m_next) {
                    m_bytesHeld += m_plan.sizeOf(*result);
                    file.result = std::move(result);
                    file.identity = identity;
                    file.state = State::Done;
                } else {
                    file = File{};
                }
                // Waking the caller costs a system call; only one that waits needs it.
                if (!m_callerWaits)
                    continue;
            }
            m_changed.notify_all();
        }
    }

    const QStringList m_paths;
    const Plan m_plan;
    std::vector<File> m_files;
    // The index after the file the caller took last.
    int m_next = 0;
    std::size_t m_bytesHeld = 0;
    bool m_stopping = false;
    bool m_callerWaits = false;
    bool m_workerWaits = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_worker;
};
