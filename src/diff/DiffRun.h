#pragma once

#include "base/Failure.h"
#include "base/UserDialogs.h"
#include "diff/DiffAlignment.h"
#include "diff/DiffTextFile.h"

#include <QString>
#include <atomic>
#include <optional>

class EventPump;
class LineDiffEngine;
class ProgressSink;

struct DiffRequest
{
    QString fileOne;
    QString fileTwo;
    bool ignoreCase = false;
    bool ignoreWhiteSpace = false;
    int32_t format = 0; // 0 visual, 1 unix
};

struct DiffMessage
{
    QString text;
    QString title;
    UserDialogs::Icon icon = UserDialogs::Icon::Information;
};

// One differences run: diff, then (for the visual format) both files read and aligned. The window and
// parvexcmd show what it answers.
struct DiffRunResult
{
    enum class Outcome {
        Identical,   // nothing to show: the message says so
        Binary,      // nothing to show: the files are not text
        Trouble,     // nothing to show: diff's own message
        NotComputed, // nothing to show: diff could not be run or stopped abnormally
        Cancelled,   // the user stopped it: nothing to show, nothing to say
        Unix,        // show the engine's output lines
        Visual,      // show the two aligned files
    };
    Outcome outcome = Outcome::NotComputed;
    int32_t code = -1; // the engine's result
    // Shown before the window opens (or instead of it).
    std::optional<DiffMessage> message;
    DiffTextFile left;
    DiffTextFile right;
    DiffAlignment alignment;
    // A file that could not be read while loading; the rows read so far stay.
    std::optional<Failure> loadFailure;

    bool ShowsWindow() const { return outcome == Outcome::Unix || outcome == Outcome::Visual; }
};

struct DiffRunControl
{
    EventPump* pump = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    ProgressSink* sink = nullptr;
};

DiffRunResult RunFileDiffs(const DiffRequest& request, LineDiffEngine& engine, const DiffRunControl& control = {});

// The help topic (an anchor of the help file) of the differences window, and its heading there, which
// the message about binary files names.
inline QString DiffHelpTopic() { return QStringLiteral("view-file-differences"); }
inline QString DiffHelpTopicTitle() { return QStringLiteral("View File Differences"); }
// The message for two files that differ but are not text.
DiffMessage BinaryFilesMessage();
// The message for output that does not fit the files, or a run that never finished.
DiffMessage NotComputedMessage();
// Whether diff's first output line says the two files are binary.
bool IsBinaryFilesLine(const QString& line, const QString& fileOne, const QString& fileTwo);
