#pragma once

#include "base/Failure.h"

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

class EventPump;
class ProgressSink;

// What a folder scan may touch besides its own CDir. Every member is optional.
//
// A scan is a pure function of a folder and its filters, so the two sides of a comparison can be scanned
// on two threads at once. On a worker thread leave progress and pump empty (or give thread-safe ones),
// share the cancel flag, and give failure: the scan then stores its failure there instead of showing the
// unexpected-error message, and the caller reports it on the window thread with
// ErrorHandler::Report(*failure, "CDir.PopulateSelfWithFiles"). Without failure the scan reports it itself,
// which is only allowed on the window thread.
struct ScanContext
{
    // Range 0..N (N = non-folder entries of the folder) and the count of files passed so far.
    ProgressSink* progress = nullptr;
    // Pumped once per file entry; cancel is tested right after.
    EventPump* pump = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    // Set (never cleared) when listing the folder took over 10 s for fewer than 750 files.
    std::atomic<bool>* slowConnectionDetected = nullptr;
    // Receives "No Filters" or "Filters", the text of the status bar's filter panel.
    QString* filterStatus = nullptr;
    // Receives the first failure instead of the unexpected-error message (see above).
    std::optional<Failure>* failure = nullptr;
    // Milliseconds of a monotonic clock; a test can make time pass without sleeping.
    std::function<qint64()> clockMs;
};

// How a scan ended.
struct ScanResult
{
    // The scan stopped because the cancel flag was set; the files found so far stay.
    bool cancelled = false;
    // The folder could not be listed at all (errno, 0 when it could). The CDir is then empty: callers must
    // not take it for an empty folder, which would make every file of the other side an orphan.
    int listError = 0;
    // A failure ended the scan (it was reported, or stored in ScanContext::failure).
    bool failed = false;
    // N: entries of the folder that are not folders (symbolic links counted among them).
    qint64 fileEntries = 0;
    qint64 elapsedMs = 0;
};
