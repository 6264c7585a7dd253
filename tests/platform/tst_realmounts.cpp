// The headless synchronisation and the drive queries on real file systems other than the one the tests
// run on: a folder seen through sshfs (a network drive), a FAT image through fusefat, fresh ext4 and
// btrfs images on loop devices. Each mounts what it needs and skips, saying why, where the machine
// refuses.

#include "FuseMounts.h"
#include "TestSupport.h"
#include "Tmpfs.h"
#include "TreeManifest.h"

#include "platform/DriveQueries.h"
#include "platform/Volume.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
constexpr qint64 T0 = 1685620800;
constexpr qint64 Second = 1000000000;

using Result = ProgramRun;

QString Said(const Result& r) { return r.lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + r.errors; }

// Bytes that are not all alike, so that a copy cut short or shifted shows in the digest.
QByteArray Pattern(int size, int seed)
{
    QByteArray data(size, '\0');
    quint32 x = 2166136261u ^ static_cast<quint32>(seed);
    for (int i = 0; i < size; ++i) {
        x = x * 16777619u + 0x9e3779b9u;
        data[i] = static_cast<char>(x >> 24);
    }
    return data;
}

class RealMountsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bin = PrivateParvexCmdFolder(tmp);
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), tmp.createFolder(QStringLiteral("xdg")));
    }

    // Every comparison setting given, so that nothing depends on parvex.ini.
    static QStringList Explicit(bool ignoreTwoSeconds, const QString& method = QStringLiteral("quick"))
    {
        return {QStringLiteral("--method"), method, QStringLiteral("--subfolders"),
                ignoreTwoSeconds ? QStringLiteral("--ignore-2sec") : QStringLiteral("--no-ignore-2sec"),
                QStringLiteral("--no-ignore-dst"), QStringLiteral("--include"), QString(),
                QStringLiteral("--exclude"), QString()};
    }

    Result Run(const QStringList& arguments) { return RunProgram(bin + QStringLiteral("/parvexcmd"), arguments, env); }

    Result Mirror(const QString& left, const QString& right, bool ignoreTwoSeconds = false)
    {
        return Run(QStringList{QStringLiteral("sync")} + Explicit(ignoreTwoSeconds)
                   + QStringList{QStringLiteral("--sync"), QStringLiteral("right-same-as-left"), left, right});
    }

    Result Compare(const QString& left, const QString& right, bool ignoreTwoSeconds = false,
                   const QString& method = QStringLiteral("quick"))
    {
        return Run(QStringList{QStringLiteral("compare")} + Explicit(ignoreTwoSeconds, method) + QStringList{left, right});
    }

    // A small tree under tmp's relative folder: odd seconds and nanoseconds in the times, an empty file,
    // one of a few hundred KiB, nested folders, a name with blanks and one outside ASCII.
    QString SmallTree(const QString& relative)
    {
        const QString root = tmp.createFolder(relative);
        tmp.createFileAt(relative + U("/a.txt"), "alpha", T0 + 1, 123456789);
        tmp.createFileAt(relative + U("/empty"), QByteArray(), T0 + 3, 1);
        tmp.createFileAt(relative + U("/big.bin"), Pattern(300 * 1024 + 7, 1), T0 + 5, 999999999);
        tmp.createFileAt(relative + U("/Docs/note with blanks.txt"), "n", T0 + 7, 500000000);
        tmp.createFileAt(relative + U("/Docs/Deep/\u00e9t\u00e9.txt"), Pattern(4097, 2), T0 + 60, 0);
        tmp.createFolder(relative + U("/Empty folder"));
        return root;
    }

    // Files only, with plain names: fusefat refuses names outside ASCII and folders it cannot set modes on.
    QString FatTree(const QString& relative)
    {
        const QString root = tmp.createFolder(relative);
        tmp.createFileAt(relative + U("/a.txt"), "alpha", T0 + 1, 123456789);
        tmp.createFileAt(relative + U("/empty"), QByteArray(), T0 + 3, 1);
        tmp.createFileAt(relative + U("/big.bin"), Pattern(300 * 1024 + 7, 1), T0 + 5, 999999999);
        tmp.createFileAt(relative + U("/note with blanks.txt"), "n", T0 + 7, 500000000);
        tmp.createFileAt(relative + U("/Mixed Case.TXT"), Pattern(4097, 2), T0 + 60, 0);
        return root;
    }

    TempDir tmp;
    QString bin;
    QProcessEnvironment env;
};

