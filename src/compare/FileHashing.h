#pragma once

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdint>

class EventPump;
class ProgressSink;

// What a whole-file hash (CRC-32 or SHA-1 of a file) needs from its caller: the chunk size, the point
// where pending events run, the cancel flag read after each poll, and the bar that shows the percentage
// (0 to 100). Any pointer may be null.
struct FileHashContext
{
    int32_t chunkSize = 0; // <= 0 means the default of 500000
    EventPump* pump = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    ProgressSink* bar = nullptr;
};

// The chunk size the content routines use for a configured value: the value, or 500000 when it is not
// positive (a zero chunk would never advance).
int32_t EffectiveChunkSize(int32_t configured);
