#include "platform/Volume.h"

#include "base/Path.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <vector>

namespace {

struct MountEntry
{
    QByteArray mountPoint;
    QByteArray source;
    QByteArray fsType;
    unsigned major = 0;
    unsigned minor = 0;
};

// mountinfo escapes blanks, tabs, new lines and backslashes as \ooo.
QByteArray Unescape(const QByteArray& field)
{
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// Reads /proc/self/mountinfo; an empty list when it cannot be read.
std::vector<MountEntry> ReadMountInfo(int* error)
{
    std::vector<MountEntry> entries;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen("/proc/self/mountinfo", "re"), &std::fclose);
    if (!file) {
        if (error != nullptr)
            *error = errno;
        return entries;
    }
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length;
    while ((length = ::getline(&line, &capacity, file.get())) > 0) {
        const QList<QByteArray> fields = QByteArray(line, length).trimmed().split(' ');
        // id parent major:minor root mount-point options [optional fields...] - type source super-options
        const qsizetype dash = fields.indexOf(QByteArray("-"), 6);
        if (fields.size() < 7 || dash < 0 || dash + 2 >= fields.size())
            continue;
        MountEntry e;
        const QList<QByteArray> numbers = fields[2].split(':');
        if (numbers.size() == 2) {
            e.major = numbers[0].toUInt();
            e.minor = numbers[1].toUInt();
        }
        e.mountPoint = Unescape(fields[4]);
        e.fsType = Unescape(fields[dash + 1]);
        e.source = Unescape(fields[dash + 2]);
        entries.push_back(std::move(e));
    }
    std::free(line);
    return entries;
}

QString AbsoluteClean(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
}

// The real path of path or of its nearest existing ancestor.
QByteArray NearestExistingRealPath(const QString& path, int* error)
{
    QString candidate = AbsoluteClean(path);
    if (candidate.isEmpty()) {
        if (error != nullptr)
            *error = EINVAL;
        return {};
    }
    for (;;) {
        char resolved[PATH_MAX];
        if (::realpath(EncodeFileName(candidate).constData(), resolved) != nullptr)
            return QByteArray(resolved);
        if (candidate == QLatin1String("/")) {
            if (error != nullptr)
                *error = errno;
            return {};
        }
        const qsizetype slash = candidate.lastIndexOf(QLatin1Char('/'));
        candidate = slash <= 0 ? QStringLiteral("/") : candidate.left(slash);
    }
}

bool IsUnder(const QByteArray& path, const QByteArray& mountPoint)
{
    if (mountPoint == "/")
        return path.startsWith('/');
    return path == mountPoint || (path.startsWith(mountPoint) && path.at(mountPoint.size()) == '/');
}

// The mount entry that holds realPath: the longest mount point above it; of equal ones the last mounted,
// which hides the earlier.
const MountEntry* Holding(const std::vector<MountEntry>& entries, const QByteArray& realPath)
{
    const MountEntry* best = nullptr;
    for (const MountEntry& e : entries) {
        if (IsUnder(realPath, e.mountPoint) && (best == nullptr || e.mountPoint.size() >= best->mountPoint.size()))
            best = &e;
    }
    return best;
}

QString WithoutTrailingSlash(QString mountPoint)
{
    while (mountPoint.size() > 1 && mountPoint.endsWith(QLatin1Char('/')))
        mountPoint.chop(1);
    return mountPoint;
}

QByteArray ReadSmallFile(const QByteArray& file)
{
    QFile f(DecodeFileName(file));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(64 * 1024);
}

QString UdevFsType(unsigned major, unsigned minor)
{
    const QByteArray data =
        ReadSmallFile("/run/udev/data/b" + QByteArray::number(major) + ':' + QByteArray::number(minor));
    for (const QByteArray& line : data.split('\n')) {
        if (line.startsWith("E:ID_FS_TYPE="))
            return QString::fromUtf8(line.mid(13).trimmed());
    }
    return {};
}

} // namespace

