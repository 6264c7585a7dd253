#pragma once

#include <functional>

// How a child ended that was to be killed half way through its work.
struct KilledChild
{
    bool reachedStop = false; // body called stop before it ended
    bool killed = false;      // the child ended by SIGKILL, not on its own
};

// Runs body in a forked child and kills it with SIGKILL at the moment body calls stop, the way a crash
// or a power cut ends a run half way: the child blocks inside stop until it is killed, so what is on
// disk at that moment is exactly what the test then looks at.
KilledChild KillChildAtStop(const std::function<void(const std::function<void()>& stop)>& body);
