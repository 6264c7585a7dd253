#pragma once

#include "sync/SyncRun.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <vector>

class DriveQueries;
class ErrorHandler;
class ParvexLib;
class UserDialogs;

// One synchronisation from its plan to its record: the only road along which a synchronisation changes
// the user's folders, whichever window or command started it.
//
// The order is fixed: the plan (deletions in or below a folder that the comparison could not read whole
// are withheld, its copies still run), the confirmation, the free-space check computed from that plan,
// the run, the history record, the completion sound, the final report. A declined confirmation or
// low-space question, and a receiving folder that cannot be reached, end the session before anything is
// changed; no record is written then.

// Stops a run that would delete most of a side before anything changes: more than sharePercent of the
// objects (files, links and special files, inside folders too) of a side that holds at least floor of
// them; or a run whose folders are not on the devices they were on at this pair's last run (an unmounted
// disk leaves its empty mount point). A limit given for the one run (maxCount, or maxPercent of the side)
// replaces both: the run goes ahead when no side loses more than the limit.
struct DeletionGuard
{
    bool on = true;
    int sharePercent = 50;
    qint64 floor = 20;
    qint64 maxCount = -1;
    int maxPercent = -1;
};

struct SyncRequest
{
    explicit SyncRequest(const SyncInput& in) : input(in) {}

    SyncInput input;
    // Ask the front end to confirm the plan before anything is changed.
    bool confirm = true;
    // Play the completion sound at the end of a run that was not cancelled (the front end's sound switch).
    bool sound = false;
    // The history: the folders the record names, where it goes and how many records the file keeps.
    QString historyLeft;
    QString historyRight;
    QString appFolder;
    qint64 historyEntries = 20;
    // The label an unexpected failure is reported under.
    QString errorLabel = QStringLiteral("frmMain.AutoSync()");
    // Keep what the run replaces or deletes in the trash, so that it can be undone.
    bool keepForUndo = true;
    DeletionGuard guard;
    // The method as the journal names the run ("Make Right Same As Left", "Custom", ...).
    QString methodText;
};

struct SyncServices
{
    UserDialogs& dialogs; // messages of a receiving folder that cannot be reached
    ErrorHandler& errors;
    const DriveQueries& drives;
    const ParvexLib& lib;
};

enum class SyncEnd {
    Declined,            // the front end said no to the plan or to the low space: nothing changed
    Guarded,             // the deletion guard stopped it and the front end did not allow it: nothing changed
    Refused,             // a receiving folder could not be reached (already said): nothing changed
    Completed,           // every step succeeded and nothing was withheld
    CompletedWithErrors, // the run went to its end; some steps failed or deletions were withheld
    StoppedByError,      // a failed copy of a row ended the run
    Cancelled,           // the user cancelled
    Unexpected,          // an unexpected failure, reported through the error handler
};

struct SyncFailure
{
    SyncStep step;
    FileOps::Result result;
};

struct SyncOutcome
{
    SyncEnd end = SyncEnd::Declined;
    std::vector<SyncStep> plan;
    std::vector<SyncStep> done;
    std::vector<SyncFailure> failures;
    // The sub-folders whose deletions were left out because the comparison could not read them whole.
    QStringList withheld;
    // False when the history record of the run could not be written (the failure was reported).
    bool recorded = true;
    // Why the deletion guard stopped the run (empty when it did not).
    QString guardReason;
    // Why the journal could not record the run (empty when it did): the run went ahead without it.
    QString journalProblem;
    // The journal's number of the run (0 when not recorded).
    qint64 journalRun = 0;
    // The pairs left as they are because both sides changed them since the last synchronization (paths as
    // a step's text names them).
    QStringList conflicts;
    // Why the memory of the pair could not be written after the run (empty when it was).
    QString memoryProblem;

    // Whether anything may have changed in the folders.
    bool Ran() const { return end != SyncEnd::Declined && end != SyncEnd::Refused && end != SyncEnd::Guarded; }
    // The history's outcome text of a run.
    QString RecordText() const;
};

// What a window or a command does for the session: it answers the questions and shows what happens.
// Every call comes from the thread that called RunSyncSession. ConfirmPlan is called when the request asks
// for a confirmation or the deletion guard stops the plan, and ConfirmLowSpace only when the free space
// looks short; a false
// answer ends the session with nothing changed. RunWork must call work exactly once, with the control
// (cancel flag, event pump, progress) the front end wants the file operations to use, and return when
// it has returned. StepEnded hears each step as it ends; Finished comes once, after the record, for every
// session that ran (not for a declined or refused one).
class SyncFrontEnd
{
public:
    virtual ~SyncFrontEnd() = default;

    // guardReason: why the deletion guard stops the run (empty when it does not); the front end must then
    // ask for an explicit yes, even where it confirms nothing else. A false answer to a guarded plan ends
    // the session as Guarded.
    // conflicts: the pairs the plan leaves alone because both sides changed them.
    virtual bool ConfirmPlan(const std::vector<SyncStep>& plan, const QStringList& withheld,
                             const QString& guardReason, const QStringList& conflicts) = 0;
    // text is the low-space question ("There may not be enough space ...").
    virtual bool ConfirmLowSpace(const SpaceCheck& check, const QString& text) = 0;
    virtual void RunWork(size_t steps, const std::function<void(const FileOps::Control&)>& work) = 0;
    virtual void StepEnded(const SyncStep& step, const FileOps::Result& result, size_t number, size_t total) = 0;
    virtual void PlayCompletionSound() = 0;
    virtual void Finished(const SyncOutcome& outcome) = 0;
};

SyncOutcome RunSyncSession(const SyncRequest& request, const SyncServices& services, SyncFrontEnd& frontEnd);

// Why the guard stops the run, or empty: the text shown in red above the confirmation and written by
// parvexcmd ("This synchronization would delete 30 of the 40 objects on the right ..."). lastDevices: the
// devices of the pair's folders at its last run, when known.
QString DeletionGuardReason(const SyncInput& input, const std::vector<SyncStep>& plan, const DeletionGuard& guard,
                            const std::optional<std::pair<quint64, quint64>>& lastDevices);

// The message that names the sub-folders whose deletions were withheld.
QString WithheldDeletionsText(const QStringList& withheld);
