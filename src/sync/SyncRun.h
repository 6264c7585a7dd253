#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"
#include "platform/FileOps.h"
#include "sync/CSyncSettings.h"
#include "sync/SyncPlan.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

class ParvexLib;

// A synchronisation of one comparison: the plan (every operation, in the order it is carried out) and
// carrying it out. The window and the headless command run the same plan through the same code; they
// differ only in how they ask, show progress and report.
//
// The order is fixed: deletes on the left, deletes on the right, copies from left to right, copies from
// right to left (rows of the two lists), then the differing sub-folders one by one, each again deletes
// left, deletes right, copies to the right, copies to the left. Deleted rows go to the trash; files inside
// a differing sub-folder are deleted for good, as the methods that delete them ask.

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
};

struct SyncStep
{
    enum class Action { DeleteLeft, DeleteRight, CopyToRight, CopyToLeft };

    Action action;
    // The row as the headless command names it: "a.txt", "/Docs", or a file of a differing sub-folder as
    // "Docs/Old/b.txt"; each in the spelling of the side it is taken from.
    QString text;
    // The object deleted, or the source of a copy.
    QString source;
    // A copy's full target path: the counterpart's own name where there is one, never the other side's
    // spelling of it.
    QString target;
    Category category = Category::None;
    bool inSubFolder = false;
    // A file of a differing sub-folder: its position in the sub-folder's two arrays (from 0), so that a
    // window showing those arrays can follow what the run did to each entry.
    int entry = -1;
    // A copy: the bytes it writes, and the bytes of the object it replaces (0 when there is none).
    qint64 bytes = 0;
    qint64 replaced = 0;

    bool IsDelete() const { return action == Action::DeleteLeft || action == Action::DeleteRight; }
    bool OnLeft() const { return action == Action::DeleteLeft || action == Action::CopyToRight; }
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

// "delete-left", "delete-right", "copy-to-right", "copy-to-left".
QString ActionWord(SyncStep::Action action);

// The deletions of a sub-folder that could not be read completely are left out of the plan (its copies
// stay); withheld, when given, receives the names of such sub-folders.
std::vector<SyncStep> PlanSync(const SyncInput& input, QStringList* withheld = nullptr);

struct SyncReport
{
    // Stopped by the user's cancel.
    bool cancelled = false;
    // Stopped by a failed copy of a row: the steps after it were skipped.
    bool stopped = false;
    int failures = 0;
    int done = 0;
};

// Hears each step as it ends: result.ok() for success; otherwise the failure (result.error and errorText).
using SyncStepObserver = std::function<void(const SyncStep& step, const FileOps::Result& result)>;

// Carries out the plan. A failed copy of a row stops the run (what was done stays done); a row the trash
// refuses, and a failure inside a sub-folder, are reported and the run goes on with the next step. The
// cancel flag of control is tested between files (and between chunks of a large one): the current file is
// finished or rolled back, never left half.
SyncReport CarryOutSync(const std::vector<SyncStep>& plan, const FileOps::Control& control,
                        const SyncStepObserver& observer = {});

// What each side receives from the copies of the plan, less what they replace.
SyncBytes BytesOfPlan(const std::vector<SyncStep>& plan);

// The question when a synchronisation may not fit: "There may not be enough space available on drive ..."
// with the sizes, ending in "Press OK to continue with the synchronization, or Cancel to abort.".
QString LowDiskSpaceText(const ParvexLib& lib, const SpaceCheck& check);
QString LowDiskSpaceTitle();
