#pragma once

#include <QString>

class ErrorHandler;
class ParvexLib;

// Path helpers of the main module. The names keep the program's vocabulary ("Backslash"); the separator
// they add and remove is the native "/".

// Empty text unchanged; otherwise text + "/" unless it already ends with "/".
QString AddTrailingBackslash(const QString& text);
// Removes one final "/" when present; empty text unchanged.
QString RemoveTrailingBackslash(const QString& text);

// The absolute form of path: relative to the working folder, with "." and ".." resolved as text
// (symbolic links are kept). A final "/" is kept.
QString AbsolutePath(const QString& path);

// Whether the folder exists: asks the helper library's PBFolderExists, then its APIFolderExists, then
// the file system itself. The library probes list the folder and so answer 0 for a folder that exists but
// cannot be read; the last test still finds it, and IsValidPath then reports the missing permission.
// A bad file name (one holding a NUL character) answers false silently; other failures are reported
// with "modParvex.FolderExists" and answer false.
bool FolderExists(const ParvexLib& lib, ErrorHandler& errors, const QString& path);

// Whether drive, a mount point, is mounted (the drive list of this platform is the mount table). The
// comparison is exact: Linux mount points are case-sensitive. A trailing "/" is ignored.
bool APIDriveExists(const QString& drive);