// What survives any of these file systems: contents, sizes and file times to resolution.
ManifestOptions Portable(qint64 resolution)
{
    ManifestOptions options;
    options.modes = false;
    options.folderTimes = false;
    options.timeResolutionNs = resolution;
    return options;
}

} // namespace

// The manifest the other tests lean on: every kind of object, raw names, hard-link groups, attributes.
TEST_F(RealMountsTest, TheManifestNamesEveryKindOfObjectWithoutFollowingLinks)
{
    const QString root = tmp.createFolder(U("m"));
    tmp.createFileAt(U("m/b"), "abc", T0, 5);
    tmp.createFileAt(U("m/sparse"), QByteArray(), T0);
    ASSERT_EQ(::truncate(QFile::encodeName(root + U("/sparse")).constData(), 1 << 20), 0);
    const timespec t0[2] = {{T0, 0}, {T0, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(root + U("/sparse")).constData(), t0, 0), 0);
    ASSERT_EQ(::link(QFile::encodeName(root + U("/b")).constData(), QFile::encodeName(root + U("/c")).constData()), 0);
    ASSERT_EQ(::symlink("/etc", QFile::encodeName(root + U("/out")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + U("/fifo")).constData(), 0640), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(root + U("/b")).constData(), 04755), 0);
    const int raw = ::open((QFile::encodeName(root) + "/r\xff\tx").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(raw, 0);
    ::close(raw);
    for (const char* name : {"", "/sparse"})
        ASSERT_EQ(::chmod((QFile::encodeName(root) + name).constData(), name[0] == 0 ? 0750 : 0644), 0);
    const bool xattrs = ::setxattr(QFile::encodeName(root + U("/b")).constData(), "user.k", "hi", 2, 0) == 0;

    ManifestOptions options;
    options.folderTimes = false;
    options.xattrs = true;
    options.sparse = true;
    const QStringList lines = TreeManifest(root, options);
    ASSERT_EQ(lines.size(), 7) << qPrintable(lines.join(QLatin1Char('\n')));
    EXPECT_EQ(lines[0], U(".\tdir mode=0750"));
    const QString b = U("b\tfile mode=4755 size=3 sha1=a9993e364706816aba3e25717850c26c9cd0d89d ")
                      + (xattrs ? U("xattr=user.k=6869 ") : QString()) + U("mtime=1685620800.000000005 hardlink=b");
    EXPECT_EQ(lines[1], b);
    EXPECT_TRUE(lines[2].startsWith(U("c\tfile mode=4755 size=3 "))) << qPrintable(lines[2]);
    EXPECT_TRUE(lines[2].endsWith(U(" hardlink=b"))) << qPrintable(lines[2]);
    EXPECT_TRUE(lines[3].startsWith(U("fifo\tfifo mode=0640 mtime="))) << qPrintable(lines[3]);
    EXPECT_TRUE(lines[4].startsWith(U("out\tlink mode=0777 target=/etc mtime="))) << qPrintable(lines[4]);
    EXPECT_TRUE(lines[5].startsWith(U("r\\xff\\x09x\tfile mode=0644 size=0 sha1=da39a3ee5e6b4b0d3255bfef95601890afd80709")))
        << qPrintable(lines[5]);
    EXPECT_EQ(lines[6], U("sparse\tfile mode=0644 size=1048576 sha1=3b71f43ff30f4b15b5cd85dd9e95ebc7e84eb5a3 "
                          "mtime=1685620800.000000000 sparse"));

    // Rounded to FAT's two seconds, and the difference of two trees line by line.
    options = {};
    options.timeResolutionNs = 2 * Second;
    options.folderTimes = false;
    options.hardLinks = false;
    const QStringList rounded = TreeManifest(root, options);
    EXPECT_TRUE(rounded[1].endsWith(U("mtime=1685620800.000000000"))) << qPrintable(rounded[1]);
    tmp.createFileAt(U("m/b"), "abd", T0 + 1);
    // A write by anyone but root drops the setuid bit.
    ASSERT_EQ(::chmod(QFile::encodeName(root + U("/b")).constData(), 04755), 0);
    EXPECT_EQ(ManifestDiff(rounded, TreeManifest(root, options)),
              QStringList({U("- b\tfile mode=4755 size=3 sha1=a9993e364706816aba3e25717850c26c9cd0d89d mtime=1685620800.000000000"),
                           U("+ b\tfile mode=4755 size=3 sha1=cb4cc28df0fdbe0ecf9d9662e294b118092a5735 mtime=1685620800.000000000"),
                           U("- c\tfile mode=4755 size=3 sha1=a9993e364706816aba3e25717850c26c9cd0d89d mtime=1685620800.000000000"),
                           U("+ c\tfile mode=4755 size=3 sha1=cb4cc28df0fdbe0ecf9d9662e294b118092a5735 mtime=1685620800.000000000")}));
}

