#pragma once

#include <functional>

// Runs `work` on a thread of its own and calls `meanwhile` on the calling thread every few
// milliseconds until it is over, so that a window's events keep running during one long call
// that cannot stop to let them. `work` must touch nothing that `meanwhile` may touch. Raises what
// `work` raised. What `meanwhile` raises (the window closed, a stop asked for) ends its calls and
// is raised once `work` is over, since the work may still be using what the caller holds.
void runWhileWaiting(const std::function<void()>& work, const std::function<void()>& meanwhile);
