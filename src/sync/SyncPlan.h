#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"
#include "sync/CSyncSettings.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

class DriveQueries;
class ErrorHandler;
class UserDialogs;

// What a synchronisation or a copy will write, and whether the receiving drives have room for it.
//
// Rows are always named by their position in their list, never looked up by name: two names of one
// folder that differ only in case (README, Readme) are two rows, and row i of the left list and row i of
// the right list are one pair, whatever each side's spelling.

// Positions in a result list, ascending.
using RowIndexes = std::vector<int>;

// The services the free-space checks use: the messages of a drive that cannot be reached, the handler of
// unexpected failures, and the drive queries.
struct PlanServices
{
    UserDialogs& dialogs;
    ErrorHandler& errors;
    const DriveQueries& drives;
};

// Category flags in the order the selection takes them.
struct SyncCategoryFlags
{
    bool newer = false, older = false, orphan = false, binary = false;
    bool same = false, identicalFolder = false, differentFolder = false, orphanFolder = false;

    bool Any() const
    {
        return newer || older || orphan || binary || same || identicalFolder || differentFolder || orphanFolder;
    }
    bool Has(Category category) const;
};

// The rule category (CSyncSettings::New, Old, Orphan, Binary) of a result category number (1 Newer,
// 2 Older, 4 Orphan, 5 Binary); -1 for the categories no rule names.
int RuleCategoryOf(int category);
// Whether side's rule for a result category number is action.
bool RuleIs(const CSyncSettings::Rules& rules, CSyncSettings::Side side, int category, int32_t action);

// The rows of list whose category flag is set; no flag at all means Newer, Older, Orphan, Binary and
// OrphanFolder. With selectedOnly, only rows at those positions are candidates. Placeholder rows are
// never taken.
RowIndexes SelectFileTypesForSync(const ResultList& list, const RowIndexes* selectedOnly, SyncCategoryFlags flags);

// The four lists of a synchronisation, in the order the planning builds them.
struct SyncLists
{
    RowIndexes copyLeftToRight; // rows of the left list
    RowIndexes deleteFromLeft;  // rows of the left list
    RowIndexes copyRightToLeft; // rows of the right list
    RowIndexes deleteFromRight; // rows of the right list

    bool Empty() const
    {
        return copyLeftToRight.empty() && deleteFromLeft.empty() && copyRightToLeft.empty() && deleteFromRight.empty();
    }
};

// The rows each of the eight rules acts on: for each side, the rows whose category's action is Copy or
// Delete (an OrphanFolder row follows the Orphan rule of its side; Same and folder rows that are identical
// or different never appear here).
SyncLists GetListOfFilesAffectedBySync(const ResultList& left, const ResultList& right, const CSyncSettings::Rules& rules,
                                       const RowIndexes* selectedOnly);

// The row texts at positions of list, in order.
QStringList RowNames(const ResultList& list, const RowIndexes& rows);

// The bytes one differing sub-folder sends from side: for each entry of that side whose category's action
// is Copy, its size minus the size of the entry it replaces. Can be negative.
qint64 GetSizeOfFilesInSubFolderToBeCopiedMinusCompliment(const CSubFolderDiffs& diffs, CSyncSettings::Side side,
                                                          const CSyncSettings::Rules& rules);
// The sum over every differing sub-folder. With selectedOnly, a sub-folder counts only when its folder row
// (in left, the main window's left list) is one of the selected rows.
qint64 GetSizeOfFilesInSubFoldersToBeCopied(const SubFolderDiffsList& all, CSyncSettings::Side side,
                                            const CSyncSettings::Rules& rules, const ResultList& left,
                                            const RowIndexes* selectedOnly);

// The free-space answer when the drive cannot tell: large enough that every check passes.
constexpr qint64 UnknownFreeSpace = 922337203685477;

// The bytes the user may still write on drive; UnknownFreeSpace when the query fails.
qint64 GetAvailableDriveSpace(const DriveQueries& drives, const QString& drive);

// The answer of a free-space check. When enough is false, drive, required and available say which drive
// is short and by how much.
struct SpaceCheck
{
    bool enough = true;
    qint64 required = 0;
    qint64 available = 0;
    QString drive;
    // The check could not reach the receiving folder and has said so already; the caller stops quietly.
    bool reported = false;
};

// The bytes each side of a synchronisation receives: the copies from the other side less the objects they
// replace (negative when the copies are smaller). Deletions are not credited.
struct SyncBytes
{
    qint64 toLeft = 0;
    qint64 toRight = 0;
};

// Whether both folders can take what a synchronisation writes, as the plan counts it. Two folders on one
// drive are checked against one free figure.
SpaceCheck EnoughSpaceForSync(const PlanServices& services, const QString& leftFolder, const QString& rightFolder,
                              const SyncBytes& need);

// The selected rows of a list and the folder they are in.
struct RowSource
{
    const ResultList& rows;
    const RowIndexes& selected;
    QString folder;
};

// Copy to the other list's folder: what needs room is the rows that have no counterpart there.
SpaceCheck EnoughSpaceForCopyLvwToLvw(const PlanServices& services, const RowSource& source, const ResultList& other,
                                      const QString& otherFolder);
// Move to the other list's folder: free when both folders are on one drive.
SpaceCheck EnoughSpaceForMoveLvwToLvw(const PlanServices& services, const RowSource& source, const ResultList& other,
                                      const QString& otherFolder);
// Copy to a chosen folder: the selected rows' sizes less what the objects of the same names already there
// occupy.
SpaceCheck EnoughSpaceForCopyLvwToSpecificDir(const PlanServices& services, const RowSource& source,
                                              const QString& targetFolder);
SpaceCheck EnoughSpaceForMoveLvwToSpecificDir(const PlanServices& services, const RowSource& source,
                                              const QString& targetFolder);
// The bytes the objects named by the selected rows already occupy in targetFolder.
qint64 GetSizeCurrencyOfComplimentFilesInSpecificDir(const DriveQueries& drives, const RowSource& source,
                                                     const QString& targetFolder);

// Objects dropped onto a folder: their names (a folder's with a leading "/") and sizes.
struct DroppedObject
{
    QString name;
    qint64 size = 0;
};
// Whether targetFolder's drive takes the dropped objects, less what their namesakes there occupy. title is
// the operation's ("Copy", "Move") for the message of a drive that cannot be reached.
SpaceCheck EnoughSpaceForDroppedObjects(const PlanServices& services, const std::vector<DroppedObject>& objects,
                                        const QString& targetFolder, const QString& title);