// A mirror onto a network folder: a file replaced, one deleted, new ones made; whole files in place, times
// as exact as sftp keeps them (whole seconds), and a comparison afterwards that finds nothing to do.
TEST_F(RealMountsTest, AMirrorOntoAnSshfsFolderLeavesWholeFilesAndNothingToDo)
{
    const QString left = SmallTree(U("left"));
    const QString served = tmp.createFolder(U("served"));
    tmp.createFileAt(U("served/a.txt"), "older alpha", T0 - 600);
    tmp.createFileAt(U("served/Docs/gone.txt"), "gone", T0);
    SshfsMount net(served, tmp.file(U("net")));
    MOUNT_OR_SKIP(net);

    const Result run = Mirror(left, net.path());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(Said(run));
    EXPECT_TRUE(run.errors.isEmpty()) << qPrintable(run.errors);
    EXPECT_EQ(Leftovers(served), QStringList());

    const ManifestOptions options = Portable(Second);
    const QStringList source = TreeManifest(left, options);
    // The mount's top is the served folder: the trash that keeps what the mirror replaced is there.
    QStringList target = TreeManifest(served, options);
    target.removeIf([](const QString& line) { return line.startsWith(QStringLiteral(".Trash-")); });
    EXPECT_EQ(source, target) << qPrintable(ManifestDiffText(source, target));
    EXPECT_TRUE(QFile::exists(served + U("/.Trash-") + QString::number(::getuid()) + U("/files/a.txt")));

    // Seconds are all the far side keeps, and a time difference counts from half a second on: big.bin's
    // .999999999 makes one second, which the two-second allowance is there for.
    const Result again = Compare(left, net.path(), true);
    EXPECT_EQ(again.exitCode, 0) << qPrintable(Said(again));
}

// A link copied onto sshfs stays a link, and the file it names, outside both folders, keeps its time.
// Disabled while the copy sets the new link's time: sftp has no call for a link's own times, so sshfs
// sets them on the file the link names instead.
TEST_F(RealMountsTest, ALinkCopiedOntoSshfsLeavesTheFileItNamesAlone)
{
    const QString outside = tmp.createFileAt(U("outside/secret"), "s", T0);
    const QString left = tmp.createFolder(U("left"));
    ASSERT_TRUE(QFile::link(outside, left + U("/link")));
    const QString served = tmp.createFolder(U("served"));
    SshfsMount net(served, tmp.file(U("net")));
    MOUNT_OR_SKIP(net);

    const Result run = Mirror(left, net.path());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(Said(run));
    EXPECT_EQ(QFileInfo(served + U("/link")).symLinkTarget(), outside);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(outside).constData(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, T0) << "the link's target was touched through the link";
}

