#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"
#include "model/TreeScan.h"
#include "platform/FileOps.h"
#include "sync/CSyncSettings.h"
#include "sync/SyncPlan.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

class ParvexLib;
class SyncJournal;

// A synchronisation of one comparison: the plan (every operation, in the order it is carried out) and
// carrying it out. The window and the headless command run the same plan through the same code; they
// differ only in how they ask, show progress and report.
//
// The order is fixed: deletes on the left, deletes on the right, copies from left to right, copies from
// right to left (rows of the two lists), then the differing sub-folders one by one, each again deletes
// left, deletes right (files first, then the folders they leave empty, deepest first), copies to the
// right, copies to the left; last, for a mirror, the permission bits of equal objects and the spelling of
// counterparts that differ only in case (deepest first). Deleted rows go to the trash; files inside a
// differing sub-folder are deleted for good, as the methods that delete them ask.
//
// A mirror ("Make Right Same As Left" and its twin, and custom rules that copy every difference one way
// and delete the other side's orphans) leaves the target as the source: names in the source's spelling,
// permission bits, and the modes and times of every folder it wrote into, set after its contents. Other
// methods give the folders they make the source's modes and times.

struct SyncInput
{
    const ResultList& left;
    const ResultList& right;
    QString leftFolder;  // the compared folders, with a trailing "/"
    QString rightFolder;
    const SubFolderDiffsList& subFolders;
    CSyncSettings::Rules rules;
    // Rows (positions in the lists) a selected-only synchronisation is limited to; none for all.
    const RowIndexes* selectedOnly = nullptr;
    // The comparison's filters: a folder to delete that holds objects they leave out keeps those (and so
    // itself). None: nothing was left out.
    const TreeFilters* filters = nullptr;
    // The rule "follow the deletion" (CSyncSettings::FollowDeletions): a row the other side deleted since
    // the last synchronization (RowNote DeletedOnLeft/Right) is deleted on its side instead of following
    // its category's rule, and a pair in conflict is left as it is on both sides.
    bool followDeletions = false;
};

// The side a mirror copies from (CSyncSettings::Left or Right), or -1 when the rules are no mirror.
int MirrorSource(const CSyncSettings::Rules& rules);

struct SyncStep
{
    enum class Action {
        DeleteLeft, DeleteRight, CopyToRight, CopyToLeft, ModeToRight, ModeToLeft, RenameLeft, RenameRight,
        // An object the other side has under a new name: renamed there on this side (source the old path,
        // target the new one), instead of a copy of the new name and a deletion of the old.
        MoveLeft, MoveRight,
    };

    Action action;
    // The row as the headless command names it: "a.txt", "/Docs", or a file of a differing sub-folder as
    // "Docs/Old/b.txt"; each in the spelling of the side it is taken from.
    QString text;
    // The object deleted, the source of a copy or of a mode, or the object renamed.
    QString source;
    // A copy's full target path: the counterpart's own name where there is one, never the other side's
    // spelling of it. A mode: the object that takes it. A rename: the new path.
    QString target;
    Category category = Category::None;
    bool inSubFolder = false;
    // A file of a differing sub-folder: its position in the sub-folder's two arrays (from 0), so that a
    // window showing those arrays can follow what the run did to each entry.
    int entry = -1;
    // A copy: the bytes it writes, and the bytes of the object it replaces (0 when there is none).
    qint64 bytes = 0;
    qint64 replaced = 0;
    // A folder to delete that holds objects the filters left out: only what they let through goes (a
    // folder inside a differing sub-folder is then left alone, its files having steps of their own).
    bool keepExcluded = false;
    // Such a folder row's objects that do go: those the filters let through, a sub-folder whole where
    // nothing below it was left out.
    QStringList deletable{};
    // The folders the step's paths are below on each side (ending in "/"): the differing sub-folder for a
    // step inside one, else the compared folders.
    QString leftBase{};
    QString rightBase{};
    // Part of a mirror from the left (MirrorSource Left) or from the right.
    bool mirrorFromLeft = false;
    bool mirrorFromRight = false;

    // A move: the new path below the compared folders, as text names it ("Docs/new.txt"), and the object on
    // the other side it follows (the source of the copy it stands for).
    QString movedTo{};
    QString movedFrom{};
    // What the memory of the pair said of the row (a move's old name in noteName).
    RowNote note = RowNote::None;
    QString noteName{};
    // A deletion carried from the other side ("follow the deletion"): it always goes to the trash, also
    // inside a differing sub-folder and whether or not the run keeps what it deletes.
    bool followsDeletion = false;
    // The bytes the row shows (a folder: all it holds), whatever the step does with them.
    qint64 rowSize = 0;

