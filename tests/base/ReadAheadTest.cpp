// The read-ahead protocol, driven step by step: the work on each file waits at a gate that the
// test opens, so which file the second thread is on is known rather than hoped for.
#include "base/ReadAhead.h"

#include "support/TreeBuilder.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {
class Gates {
public:
    // The work of a plan: notes that it began on the file, then waits for its gate.
    std::optional<std::string> work(const QString& path) {
        std::unique_lock lock(m_mutex);
        m_begun.insert(path);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_open.count(path) > 0; });
        return QFileInfo(path).fileName().toStdString();
    }
    void open(const QString& path) {
        std::lock_guard lock(m_mutex);
        m_open.insert(path);
        m_changed.notify_all();
    }
    void waitUntilBegun(const QString& path) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_begun.count(path) > 0; });
    }
    bool begun(const QString& path) {
        std::lock_guard lock(m_mutex);
        return m_begun.count(path) > 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<QString> m_begun;
    std::set<QString> m_open;
};

struct Files {
    explicit Files(int count) {
        for (int i = 0; i < count; ++i)
            paths << writeFile(folder.filePath(QString("f%1.xml").arg(i)), "<r/>");
    }
    QTemporaryDir folder;
    QStringList paths;
};

ReadAhead<std::string>::Plan planOf(Gates& gates) {
    ReadAhead<std::string>::Plan plan;
    plan.takes = [](int) { return true; };
    plan.work = [&gates](const QString& path) { return gates.work(path); };
    return plan;
}
} // namespace

TEST(ReadAhead, AFileUnderWayIsWaitedForOneNotBegunIsTheCallersAndOnePassedIsLetGo) {
    Files files(4);
    const QStringList& f = files.paths;
    Gates gates;
    ReadAhead<std::string>::Plan plan = planOf(gates);
    plan.filesAhead = 1;
    ReadAhead<std::string> ahead(f, plan);

    gates.waitUntilBegun(f[0]);
    gates.open(f[0]);
    EXPECT_EQ(ahead.take(0), "f0.xml");

    // The second thread is held on the second file; the caller passes it over, and the third,
    // which the second thread may not begin yet, is the caller's at once.
    gates.waitUntilBegun(f[1]);
    EXPECT_EQ(ahead.take(2), std::nullopt);
    gates.open(f[1]);
    gates.open(f[3]);
    gates.waitUntilBegun(f[3]);
    EXPECT_EQ(ahead.take(3), "f3.xml");
    EXPECT_FALSE(gates.begun(f[2]));
    // What was taken or passed over is never given again.
    EXPECT_EQ(ahead.take(1), std::nullopt);
    EXPECT_EQ(ahead.take(3), std::nullopt);
    EXPECT_EQ(ahead.take(4), std::nullopt);
}

TEST(ReadAhead, TheCallerCanWaitForItsShareAndWhatIsHeldLimitsHowFarTheThreadRuns) {
    Files files(4);
    const QStringList& f = files.paths;
    Gates gates;
    for (const QString& path : f)
        gates.open(path);
    ReadAhead<std::string>::Plan plan = planOf(gates);
    plan.takes = [](int index) { return index % 2 == 1; };
    plan.sizeOf = [](const std::string&) { return std::size_t{1}; };
    plan.bytesAhead = 1;
    plan.waitForUnbegun = true;
    ReadAhead<std::string> ahead(f, plan);

    EXPECT_EQ(ahead.take(0), std::nullopt);
    gates.waitUntilBegun(f[1]);
    // One result held is all it may hold, so the fourth file waits for the second's taking.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(gates.begun(f[3]));
    EXPECT_EQ(ahead.take(1), "f1.xml");
    EXPECT_EQ(ahead.take(2), std::nullopt);
    EXPECT_EQ(ahead.take(3), "f3.xml");
}

TEST(ReadAhead, AFileChangedOrNotSmallAndRegularIsTheCallersAndLeavingEndsTheThread) {
    Files files(3);
    const QStringList& f = files.paths;
    writeFile(f[1], QByteArray(64, ' '));
    Gates gates;
    for (const QString& path : f)
        gates.open(path);
    ReadAhead<std::string>::Plan plan = planOf(gates);
    plan.largestFile = 32;
    plan.waitForUnbegun = true;
    {
        ReadAhead<std::string> ahead(f, plan);
        gates.waitUntilBegun(f[0]);
        writeFile(f[0], "<changed/>");
        EXPECT_EQ(ahead.take(0), std::nullopt);
        EXPECT_EQ(ahead.take(1), std::nullopt);
        EXPECT_FALSE(gates.begun(f[1]));
    }
    // Left while the second thread waits for the caller to come closer: it ends at once.
    Gates others;
    for (const QString& path : f)
        others.open(path);
    ReadAhead<std::string>::Plan waiting = planOf(others);
    waiting.filesAhead = 1;
    ReadAhead<std::string> left(f, waiting);
    others.waitUntilBegun(f[0]);
}
