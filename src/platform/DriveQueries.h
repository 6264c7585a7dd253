#pragma once

#include <QString>
#include <QtGlobal>

// What planning and the file commands ask about the drives that hold the folders: the drive name of a
// path (the mount point of its file system), the bytes the user may still write there, the kind of drive,
// and the size of an object already in place. Behind an interface so that a test can stand in for a
// drive that is full, missing, removable or on the network.
class DriveQueries
{
public:
    enum class Type { Other, Removable, Network };

    virtual ~DriveQueries() = default;

    // The mount point of the file system holding path ("" when none can be found).
    virtual QString DriveName(const QString& path) const;
    // Bytes the calling user may still write on drive; -1 with the errno in *error when the query fails.
    virtual qint64 FreeBytes(const QString& drive, int* error) const;
    virtual Type DriveType(const QString& path) const;
    // 0 when path is an existing folder, otherwise the errno of looking it up (ENOENT, EACCES, ENOTDIR).
    virtual int FolderState(const QString& path) const;
    // The size of an existing object: a file's size, a folder's total (links count as themselves, never
    // followed); -1 when nothing exists under path.
    virtual qint64 ObjectSize(const QString& path) const;

    // The stateless system implementation.
    static const DriveQueries& System();
};
