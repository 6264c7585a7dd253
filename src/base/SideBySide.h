#pragma once

#include <functional>

class EventPump;

// Runs left and right at the same time on two threads while the calling (window) thread lets events
// run and calls tick about every 20 ms. A failure thrown by either side is thrown again here after both
// have ended.
void RunSideBySide(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                   const std::function<void()>& tick = {});
