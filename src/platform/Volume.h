#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The file-system queries that stand in for drives on Linux. A "drive" is the mount point of the file
// system that holds a path: "/" or "/media/usb", never with a trailing "/" apart from the root itself.
// Mount data comes from /proc/self/mountinfo; when that cannot be read, QStorageInfo answers instead.
namespace Volume {

struct Info
{
    QString mountPoint;  // "/" or "/home"
    QString source;      // the mounted device or share ("/dev/sdb1", "//server/share")
    QString fsType;      // as the kernel names it ("ext4", "vfat", "fuseblk")
    unsigned major = 0;  // device numbers of the mounted file system (0:0 when unknown)
    unsigned minor = 0;
};

// The mount point of the file system holding path. A path that does not exist is answered for its
// nearest existing ancestor; a relative path counts from the working folder. Answers "" (and the errno
// in *error) when nothing can be found.
QString MountPointOf(const QString& path, int* error = nullptr);

// The mount entry of the file system holding path.
std::optional<Info> InfoOf(const QString& path);

// Every mount point, in mount order.
QStringList MountPoints();

// Whether something is mounted exactly at mountPoint (a trailing "/" is ignored).
bool IsMounted(const QString& mountPoint);

// Whether the file system at mountPoint answers (statfs succeeds): the "drive is ready" test. A dead
// network share or an ejected medium whose mount lingers answers false with the errno in *error.
bool IsReady(const QString& mountPoint, int* error = nullptr);

// "FAT" for vfat, msdos, exfat and a fusefat mount; "NTFS" for ntfs, ntfs3 and an ntfs-3g fuseblk mount
// (an exfat-fuse fuseblk mount is "FAT"); otherwise the kernel's name. "" when the path's file system
// cannot be found.
QString FileSystemName(const QString& path);
// The mapping behind FileSystemName. udevFsType is the ID_FS_TYPE udev recorded for the device, which is
// the only way to tell an ntfs-3g mount from other fuseblk mounts.
QString MapFileSystemName(const QString& fsType, const QString& udevFsType = {});

// A block device whose /sys entry (or its parent disk's) reports removable = 1.
bool IsRemovable(const QString& path);
// A network file system: nfs, nfs4, cifs, smb3, smbfs, sshfs, fuse.sshfs, 9p or afs.
bool IsNetwork(const QString& path);
bool IsNetworkFileSystemType(const QString& fsType);

// Bytes the calling user may still write on the file system holding path (statvfs f_bavail × f_frsize);
// -1 with the errno in *error when the query fails.
qint64 FreeBytesForUser(const QString& path, int* error = nullptr);

} // namespace Volume

// The drive queries the folder check needs, behind an interface so that a test can stand in for a
// medium that is missing or not ready. The default implementation forwards to the functions above.
class VolumeQueries
{
public:
    virtual ~VolumeQueries() = default;
    virtual QString MountPointOf(const QString& path, int* error) const;
    virtual bool IsMounted(const QString& mountPoint) const;
    virtual bool IsReady(const QString& mountPoint, int* error) const;

    // The stateless system implementation.
    static const VolumeQueries& System();
};
