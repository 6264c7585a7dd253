#include "model/FolderListing.h"

#include "platform/FileOps.h"

#include "base/Path.h"
#include "model/CFile.h"
#include "platform/PathOpen.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FolderListing::Type TypeOfDirent(unsigned char t)
{
    switch (t) {
    case DT_DIR: return FolderListing::Type::Folder;
    case DT_REG: return FolderListing::Type::File;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK: return FolderListing::Type::Special;
    case DT_LNK: return FolderListing::Type::Link;
    default: return FolderListing::Type::Unknown;
    }
}

FolderListing::Type TypeOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return FolderListing::Type::Folder;
    if (S_ISREG(mode) || S_ISLNK(mode))
        return FolderListing::Type::File;
    return FolderListing::Type::Special;
}

void Fill(const struct stat& st, FolderListing::Details& out)
{
    out.type = TypeOfMode(st.st_mode);
    out.size = static_cast<qint64>(st.st_size);
    out.modified = UnixToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.mode = st.st_mode & 07777;
}

// Whether the folder open at fd is the top of its file system, where the trash folders of the freedesktop
// trash live.
bool IsMountTop(int fd)
{
    struct stat here;
    struct stat up;
    return ::fstat(fd, &here) == 0 && ::fstatat(fd, "..", &up, 0) == 0
           && (here.st_dev != up.st_dev || here.st_ino == up.st_ino);
}

// Names that belong to the system around the user's objects, not to them: this program's own temporary
// files (a killed run's half copy is no user data) and the trash folders at the top of a file system
// (".Trash", ".Trash-1000"), which file managers do not show either and which no run may copy or
// delete. mountTop caches whether the folder is such a top (-1: not asked yet).
bool IsOwnName(int fd, const char* name, int& mountTop)
{
    if (FileOps::IsTemporaryName(name))
        return true;
    if (std::strncmp(name, ".Trash", 6) != 0)
        return false;
    const char* rest = name + 6;
    if (*rest == '-') {
        ++rest;
        if (*rest == 0)
            return false;
        for (const char* p = rest; *p != 0; ++p)
            if (*p < '0' || *p > '9')
                return false;
    } else if (*rest != 0) {
        return false;
    }
    if (mountTop < 0)
        mountTop = IsMountTop(fd) ? 1 : 0;
    return mountTop == 1;
}

} // namespace

FolderListing::FolderListing(const QString& folder) { Read(OpenFolderPath(folder)); }

FolderListing::FolderListing(const FolderListing& parent, qsizetype i)
{
    if (parent.Fd() < 0) {
        m_error = EBADF;
        m_complete = false;
        return;
    }
    Read(OpenSubFolder(parent.Fd(), parent.RawName(i)));
}

void FolderListing::Read(int fd)
{
    if (fd < 0) {
        m_error = errno;
        m_complete = false;
        return;
    }
    m_fd = fd;
    int mountTop = -1; // not asked yet
    // The entries straight from getdents64 into our own buffer: a directory stream (fdopendir) would cost
    // two fcntl calls per folder on top, and a scan lists every folder of both trees.
    alignas(8) char buffer[32768];
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            m_error = errno;
            m_complete = false;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const dirent64*>(buffer + at);
            at += e->d_reclen;
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (name[0] == '.' && IsOwnName(fd, name, mountTop))
                continue;
            const size_t length = std::strlen(name);
            m_entries.push_back({m_names.size(), static_cast<int>(length), TypeOfDirent(e->d_type)});
            m_names.append(name, static_cast<qsizetype>(length + 1));
        }
    }
}

FolderListing::~FolderListing()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FolderListing::Fd() const { return m_fd; }

bool FolderListing::Stat(qsizetype i, Details& out, int* error) const
{
    const int fd = Fd();
    const char* name = RawName(i);
    struct stat st;
    out = Details{};
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (error != nullptr)
            *error = errno;
        return false;
    }
    Fill(st, out);
    if (!S_ISLNK(st.st_mode))
        return true;
    // A link is an object of its own, whatever it points to: its own size and time, compared by its target
    // text, never the file or folder behind it.
    out.type = Type::File;
    out.link = true;
    out.linkObject = true;
    struct stat target;
    out.danglingLink = ::fstatat(fd, name, &target, 0) != 0;
    if (!out.danglingLink && S_ISREG(target.st_mode))
        out.linkedFileSize = target.st_size;
    return true;
}

QString FolderListing::Name(qsizetype i) const { return DecodeFileName(RawName(i), RawNameLength(i)); }
