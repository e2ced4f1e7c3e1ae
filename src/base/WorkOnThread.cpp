#include "base/WorkOnThread.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

void runWhileWaiting(const std::function<void()>& work, const std::function<void()>& meanwhile) {
    std::exception_ptr failure;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> guard(lock);
        done = true;
        ended.notify_one();
    });
    std::exception_ptr interrupted;
    for (;;) {
        {
            // Woken as soon as the work ends: a run makes this call once for every file.
            std::unique_lock<std::mutex> waiting(lock);
            if (ended.wait_for(waiting, std::chrono::milliseconds(5), [&] { return done; }))
                break;
        }
        if (interrupted)
            continue;
        try {
            meanwhile();
        } catch (...) {
            interrupted = std::current_exception();
        }
    }
    worker.join();
    if (interrupted)
        std::rethrow_exception(interrupted);
    if (failure)
        std::rethrow_exception(failure);
}
