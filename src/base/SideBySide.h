#pragma once

#include <functional>
#include <memory>

class EventPump;

// Runs left and right at the same time on two threads while the calling (window) thread lets events
// run and calls tick about every 20 ms. A failure thrown by either side is thrown again here after both
// have ended.
void RunSideBySide(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                   const std::function<void()>& tick = {});

// RunSideBySide with two threads kept for many calls: a comparison reads ahead once per folder pair, and
// thousands of folders would otherwise start and end thousands of threads. The threads start at the first
// call and end with the object.
class SideBySideThreads final
{
public:
    SideBySideThreads();
    ~SideBySideThreads();
    SideBySideThreads(const SideBySideThreads&) = delete;
    SideBySideThreads& operator=(const SideBySideThreads&) = delete;

    void Run(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
             const std::function<void()>& tick = {});

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