// The drive of a folder seen through sshfs is a network drive, named by its mount point, with the free
// space its file system reports.
TEST_F(RealMountsTest, AnSshfsFolderIsANetworkDriveWithItsOwnFreeSpace)
{
    const QString served = tmp.createFolder(U("served"));
    tmp.createFolder(U("served/sub"));
    SshfsMount net(served, tmp.file(U("net")));
    MOUNT_OR_SKIP(net);

    const DriveQueries& drives = DriveQueries::System();
    EXPECT_EQ(drives.DriveType(net.path()), DriveQueries::Type::Network);
    EXPECT_EQ(drives.DriveType(net.path() + U("/sub")), DriveQueries::Type::Network);
    EXPECT_EQ(drives.DriveType(net.path() + U("/not yet made")), DriveQueries::Type::Network);
    EXPECT_NE(drives.DriveType(served), DriveQueries::Type::Network);
    EXPECT_EQ(drives.DriveName(net.path() + U("/sub")), net.path());
    EXPECT_EQ(Volume::FileSystemName(net.path()), U("fuse.sshfs"));
    EXPECT_EQ(drives.FolderState(net.path() + U("/sub")), 0);

    // The served disk is shared with whatever else runs here, so its free space may move between two
    // looks: the answer must lie between a look before and one after.
    struct statvfs st {};
    ASSERT_EQ(::statvfs(QFile::encodeName(net.path()).constData(), &st), 0);
    const qint64 before = static_cast<qint64>(st.f_bavail) * static_cast<qint64>(st.f_frsize);
    int error = -1;
    const qint64 free = drives.FreeBytes(drives.DriveName(net.path()), &error);
    ASSERT_EQ(::statvfs(QFile::encodeName(net.path()).constData(), &st), 0);
    const qint64 after = static_cast<qint64>(st.f_bavail) * static_cast<qint64>(st.f_frsize);
    EXPECT_EQ(error, 0);
    const qint64 slack = 16 * 1024 * 1024;
    EXPECT_GE(free, std::min(before, after) - slack) << before << " " << after;
    EXPECT_LE(free, std::max(before, after) + slack) << before << " " << after;
    EXPECT_GT(free, 0);
}

// A FAT volume: names that differ only in case are one name, and a copy leaves whole files; the driver
// leaves a volume its own checker accepts.
TEST_F(RealMountsTest, AFatImageIsCaseInsensitiveAndTakesACopyWhole)
{
    FatImage fat;
    MOUNT_OR_SKIP(fat);
    EXPECT_EQ(Volume::FileSystemName(fat.path()), U("FAT"));
    EXPECT_EQ(DriveQueries::System().DriveName(fat.path()), fat.path());

    QFile upper(fat.path() + U("/A"));
    ASSERT_TRUE(upper.open(QIODevice::WriteOnly));
    upper.write("upper");
    upper.close();
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(fat.path() + U("/a")).constData(), &st), 0) << "FAT finds a name in any case";
    EXPECT_EQ(FileBytes(fat.path() + U("/a")), "upper");
    const int fd = ::open(QFile::encodeName(fat.path() + U("/a")).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    const int error = errno;
    EXPECT_LT(fd, 0) << "a second file under the other case";
    EXPECT_EQ(error, EEXIST);
    if (fd >= 0)
        ::close(fd);
    EXPECT_EQ(Entries(fat.path()), QStringList({U("A")})) << "the case it was made with is kept";

    const QString left = FatTree(U("left"));
    const QString target = fat.path() + U("/copy");
    ASSERT_TRUE(QDir().mkpath(target));
    const Result run = Mirror(left, target, true);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(Said(run));
    EXPECT_TRUE(run.errors.isEmpty()) << qPrintable(run.errors);
    EXPECT_EQ(Leftovers(fat.path()), QStringList());
    // fusefat gives a renamed file the time of the rename (the kernel's vfat keeps it), so only the
    // contents can be held to the source here.
    ManifestOptions options = Portable(2 * Second);
    options.times = false;
    const QStringList source = TreeManifest(left, options);
    const QStringList copy = TreeManifest(target, options);
    EXPECT_EQ(source, copy) << qPrintable(ManifestDiffText(source, copy));
    const Result again = Compare(left, target, true, U("contents"));
    EXPECT_EQ(again.exitCode, 0) << qPrintable(Said(again));

    ASSERT_TRUE(fat.unmount());
    QProcess fsck;
    fsck.setProcessChannelMode(QProcess::MergedChannels);
    fsck.start(U("fsck.vfat"), {U("-n"), fat.image()});
    ASSERT_TRUE(fsck.waitForFinished(60000));
    EXPECT_EQ(fsck.exitCode(), 0) << fsck.readAll().constData();
}

