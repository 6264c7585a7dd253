#include "platform/DriveQueries.h"

#include "base/Path.h"
#include "platform/Volume.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The bytes below a folder descriptor, links as themselves; the descriptor is closed.
qint64 TreeSize(int dirFd)
{
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
        close(dirFd);
        return 0;
    }
    qint64 total = 0;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        struct stat st {};
        if (fstatat(dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            const int child = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                total += TreeSize(child);
        } else if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {
            total += st.st_size;
        }
    }
    closedir(dir);
    return total;
}

} // namespace

QString DriveQueries::DriveName(const QString& path) const { return Volume::MountPointOf(path); }

qint64 DriveQueries::FreeBytes(const QString& drive, int* error) const { return Volume::FreeBytesForUser(drive, error); }

DriveQueries::Type DriveQueries::DriveType(const QString& path) const
{
    if (Volume::IsNetwork(path))
        return Type::Network;
    if (Volume::IsRemovable(path))
        return Type::Removable;
    return Type::Other;
}

int DriveQueries::FolderState(const QString& path) const
{
    struct stat st {};
    if (stat(EncodeFileName(path).constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

qint64 DriveQueries::ObjectSize(const QString& path) const
{
    QByteArray native = EncodeFileName(path);
    while (native.size() > 1 && native.endsWith('/'))
        native.chop(1);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return -1;
    if (!S_ISDIR(st.st_mode))
        return S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? st.st_size : 0;
    const int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? 0 : TreeSize(fd);
}

const DriveQueries& DriveQueries::System()
{
    static const DriveQueries queries;
    return queries;
}