namespace Volume {

QString MountPointOf(const QString& path, int* error)
{
    if (error != nullptr)
        *error = 0;
    const std::optional<Info> info = InfoOf(path);
    if (info)
        return info->mountPoint;
    // Without mountinfo (an unusual sandbox) the storage query still knows the root of a path.
    const QByteArray real = NearestExistingRealPath(path, error);
    if (real.isEmpty())
        return {};
    const QStorageInfo storage(DecodeFileName(real));
    if (!storage.isValid())
        return {};
    if (error != nullptr)
        *error = 0;
    return WithoutTrailingSlash(storage.rootPath());
}

std::optional<Info> InfoOf(const QString& path)
{
    int error = 0;
    const QByteArray real = NearestExistingRealPath(path, &error);
    if (real.isEmpty())
        return std::nullopt;
    const std::vector<MountEntry> entries = ReadMountInfo(&error);
    const MountEntry* e = Holding(entries, real);
    if (e == nullptr)
        return std::nullopt;
    Info info;
    info.mountPoint = WithoutTrailingSlash(DecodeFileName(e->mountPoint));
    info.source = DecodeFileName(e->source);
    info.fsType = QString::fromUtf8(e->fsType);
    info.major = e->major;
    info.minor = e->minor;
    return info;
}

QStringList MountPoints()
{
    QStringList list;
    int error = 0;
    const std::vector<MountEntry> entries = ReadMountInfo(&error);
    if (entries.empty()) {
        for (const QStorageInfo& s : QStorageInfo::mountedVolumes())
            list << WithoutTrailingSlash(s.rootPath());
        return list;
    }
    for (const MountEntry& e : entries)
        list << WithoutTrailingSlash(DecodeFileName(e.mountPoint));
    return list;
}

bool IsMounted(const QString& mountPoint)
{
    if (mountPoint.isEmpty())
        return false;
    return MountPoints().contains(WithoutTrailingSlash(mountPoint));
}

bool IsReady(const QString& mountPoint, int* error)
{
    struct statfs st;
    if (!mountPoint.isEmpty() && ::statfs(EncodeFileName(mountPoint).constData(), &st) == 0) {
        if (error != nullptr)
            *error = 0;
        return true;
    }
    if (error != nullptr)
        *error = mountPoint.isEmpty() ? ENOENT : errno;
    return false;
}

QString MapFileSystemName(const QString& fsType, const QString& udevFsType)
{
    const QString type = fsType.toLower();
    // fusefat serves a FAT image through FUSE: the volume keeps FAT's times and names all the same.
    if (type == QLatin1String("vfat") || type == QLatin1String("msdos") || type == QLatin1String("exfat")
        || type == QLatin1String("fuse.fusefat"))
        return QStringLiteral("FAT");
    if (type == QLatin1String("ntfs") || type == QLatin1String("ntfs3"))
        return QStringLiteral("NTFS");
    // ntfs-3g and exfat-fuse mount as "fuseblk"; only udev's probe of the device tells which.
    if (type == QLatin1String("fuseblk") && !udevFsType.isEmpty()) {
        const QString mapped = MapFileSystemName(udevFsType);
        if (mapped == QLatin1String("FAT") || mapped == QLatin1String("NTFS"))
            return mapped;
    }
    return fsType;
}

QString FileSystemName(const QString& path)
{
    const std::optional<Info> info = InfoOf(path);
    if (!info)
        return {};
    const QString udev = info->fsType == QLatin1String("fuseblk") ? UdevFsType(info->major, info->minor) : QString();
    return MapFileSystemName(info->fsType, udev);
}

bool IsRemovable(const QString& path)
{
    const std::optional<Info> info = InfoOf(path);
    if (!info || info->major == 0)
        return false;
    char resolved[PATH_MAX];
    const QByteArray link = "/sys/dev/block/" + QByteArray::number(info->major) + ':' + QByteArray::number(info->minor);
    if (::realpath(link.constData(), resolved) == nullptr)
        return false;
    // A partition has no "removable" of its own; its disk, one folder up, has.
    QByteArray device(resolved);
    for (int level = 0; level < 2; ++level) {
        const QByteArray value = ReadSmallFile(device + "/removable").trimmed();
        if (!value.isEmpty())
            return value == "1";
        device = device.left(device.lastIndexOf('/'));
    }
    return false;
}

bool IsNetworkFileSystemType(const QString& fsType)
{
    static const char* const kinds[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "afs"};
    for (const char* kind : kinds) {
        if (fsType == QLatin1String(kind))
            return true;
    }
    return false;
}

bool IsNetwork(const QString& path)
{
    const std::optional<Info> info = InfoOf(path);
    return info && IsNetworkFileSystemType(info->fsType);
}

qint64 FreeBytesForUser(const QString& path, int* error)
{
    struct statvfs st;
    if (::statvfs(EncodeFileName(path).constData(), &st) != 0) {
        if (error != nullptr)
            *error = errno;
        return -1;
    }
    if (error != nullptr)
        *error = 0;
    return static_cast<qint64>(st.f_bavail) * static_cast<qint64>(st.f_frsize);
}

} // namespace Volume

QString VolumeQueries::MountPointOf(const QString& path, int* error) const { return Volume::MountPointOf(path, error); }
bool VolumeQueries::IsMounted(const QString& mountPoint) const { return Volume::IsMounted(mountPoint); }
bool VolumeQueries::IsReady(const QString& mountPoint, int* error) const { return Volume::IsReady(mountPoint, error); }

const VolumeQueries& VolumeQueries::System()
{
    static const VolumeQueries system;
    return system;
}