// Folders copied onto a volume that cannot keep modes: FAT has none to set. Disabled while a folder's copy
// fails when setting its mode fails (fusefat answers ENOSYS), where a file's copy goes on.
TEST_F(RealMountsTest, FoldersCopiedOntoFatNeedNoModes)
{
    FatImage fat;
    MOUNT_OR_SKIP(fat);
    tmp.createFileAt(U("left/Docs/x.txt"), "x", T0);
    tmp.createFolder(U("left/Empty folder"));
    const QString target = fat.path() + U("/copy");
    ASSERT_TRUE(QDir().mkpath(target));
    const Result run = Mirror(tmp.file(U("left")), target, true);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(Said(run));
    ManifestOptions options = Portable(2 * Second);
    options.times = false;
    const QStringList source = TreeManifest(tmp.file(U("left")), options);
    const QStringList copy = TreeManifest(target, options);
    EXPECT_EQ(source, copy) << qPrintable(ManifestDiffText(source, copy));
}

// On fresh local file systems of other kinds a mirror keeps times to the nanosecond and the drive is
// the image's mount point, neither removable nor on the network.
TEST_F(RealMountsTest, AMirrorOntoFreshExt4AndBtrfsKeepsTimesToTheNanosecond)
{
    const QString left = SmallTree(U("left"));
    ASSERT_TRUE(QFile::link(U("Docs"), left + U("/folder link")));
    for (const LoopImage::Kind kind : {LoopImage::Kind::Ext4, LoopImage::Kind::Btrfs}) {
        const char* name = kind == LoopImage::Kind::Ext4 ? "ext4" : "btrfs";
        SCOPED_TRACE(name);
        LoopImage image(kind, 128 * 1024 * 1024, tmp.file(U("mnt-") + QLatin1String(name)));
        MOUNT_OR_SKIP(image);
        EXPECT_EQ(Volume::FileSystemName(image.path()), QLatin1String(name));
        EXPECT_EQ(DriveQueries::System().DriveType(image.path()), DriveQueries::Type::Other);

        const QString target = image.path() + U("/copy");
        ASSERT_TRUE(QDir().mkpath(target));
        const Result run = Mirror(left, target);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(Said(run));
        EXPECT_EQ(Leftovers(image.path()), QStringList());
        ManifestOptions options;
        options.folderTimes = false;
        const QStringList source = TreeManifest(left, options);
        const QStringList copy = TreeManifest(target, options);
        EXPECT_EQ(source, copy) << qPrintable(ManifestDiffText(source, copy));
        EXPECT_EQ(Compare(left, target).exitCode, 0);
    }
}
