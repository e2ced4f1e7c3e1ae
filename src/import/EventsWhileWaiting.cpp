#include "import/EventsWhileWaiting.h"

#include "import/ImportSurface.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

void runWhileEventsRun(ImportSurface& surface, const std::function<void()>& work) {
    std::exception_ptr failure;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });
    std::exception_ptr interrupted;
    while (!done && !interrupted) {
        try {
            surface.processEvents();
        } catch (...) {
            interrupted = std::current_exception();
        }
        // Often enough for the window to paint, seldom enough to leave the work the processor.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    if (interrupted)
        std::rethrow_exception(interrupted);
    if (failure)
        std::rethrow_exception(failure);
}
