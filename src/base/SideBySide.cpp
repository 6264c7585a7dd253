#include "base/SideBySide.h"

#include "base/ProgressSink.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

void RunSideBySide(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                   const std::function<void()>& tick)
{
    std::mutex mutex;
    std::condition_variable done;
    int finished = 0;
    std::exception_ptr failures[2];
    auto run = [&](const std::function<void()>& work, int side) {
        try {
            work();
        } catch (...) {
            failures[side] = std::current_exception();
        }
        std::lock_guard lock(mutex);
        ++finished;
        done.notify_one();
    };
    std::thread leftThread(run, std::cref(left), 0);
    std::thread rightThread(run, std::cref(right), 1);
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (done.wait_for(lock, std::chrono::milliseconds(20), [&] { return finished == 2; }))
                break;
        }
        pump.Pump();
        if (tick)
            tick();
    }
    leftThread.join();
    rightThread.join();
    if (tick)
        tick();
    for (const std::exception_ptr& f : failures) {
        if (f)
            std::rethrow_exception(f);
    }
}
