#pragma once

#include "model/Filters.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

class CDir;

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
    // List every folder below the walked one as an entry of its own (key ending in "/", CFile::IsFolder),
    // so that empty folders and folders found on one side only are seen.
    bool withFolders = false;
};

// Whether the filters leave out anything below path (a file they exclude, a hidden folder passed over),
// or anything below it cannot be read: such a folder may not be deleted whole, since what was left out
// or not seen would go with it.
bool HoldsExcludedObjects(const QString& path, const TreeFilters& filters);

// A folder the walk could not read and passed over.
struct UnreadableFolder
{
    QString key;  // as the folder's files would be keyed ("" for path itself)
    QString path; // the folder
    int error = 0; // errno

    // The step the error log names for it.
    QString LogStep() const;
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

// Adds every file below path, at any depth, to dir's Files, keyed by prefix + "/" + the path below
// path (the bare relative path when prefix is empty). Depth first in listing order. A symbolic link to
// a folder is never followed: it is an entry of its own (CFile::IsLinkObject), as is a dangling link.
// showFolder (optional) hears each folder as it is entered; cancel is tested before every entry. Safe on
// a worker thread when showFolder is. Failures are passed to the caller, apart from folders that cannot
// be listed: those are added to unreadable (when given) and passed over. total (optional) is added to
// as described for TreeTotal.
void PopulateDirTree(CDir& dir, const QString& path, const QString& prefix, const TreeFilters& filters,
                     const std::atomic<bool>* cancel, const std::function<void(const QString&)>& showFolder = {},
                     std::vector<UnreadableFolder>* unreadable = nullptr, TreeTotal* total = nullptr);
