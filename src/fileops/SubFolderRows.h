#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"
#include "fileops/RowOperations.h"
#include "sync/SyncRun.h"

#include <QString>
#include <vector>

// The differences of one sub-folder as two row-aligned result lists, and the file commands on them. A
// row's text is the file's path below the sub-folder ("Old/b.txt") in the spelling of its own side; an
// empty row stands where a side has no such file. The rows follow what each command did, so the lists
// always show the folders as they now are, without a scan.
struct SubFolderRows
{
    ResultList left;
    ResultList right;
    // The sub-folder on each side in that side's own spelling, with a trailing "/".
    QString leftFolder;
    QString rightFolder;
    QString name;       // as the left side spells it
    QString targetName; // as the right side spells it
    // Part of the sub-folder could not be read: nothing may be deleted on account of what was not seen.
    bool incomplete = false;
};

// The rows of diffs, below the compared folders leftParent and rightParent.
SubFolderRows MakeSubFolderRows(const CSubFolderDiffs& diffs, const QString& leftParent, const QString& rightParent);

// The differences as the rows stand now. only, when given, limits them to those rows (both sides of
// each); rowOf receives the row of each entry.
CSubFolderDiffs DiffsOfRows(const SubFolderRows& rows, const RowIndexes* only, std::vector<int>& rowOf);

// What a finished operation makes of a row pair. target is the full path the copy or move went to.
void MarkCopied(SubFolderRows& rows, bool fromLeft, int row, const QString& target);
void MarkMoved(SubFolderRows& rows, bool fromLeft, int row, const QString& target);
void MarkDeleted(SubFolderRows& rows, bool onLeft, int row);
// A step of a synchronisation run over DiffsOfRows (rowOf as it gave it) that succeeded.
void MarkSyncStep(SubFolderRows& rows, const std::vector<int>& rowOf, const SyncStep& step);

// Reads each row's file again (after a file was changed elsewhere): a file that is gone leaves an empty
// row, its counterpart becomes an orphan; two files of equal size and time stamp become "Same".
// Answers whether a row changed.
bool RefreshSubFolderRows(SubFolderRows& rows);

enum class SubFolderOp { Copy, Move, Delete, Trash };

// Copies, moves, deletes or trashes the files of the selected rows of one side (fromLeft) with the
// window's questions and messages, then updates the rows of what was done. A copy or move goes to the
// counterpart under its own name, or, without one, below the folders the other side already has,
// creating the missing ones first.
Outcome RunSubFolderOp(const RowOpServices& services, SubFolderRows& rows, SubFolderOp op, bool fromLeft,
                       const RowIndexes& selected, bool confirm);
