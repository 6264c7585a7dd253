#pragma once

#include "platform/FileOps.h"
#include "sync/SyncJournal.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Taking back a synchronisation from its journal, in reverse order: the objects it created are sent to the
// trash where they are still what the run made (same inode, size and modification time; a folder: empty
// once what the run put in it is gone), the objects it replaced or deleted come back from the trash under
// their own names with their own modes and times, renames are renamed back, and the modes and times it
// gave to objects and folders are given back (folders last, once nothing more changes in them). An object
// changed since the run is left alone and named, as is a kept object whose trash entry is gone. The undo
// is itself a run of the journal, and the run it undid is marked.

struct UndoStep
{
    enum class Action {
        RemoveCreated, // to the trash: path, when it still is identity
        RemoveFolder,  // a folder the run made: to the trash when empty
        RestoreKept,   // from place back to path
        ForgetLink,    // a replacement killed before its swap: the trash entry is a second name of path
        RenameBack,    // from (the run's new name) back to path
        RestoreMode,   // path gets identity's mode and times again
    };
    Action action = Action::RemoveCreated;
    QString path;
    QString from;
    FileOps::Identity identity;
    FileOps::TrashPlace place;
};

// An object undo leaves as it is: changed since the run (changed) or gone from the trash (not changed).
struct UndoLeft
{
    QString path;
    QString why;
    bool changed = true;
};

struct UndoPlan
{
    qint64 run = 0;
    std::vector<UndoStep> steps;
    std::vector<UndoLeft> left;
    // Why there is nothing to undo, or the journal cannot be read ("There is no synchronization to undo.").
    QString problem;
};

// The plan that undoes run (0: the last run not yet undone), as the folders stand now.
UndoPlan PlanUndo(SyncJournal& journal, qint64 run = 0);

// The word that names a step where undo lists it: "remove", "restore", "rename", "mode" or "forget".
QString UndoStepWord(UndoStep::Action action);

struct UndoOutcome
{
    qint64 undoRun = 0; // the journal's run of this undo
    bool cancelled = false;
    std::vector<UndoLeft> left;          // the plan's, and those found changed while undoing
    std::vector<std::pair<UndoStep, FileOps::Result>> failures;
    int done = 0;
};

using UndoObserver = std::function<void(const UndoStep& step, const FileOps::Result& result)>;

// Carries out the plan through FileOps (everything it removes goes to the trash, so an undo can be taken
// back by hand) and records it in the journal.
UndoOutcome CarryOutUndo(SyncJournal& journal, const UndoPlan& plan, const FileOps::Control& control,
                         const UndoObserver& observer = {});

// The caption of the undo command and of its confirmation.
inline QString UndoLastSyncCaption() { return QStringLiteral("Undo Last Synchronization"); }
