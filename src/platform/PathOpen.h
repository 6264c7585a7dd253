#pragma once

#include <QString>

struct stat;

// Opening by path, for paths of any length. The system takes at most PATH_MAX (4,096) bytes of path in
// one call; a tree may go deeper than that, and its objects must stay within reach. Each function tries
// the path whole first (the common case costs nothing more) and on ENAMETOOLONG goes a stretch at a time,
// each stretch relative to the folder the one before opened. Links on the way are followed as the system
// follows them in a path. All answer -1 (or false) with errno set on failure.

// The folder at path, opened O_RDONLY | O_DIRECTORY | O_CLOEXEC.
int OpenFolderPath(const QString& path);

// The object at path, opened with flags (O_CLOEXEC is added).
int OpenPath(const QString& path, int flags);

// stat (followLinks) or lstat of path.
bool StatPath(const QString& path, struct stat& st, bool followLinks);

// The sub-folder name (the bytes of one name) of the folder parentFd, never through a symbolic link: a
// link in its place fails with ELOOP or ENOTDIR instead of leading out of the tree.
int OpenSubFolder(int parentFd, const char* name);
