#pragma once

#include "compare/CSubFolderDiffs.h"
#include "compare/ResultList.h"
#include "model/Filters.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class CCompare;
class CDir;
class CFile;
class CompareProgressView;
class ContentComparer;
class ErrorHandler;
class EventPump;
struct CompareResults;
struct CompareServices;

// What the steps of a comparison run share: the process-wide objects, the progress view and the pump
// that lets events run. All of it belongs to the window thread.
struct CompareEnv
{
    const CompareServices& services;
    CompareProgressView& view;
    EventPump& pump;
    // Reads contents under the content methods; one per run, so its buffers serve every file.
    ContentComparer& comparer;
    // Whether the two sides of a step may be read at the same time on two threads.
    bool parallel = true;
};

// The file filters of a sub-folder walk: folder patterns play no part below the compared folders, so the
// include list keeps only file patterns ("*" when none is left) and the exclude list likewise.
struct TreeFilters
{
    bool noFilters = true;
    FilterSet include;
    FilterSet exclude;
    bool excludeSystemFiles = false;
    bool excludeHiddenFiles = false;
    bool excludeSystemFolders = false;
    bool excludeHiddenFolders = false;
};
TreeFilters MakeTreeFilters(const CCompare& compare);

// How one pair of files present on both sides compares: both categories (Newer/Older, Same, Binary).
// Objects of different kinds (a file, a special file, a link object) are Binary on both sides. Two link
// objects are Same when their target texts are equal, else Binary. Reads contents only under a content
// method, only for equal sizes, and never for special files, which are judged by size and time stamp.
// contentsDiffer, when given, is the answer of a content read already made for this pair, and is used
// instead of reading again. The files
// are leftBase + left's name and rightBase + right's name; the paths are built only when contents are read.
std::pair<Category, Category> ClassifyFilePair(CompareEnv& env, const CFile& left, const CFile& right,
                                               const QString& leftBase, const QString& rightBase,
                                               std::optional<bool> contentsDiffer = std::nullopt);

// Adds every file below path, at any depth, to dir's Files, keyed by prefix + "/" + the path below
// path (the bare relative path when prefix is empty). Depth first in listing order. A symbolic link to
// a folder is never followed: it is an entry of its own (CFile::IsLinkObject), as is a dangling link.
// showFolder (optional) hears each folder as it is entered; cancel is tested before every entry. Safe on a worker thread when showFolder is. Failures are passed to the caller, apart from
// folders that cannot be listed: those are added to unreadable (when given) and passed over.
struct UnreadableFolder
{
    QString key;  // as the folder's files would be keyed ("" for path itself)
    QString path; // the folder
    int error = 0; // errno
};
// The total size of a folder as the helper library's GetFolderSize counts it (every file below it,
// whatever the filters; a link to a file as its target, a dangling link as nothing; never through a link
// to a folder), gathered by the walk that reads the folder for a comparison. uncounted lists folders the
// walk passed over (hidden ones, when those are excluded) whose sizes still belong to the total.
// Folders whose names are not valid UTF-8 cannot be reached again by name and are left out.
struct TreeTotal
{
    qint64 bytes = 0;
    QStringList uncounted;
};

// total (optional) is added to as described for TreeTotal.
void PopulateDirTree(CDir& dir, const QString& path, const QString& prefix, const TreeFilters& filters,
                     const std::atomic<bool>* cancel, const std::function<void(const QString&)>& showFolder = {},
                     std::vector<UnreadableFolder>* unreadable = nullptr, TreeTotal* total = nullptr);

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

// Runs left and right at the same time on two threads while the calling (window) thread lets events
// run and calls tick about every 20 ms. A failure thrown by either side is thrown again here after both
// have ended.
void RunSideBySide(const std::function<void()>& left, const std::function<void()>& right, EventPump& pump,
                   const std::function<void()>& tick = {});
