#include "base/HardStop.h"

#include "base/Paths.h"
#include "base/StopSignals.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {
struct Registry {
    std::mutex mutex;
    std::map<std::uint64_t, QString> paths;
    std::uint64_t lastKey = 0;
    QByteArray beforeCommit;
    QByteArray afterCommit;
    bool committed = false;
    bool farewellSaid = false;
    std::atomic<bool> underWay{false};
};

Registry& registry() {
    // Never destroyed: a hard stop may come while the program's statics are being torn down.
    static Registry* const shared = new Registry;
    return *shared;
}

bool isThere(const QString& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(nativePath(path), ignored));
}
} // namespace

RemovedOnHardStop::RemovedOnHardStop(const std::function<QString()>& make) {
    Registry& shared = registry();
    const std::lock_guard lock(shared.mutex);
    QString path = make();
    if (path.isEmpty())
        return;
    m_key = ++shared.lastKey;
    shared.paths.emplace(m_key, path);
    m_path = std::move(path);
}

RemovedOnHardStop::RemovedOnHardStop(RemovedOnHardStop&& other) noexcept
    : m_path(std::exchange(other.m_path, QString())), m_key(std::exchange(other.m_key, 0)) {}

RemovedOnHardStop& RemovedOnHardStop::operator=(RemovedOnHardStop&& other) noexcept {
    if (this != &other) {
        letGo();
        m_path = std::exchange(other.m_path, QString());
        m_key = std::exchange(other.m_key, 0);
    }
    return *this;
}

RemovedOnHardStop::~RemovedOnHardStop() {
    letGo();
}

void RemovedOnHardStop::letGo() noexcept {
    if (m_key == 0)
        return;
    Registry& shared = registry();
    // Waits for good while a hard stop is under way, which is as well: the program is ending.
    const std::lock_guard lock(shared.mutex);
    shared.paths.erase(m_key);
    m_key = 0;
    m_path.clear();
}

void commitUnlessStopped(const std::function<void()>& commit) {
    Registry& shared = registry();
    const std::lock_guard lock(shared.mutex);
    stopWhenAsked();
    commit();
    shared.committed = true;
}

void setHardStopFarewell(const QByteArray& beforeCommit, const QByteArray& afterCommit) {
    Registry& shared = registry();
    const std::lock_guard lock(shared.mutex);
    shared.beforeCommit = beforeCommit;
    shared.afterCommit = afterCommit;
}

void sayStopFarewell(const std::function<void()>& say) {
    Registry& shared = registry();
    const std::lock_guard lock(shared.mutex);
    if (!std::exchange(shared.farewellSaid, true))
        say();
}

bool hardStopUnderWay() {
    return registry().underWay.load();
}

void stopHard() {
    Registry& shared = registry();
    // Held to the end: from here on nothing is made, let go of or committed.
    shared.mutex.lock();
    shared.underWay = true;
    quietOthersOnStandardError();
    // A file that another thread holds open cannot be removed on every system; the thread that
    // holds it is on its way to the next safe point, where it lets go, so it is tried again.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        bool left = false;
        for (const auto& [key, path] : shared.paths) {
            std::error_code ignored;
            std::filesystem::remove_all(nativePath(path), ignored);
            left = left || isThere(path);
        }
        if (!left || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!std::exchange(shared.farewellSaid, true))
        writeToStandardError(shared.committed ? shared.afterCommit : shared.beforeCommit);
    endProgramNow(exitStatusAfterStop());
}
