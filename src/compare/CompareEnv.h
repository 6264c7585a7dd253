#pragma once

class CompareProgressView;
class ContentComparer;
class EventPump;
class SideBySideThreads;
struct CompareServices;

// What the steps of a comparison run share: the process-wide objects, the progress view and the pump
// that lets events run. All of it belongs to the window thread.
struct CompareEnv
{
    const CompareServices& services;
    CompareProgressView& view;
    EventPump& pump;
    // Reads contents under the content methods; one per run, so its buffers serve every file.
    ContentComparer& comparer;
    // Whether the two sides of a step may be read at the same time on two threads.
    bool parallel = true;
    // The two threads that read ahead, kept for the whole run; none: each step starts its own.
    SideBySideThreads* readers = nullptr;
};
