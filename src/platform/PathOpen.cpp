#include "platform/PathOpen.h"

#include "base/Path.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Opens bytes relative to fd, a stretch of whole names of at most PATH_MAX - 1 bytes at a time.
int OpenInStretches(int fd, const QByteArray& bytes)
{
    constexpr qsizetype Stretch = PATH_MAX - 1;
    int current = -1;
    qsizetype at = 0;
    if (bytes.startsWith('/')) {
        current = ::open("/", FolderFlags);
        if (current < 0)
            return -1;
        at = 1;
    }
    for (;;) {
        while (at < bytes.size() && bytes[at] == '/')
            ++at;
        if (at >= bytes.size())
            break;
        qsizetype end = bytes.size();
        if (end - at > Stretch) {
            // End the stretch at a separator, so that no name is cut in two.
            end = bytes.lastIndexOf('/', at + Stretch);
            if (end <= at) {
                if (current >= 0)
                    ::close(current);
                errno = ENAMETOOLONG;
                return -1;
            }
        }
        const QByteArray piece = bytes.mid(at, end - at);
        const int next = ::openat(current >= 0 ? current : fd, piece.constData(), FolderFlags);
        const int error = errno;
        if (current >= 0)
            ::close(current);
        if (next < 0) {
            errno = error;
            return -1;
        }
        current = next;
        at = end + 1;
    }
    return current >= 0 ? current : ::openat(fd, ".", FolderFlags);
}

// The folder that holds the last name of bytes, opened in stretches, and that name; -1 when the folder
// cannot be opened or the path names no object below a folder ("/", "name/").
int OpenParent(const QByteArray& bytes, QByteArray& name)
{
    const qsizetype slash = bytes.lastIndexOf('/');
    name = bytes.mid(slash + 1);
    if (name.isEmpty()) {
        errno = ENAMETOOLONG;
        return -1;
    }
    if (slash < 0)
        return ::openat(AT_FDCWD, ".", FolderFlags);
    return slash == 0 ? ::open("/", FolderFlags) : OpenInStretches(AT_FDCWD, bytes.left(slash));
}

} // namespace

int OpenPath(const QString& path, int flags)
{
    const QByteArray bytes = EncodeFileName(path);
    const int fd = ::open(bytes.constData(), flags | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    QByteArray name;
    const int parent = OpenParent(bytes, name);
    if (parent < 0)
        return -1;
    const int opened = ::openat(parent, name.constData(), flags | O_CLOEXEC);
    const int error = errno;
    ::close(parent);
    errno = error;
    return opened;
}

bool StatPath(const QString& path, struct stat& st, bool followLinks)
{
    const QByteArray bytes = EncodeFileName(path);
    if ((followLinks ? ::stat(bytes.constData(), &st) : ::lstat(bytes.constData(), &st)) == 0)
        return true;
    if (errno != ENAMETOOLONG)
        return false;
    QByteArray name;
    const int parent = OpenParent(bytes, name);
    if (parent < 0)
        return false;
    const bool done = ::fstatat(parent, name.constData(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
    const int error = errno;
    ::close(parent);
    errno = error;
    return done;
}

int OpenFolderPath(const QString& path)
{
    const QByteArray bytes = EncodeFileName(path);
    const int fd = ::open(bytes.constData(), FolderFlags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    return OpenInStretches(AT_FDCWD, bytes);
}

int OpenSubFolder(int parentFd, const char* name)
{
    return ::openat(parentFd, name, FolderFlags | O_NOFOLLOW);
}
