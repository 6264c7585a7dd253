#include "LibText.h"
#include "parvexlib.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

using namespace parvexlib;

namespace {

bool IsFolder(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

struct FolderId
{
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

// Adds the sizes below the open folder folderFd (which this call owns and closes). Symbolic links to
// folders are never entered: a link may point back up the tree or out of it. Folders already on the
// current path (a bind mount of an ancestor) are skipped too, so no walk can go round in a circle.
void AddFolder(int folderFd, std::vector<FolderId>& path, int64_t& total)
{
    DIR* dir = fdopendir(folderFd);
    if (dir == nullptr) {
        close(folderFd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat info {};
        if (fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISLNK(info.st_mode)) {
            // A link to a file counts as the file it points to; a dangling link counts nothing.
            struct stat target {};
            if (fstatat(folderFd, name, &target, 0) == 0 && !S_ISDIR(target.st_mode))
                total += target.st_size;
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            total += info.st_size;
            continue;
        }
        const FolderId id{info.st_dev, info.st_ino};
        bool onPath = false;
        for (const FolderId& ancestor : path)
            onPath = onPath || ancestor == id;
        if (onPath)
            continue;
        const int childFd = openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (childFd < 0)
            continue;
        path.push_back(id);
        AddFolder(childFd, path, total);
        path.pop_back();
    }
    closedir(dir);
}

} // namespace

int16_t APIFileExists(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return 0;
    // stat follows links: a dangling link names no file, and a folder is not a file.
    struct stat info {};
    return stat(path, &info) == 0 && !S_ISDIR(info.st_mode) ? 1 : 0;
}

int16_t APIFolderExists(const char* path) { return IsFolder(path) ? 1 : 0; }

// An existing folder is reported whether or not its entries can be listed, so both folder tests agree.
int16_t PBFolderExists(const char* path) { return IsFolder(path) ? 1 : 0; }

void GetFolderSize(const char* path, int64_t* total)
{
    if (path == nullptr || path[0] == '\0' || total == nullptr)
        return;
    const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return;
    }
    std::vector<FolderId> folders{{info.st_dev, info.st_ino}};
    int64_t sum = *total;
    AddFolder(fd, folders, sum);
    *total = sum;
}