    bool IsMove() const { return action == Action::MoveLeft || action == Action::MoveRight; }
    bool IsDelete() const { return action == Action::DeleteLeft || action == Action::DeleteRight; }
    bool IsCopy() const { return action == Action::CopyToRight || action == Action::CopyToLeft; }
    // The side whose list names the step.
    bool OnLeft() const
    {
        return action == Action::DeleteLeft || action == Action::CopyToRight || action == Action::ModeToRight
               || action == Action::RenameLeft || action == Action::MoveLeft;
    }
    // A folder entry of a differing sub-folder ("Old/Empty/").
    bool IsFolderEntry() const { return inSubFolder && text.endsWith(QLatin1Char('/')); }
};

// Where a file without a counterpart goes below toBase: the folders above it in the spelling the other
// side already has (a folder "Sub" of this side and "sub" of the other are one folder, as the comparison
// paired them), never a second spelling beside the existing one. A folder whose name this side has in
// both spellings keeps its own. Folders seen are listed once per object.
class SubFolderTargets final
{
public:
    // fromBase and toBase end in "/"; relative is the file's path below fromBase ("Old/b.txt").
    QString Target(const QString& fromBase, const QString& toBase, const QString& relative);

private:
    const QStringList& Folders(const QString& folder);
    std::unordered_map<QString, QStringList> m_listed;
};

// "delete-left", "delete-right", "copy-to-right", "copy-to-left", "mode-to-right", "mode-to-left",
// "rename-left", "rename-right", "move-left", "move-right".
QString ActionWord(SyncStep::Action action);

// The deletions of a sub-folder that could not be read completely are left out of the plan (its copies
// stay); withheld, when given, receives the names of such sub-folders. With followDeletions, conflicts
// receives the paths (as a step's text names them) of the pairs left alone because both sides changed.
// A copy of an object to a name the other side lacks and a deletion there of the same object under
// another name become one move on that side, where both are on one file system.
std::vector<SyncStep> PlanSync(const SyncInput& input, QStringList* withheld = nullptr, QStringList* conflicts = nullptr);

struct SyncReport
{
    // Stopped by the user's cancel.
    bool cancelled = false;
    // Stopped by a failed copy of a row: the steps after it were skipped.
    bool stopped = false;
    int failures = 0;
    int done = 0;
    // Objects the run copied (new or replacing), replaced, and deleted (rows, files of sub-folders).
    qint64 copied = 0;
    qint64 replaced = 0;
    qint64 deleted = 0;
};

// Where CarryOutSync records what it does, so that the run can be undone: each step as an intent before it
// starts and done (or failed) after, and every object it creates or displaces the moment it happens. With
// keep, what the run replaces or deletes goes to the trash of its own file system (a file of a differing
// sub-folder too, where the trash takes it; where none does, it is deleted as the method asks, and the
// journal says so), and the modes, times and names it changes are recorded as they were.
struct SyncRecording
{
    SyncJournal* journal = nullptr;
    qint64 run = 0;
    bool keep = false;
};

// Hears each step as it ends: result.ok() for success; otherwise the failure (result.error and errorText).
using SyncStepObserver = std::function<void(const SyncStep& step, const FileOps::Result& result)>;

// Carries out the plan. A failed copy of a row stops the run (what was done stays done); a row the trash
// refuses, a failure inside a sub-folder, and an object a copy left as it was (a special file this system
// will not make, a second name a case-ignoring target folds onto the first) are reported and the run goes
// on with the next step. The cancel flag of control is tested between files (and between chunks of a
// large one): the current file is finished or rolled back, never left half. Below the compared folders no
// link is followed (control.roots is set to them), and the calls share one FileOps::RunMemory. At the end
// the folders the run made (a mirror: every folder it wrote into, and the compared folder itself) get the
// modes and times of their source folders, deepest first.
SyncReport CarryOutSync(const std::vector<SyncStep>& plan, const FileOps::Control& control,
                        const SyncStepObserver& observer = {}, const SyncRecording& recording = {});

// What each side receives from the copies of the plan, less what they replace.
SyncBytes BytesOfPlan(const std::vector<SyncStep>& plan);

// The question when a synchronisation may not fit: "There may not be enough space available on drive ..."
// with the sizes, ending in "Press OK to continue with the synchronization, or Cancel to abort.".
QString LowDiskSpaceText(const ParvexLib& lib, const SpaceCheck& check);
QString LowDiskSpaceTitle();
