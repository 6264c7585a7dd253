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

    // Run in two halves, so that the calling thread can do other work while the two sides run: Start hands
    // them to the threads and returns at once; Wait lets events run until both have ended and throws a
    // failure of either again. Every Start is followed by one Wait before the next Start. left and right
    // (and what they use) must live until Wait returns, and until the object ends if Wait is never called:
    // the object waits for work under way when it ends.
    void Start(const std::function<void()>& left, const std::function<void()>& right);
    void Wait(EventPump& pump, const std::function<void()>& tick = {});
    // Whether a Start has not been waited for yet.
    bool Started() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
