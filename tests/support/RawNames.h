#pragma once

#include "base/Path.h"

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

// Objects whose names are raw bytes (not UTF-8) and trees too deep for one path: made through
// descriptors, since QFile would store a name that is not UTF-8 with a replacement character and no call
// takes a path past 4,096 bytes.

// Creates the file name (raw bytes) in folder with data; with seconds > 0 sets its modification time.
inline void CreateRawFile(const QString& folder, const QByteArray& name, const QByteArray& data, qint64 seconds = 0)
{
    const QByteArray path = EncodeFileName(Path::WithSlash(folder)) + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.toHex().constData();
    ASSERT_EQ(::write(fd, data.constData(), static_cast<size_t>(data.size())), data.size());
    if (seconds > 0) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::futimens(fd, times), 0);
    }
    ::close(fd);
}

// A level of a deep tree: 200 bytes, so 26 levels make a path past 5,200 bytes.
inline QByteArray DeepLevelName(int level) { return QByteArray(197, 'd') + QByteArray::number(100 + level); }

// Makes levels nested folders under folder and a file "deep.txt" with data (and modification time seconds
// when > 0) at the bottom. Answers the bottom folder's path.
inline QString MakeDeepTree(const QString& folder, int levels, const QByteArray& data, qint64 seconds = 0)
{
    int fd = ::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    QString path = Path::WithoutSlash(folder);
    for (int level = 0; level < levels && fd >= 0; ++level) {
        const QByteArray name = DeepLevelName(level);
        EXPECT_EQ(::mkdirat(fd, name.constData(), 0755), 0) << level;
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_GE(next, 0) << level;
        ::close(fd);
        fd = next;
        path += QLatin1Char('/') + DecodeFileName(name);
    }
    const int file = ::openat(fd, "deep.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    EXPECT_GE(file, 0);
    EXPECT_EQ(::write(file, data.constData(), static_cast<size_t>(data.size())), data.size());
    if (seconds > 0) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        EXPECT_EQ(::futimens(file, times), 0);
    }
    ::close(file);
    ::close(fd);
    return path;
}

// Empties dirFd, whatever its names and depth, through descriptors (QTemporaryDir cannot: it names
// every object by its whole path, as text).
inline void RemoveContentsAt(int dirFd)
{
    const int listFd = ::dup(dirFd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr)
        return;
    std::vector<QByteArray> names;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    for (const QByteArray& name : names) {
        const int sub = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) {
            RemoveContentsAt(sub);
            ::close(sub);
            ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
        } else {
            ::unlinkat(dirFd, name.constData(), 0);
        }
    }
}

// Empties folder at the end of a test that passed; a failed test keeps it to look at.
class RawTreeCleanup final
{
public:
    explicit RawTreeCleanup(QString folder) : m_folder(std::move(folder)) {}
    ~RawTreeCleanup()
    {
        if (::testing::Test::HasFailure())
            return;
        const int fd = ::open(EncodeFileName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            RemoveContentsAt(fd);
            ::close(fd);
        }
    }
    RawTreeCleanup(const RawTreeCleanup&) = delete;
    RawTreeCleanup& operator=(const RawTreeCleanup&) = delete;

private:
    QString m_folder;
};
