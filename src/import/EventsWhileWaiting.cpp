#include "import/EventsWhileWaiting.h"

#include "base/WorkOnThread.h"
#include "import/ImportSurface.h"

void runWhileEventsRun(ImportSurface& surface, const std::function<void()>& work) {
    runWhileWaiting(work, [&] { surface.processEvents(); });
}
