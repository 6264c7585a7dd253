#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/CompareEnv.h"
#include "model/TreeScan.h"

#include <QString>

class CCompare;
class ErrorHandler;
struct CompareResults;

// The walk's filters for the run's settings.
TreeFilters MakeTreeFilters(const CCompare& compare);

// Whether the two subtrees hold the same files (by the run's method and time allowances). When they do
// not, and the run was not cancelled, one CSubFolderDiffs named after the left folder is added to
// results. Failures are reported with "modParvex.AreFoldersIdentical" and answer false.
// A folder of either subtree that cannot be listed goes to the error log, and the files below it on the
// other side are left out: taken for orphans they would invite a synchronisation to delete or overwrite
// them. Such a pair is never identical.
// totals (optional, two of them: left and right) receive each subtree's total size from the walks, and
// are left as they were unless both walks ended whole.
bool AreFoldersIdentical(CompareEnv& env, const QString& leftPath, const QString& rightPath,
                         const TreeFilters& filters, SubFolderDiffsList& results, TreeTotal* totals = nullptr);

// Compares every immediate sub-folder of the two scanned folders: appends one row pair per sub-folder
// name to the hold lists (identical, different or orphan folder, with the folder's total size) and
// fills results.allSubFolderDiffs. Answers false when the run was cancelled.
bool CompareAllSubFolders(CompareEnv& env, CompareResults& results);

// Drops the sub-folder differences of the previous run.
void CleanupPreviousSubFolderResults(ErrorHandler& errors, SubFolderDiffsList& diffs);
