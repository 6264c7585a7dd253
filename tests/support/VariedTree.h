#pragma once

#include "RawNames.h"
#include "TestSupport.h"
#include "TreeManifest.h"

#include "base/Path.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace VariedTreeDetail {

inline QByteArray Native(const QString& path) { return EncodeFileName(path); }

inline void Link(const char* target, const QString& at)
{
    ASSERT_EQ(::symlink(target, Native(at).constData()), 0) << qPrintable(at);
}

inline void SetTimes(const QString& path, qint64 seconds, long nanoseconds = 0)
{
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Native(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0) << qPrintable(path);
}

constexpr qint64 T0 = 1685620800;

} // namespace VariedTreeDetail

// One tree with every kind of object a Linux tree holds, made in tmp's folder "left" (the path left): links
// of each kind, a FIFO, a sparse file, xattrs, hard links, modes 0700/1777/2755, empty folders, case twins
// and a name that is not UTF-8, with times to the nanosecond.
inline void MakeVariedTree(const TempDir& tmp, const QString& left)
{
    using namespace VariedTreeDetail;
    tmp.createFileAt(QStringLiteral("left/plain.txt"), "plain", T0, 123456789);
    tmp.createFileAt(QStringLiteral("left/v1"), "same", T0);
    tmp.createFileAt(QStringLiteral("left/v2"), "same", T0);
    Link("v2", left + QStringLiteral("/current"));
    Link("../elsewhere/missing", left + QStringLiteral("/dangling"));
    Link("sub", left + QStringLiteral("/to-folder"));
    tmp.createFolder(QStringLiteral("left/sub/empty/deeper"));
    tmp.createFileAt(QStringLiteral("left/sub/inner.txt"), "inner", T0 + 5, 42);
    ASSERT_EQ(::mkfifo(Native(left + QStringLiteral("/sub/pipe")).constData(), 0640), 0);
    // A sparse file: a few bytes at the end of 64 MiB of hole.
    {
        const int fd = ::open(Native(left + QStringLiteral("/sparse.img")).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "tail", 4, (qint64(64) << 20)), 4);
        ::close(fd);
        SetTimes(left + QStringLiteral("/sparse.img"), T0);
    }
    // Extended attributes and hard links.
    ASSERT_EQ(::setxattr(Native(left + QStringLiteral("/plain.txt")).constData(), "user.origin", "camera", 6, 0), 0);
    tmp.createFileAt(QStringLiteral("left/hard-a"), "linked", T0);
    ASSERT_EQ(::link(Native(left + QStringLiteral("/hard-a")).constData(), Native(left + QStringLiteral("/sub/hard-b")).constData()), 0);
    // Modes: a private folder, a shared sticky one, a set-group-ID one, an executable.
    tmp.createFileAt(QStringLiteral("left/private/secret"), "secret", T0);
    tmp.createFolder(QStringLiteral("left/shared"));
    tmp.createFolder(QStringLiteral("left/group"));
    ::chmod(Native(left + QStringLiteral("/private")).constData(), 0700);
    ::chmod(Native(left + QStringLiteral("/shared")).constData(), 01777);
    ::chmod(Native(left + QStringLiteral("/group")).constData(), 02755);
    ::chmod(Native(left + QStringLiteral("/v2")).constData(), 0755);
    // Names that differ only in case, and one that is not UTF-8.
    tmp.createFileAt(QStringLiteral("left/twins/Docs/a"), "upper", T0);
    tmp.createFileAt(QStringLiteral("left/twins/docs/a"), "lower", T0);
    CreateRawFile(left, "caf\xe9", "bytes", T0);
    for (const char* folder : {"sub/empty/deeper", "sub/empty", "sub", "private", "shared", "group", "twins/Docs",
                               "twins/docs", "twins", ""})
        SetTimes(left + QLatin1Char('/') + QString::fromUtf8(folder), T0 + 60, 5);
}

// Every field of a manifest that a mirror keeps (owners where we are root).
inline ManifestOptions Everything()
{
    ManifestOptions o;
    o.owners = ::geteuid() == 0;
    o.xattrs = true;
    o.sparse = true;
    return o;
}

