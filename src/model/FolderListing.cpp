#include "model/FolderListing.h"

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
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        m_error = errno;
        m_complete = false;
        ::close(fd);
        return;
    }
    m_dir = dir;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            if (errno != 0) {
                m_error = errno;
                m_complete = false;
            }
            break;
        }
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const size_t length = std::strlen(name);
        m_entries.push_back({m_names.size(), static_cast<int>(length), TypeOfDirent(e->d_type)});
        m_names.append(name, static_cast<qsizetype>(length + 1));
    }
}

FolderListing::~FolderListing()
{
    if (m_dir != nullptr)
        ::closedir(static_cast<DIR*>(m_dir));
}

int FolderListing::Fd() const { return m_dir != nullptr ? ::dirfd(static_cast<DIR*>(m_dir)) : -1; }

bool FolderListing::Stat(qsizetype i, Details& out, int* error) const
{
    const int fd = Fd();
    const char* name = RawName(i);
    struct stat st;
    out = Details{};
    const Type reported = TypeOf(i);
    if (reported != Type::Link) {
        // Not a link when listed (or the directory did not say); a link in its place now is resolved
        // like any other.
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (error != nullptr)
                *error = errno;
            return false;
        }
        if (!S_ISLNK(st.st_mode)) {
            Fill(st, out);
            return true;
        }
    }
    if (::fstatat(fd, name, &st, 0) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            Fill(st, out);
            out.link = true;
            return true;
        }
        // A link to a folder is the link itself: its own size and time, never the folder behind it.
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (error != nullptr)
                *error = errno;
            return false;
        }
        Fill(st, out);
        out.type = Type::File;
        out.link = true;
        out.linkObject = true;
        return true;
    }
    const int followError = errno;
    if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        Fill(st, out);
        out.type = Type::File;
        out.danglingLink = true;
        out.link = true;
        out.linkObject = true;
        return true;
    }
    if (error != nullptr)
        *error = followError;
    return false;
}

QString FolderListing::Name(qsizetype i) const { return DecodeFileName(RawName(i), RawNameLength(i)); }
