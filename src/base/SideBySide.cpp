#include "base/SideBySide.h"

#include "base/ProgressSink.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

struct SideBySideThreads::Impl
{
    std::mutex mutex;
    std::condition_variable wake; // a worker has work, or the object ends
    std::condition_variable done; // a worker finished its work
    const std::function<void()>* work[2] = {nullptr, nullptr};
    std::exception_ptr failures[2];
    int finished = 0;
    bool ending = false;
    bool busy = false; // a call is under way (only the calling thread looks)
    std::thread threads[2];

    void Serve(int side)
    {
        for (;;) {
            const std::function<void()>* job = nullptr;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [&] { return ending || work[side] != nullptr; });
                if (work[side] == nullptr)
                    return;
                job = work[side];
            }
            std::exception_ptr failure;
            try {
                (*job)();
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(mutex);
            work[side] = nullptr;
            failures[side] = failure;
            ++finished;
            done.notify_one();
        }
    }
};

SideBySideThreads::SideBySideThreads() : m_impl(std::make_unique<Impl>()) {}

SideBySideThreads::~SideBySideThreads()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->ending = true;
    }
    m_impl->wake.notify_all();
    for (std::thread& thread : m_impl->threads)
        if (thread.joinable())
            thread.join();
}

void SideBySideThreads::Run(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                            const std::function<void()>& tick)
{
    Impl& d = *m_impl;
    // A call from an event the pump let run while a call is under way gets threads of its own.
    if (d.busy) {
        RunSideBySide(left, right, pump, tick);
        return;
    }
    struct Busy
    {
        bool& flag;
        explicit Busy(bool& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
    } busy(d.busy);
    for (int side : {0, 1})
        if (!d.threads[side].joinable())
            d.threads[side] = std::thread([&d, side] { d.Serve(side); });
    {
        std::lock_guard lock(d.mutex);
        d.work[0] = &left;
        d.work[1] = &right;
        d.failures[0] = d.failures[1] = nullptr;
        d.finished = 0;
    }
    d.wake.notify_all();
    try {
        for (;;) {
            {
                std::unique_lock lock(d.mutex);
                if (d.done.wait_for(lock, std::chrono::milliseconds(20), [&] { return d.finished == 2; }))
                    break;
            }
            pump.Pump();
            if (tick)
                tick();
        }
    } catch (...) {
        // The work still holds the caller's objects: it ends before they do.
        std::unique_lock lock(d.mutex);
        d.done.wait(lock, [&] { return d.finished == 2; });
        throw;
    }
    if (tick)
        tick();
    for (const std::exception_ptr& f : d.failures)
        if (f)
            std::rethrow_exception(f);
}

void RunSideBySide(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                   const std::function<void()>& tick)
{
    SideBySideThreads threads;
    threads.Run(left, right, pump, tick);
}
