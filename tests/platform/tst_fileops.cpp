#include "KilledChild.h"
#include "TestSupport.h"
#include "Tmpfs.h"
#include "Unprivileged.h"
#include "base/ProgressSink.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using FileOps::Result;
using Reason = FileOps::Skipped::Reason;

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

QString LinkText(const QString& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(Native(path).constData(), buffer, sizeof buffer);
    return n > 0 ? QFile::decodeName(QByteArray(buffer, n)) : QString();
}

void MakeLink(const QString& text, const QString& link) { ASSERT_EQ(::symlink(Native(text).constData(), Native(link).constData()), 0); }

// An ordinary user running the tests owns the folders already.
void GiveToNobody(const QString& path)
{
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(Native(path).constData(), NobodyUid, NobodyUid), 0);
    }
}

// Runs a tool to its end without its output; answers its exit code (-1 when it did not start).
class FileOpsTest : public ::testing::Test
{
protected:
    QString Src(const QString& relative = {}) const { return dir.file(QStringLiteral("src/") + relative); }
    QString Dst(const QString& relative = {}) const { return dir.file(QStringLiteral("dst/") + relative); }
    void SetUp() override
    {
        dir.createFolder(QStringLiteral("src"));
        dir.createFolder(QStringLiteral("dst"));
    }
    // Opens the test folder to the unprivileged user, and gives it the named folders.
    void ShareWithNobody(const QStringList& owned)
    {
        ::chmod(Native(dir.path()).constData(), 0755);
        for (const QString& folder : owned)
            GiveToNobody(folder);
    }

    TempDir dir;
};

} // namespace

TEST_F(FileOpsTest, CopiesATreeWithTimesModesAndLinksAsLinksAndMakesSpecialFilesAnew)
{
    const QString a = dir.createFileAt(QStringLiteral("src/tree/a.txt"), "alpha", 1600000000, 123456789);
    ::chmod(Native(a).constData(), 0640);
    // 0666 is more than the umask lets a new file have: the copy must still get it.
    const QString b = dir.createFile(QStringLiteral("src/tree/sub/b.bin"), QByteArray(3 << 20, 'b'));
    ::chmod(Native(b).constData(), 0666);
    dir.createFile(QStringLiteral("outside/secret"), "secret");
    MakeLink(QStringLiteral("a.txt"), Src(QStringLiteral("tree/tofile")));
    MakeLink(dir.file(QStringLiteral("outside")), Src(QStringLiteral("tree/tofolder")));
    MakeLink(QStringLiteral("nowhere"), Src(QStringLiteral("tree/dangling")));
    ASSERT_EQ(::mkfifo(Native(Src(QStringLiteral("tree/pipe"))).constData(), 0600), 0);
    const QString readOnly = dir.createFolder(QStringLiteral("src/tree/sub/ro"));
    dir.createFile(QStringLiteral("src/top.txt"), "top");
    ::chmod(Native(readOnly).constData(), 0555);

    std::vector<FileOps::Progress> reports;
    FileOps::Control control;
    control.onProgress = [&](const FileOps::Progress& p) { reports.push_back(p); };
    const Result r = FileOps::Copy({Src(QStringLiteral("tree")), Src(QStringLiteral("top.txt"))}, Dst(), control);

    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText) << " " << qPrintable(r.failedPath);
    EXPECT_EQ(r.completed, QStringList({Src(QStringLiteral("tree")), Src(QStringLiteral("top.txt"))}));
    EXPECT_TRUE(r.skipped.isEmpty());
    // The FIFO is made anew with its mode, never opened.
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("tree/pipe"))).st_mode, S_IFIFO | 0600u);

    const struct stat copied = ObjectStat(Dst(QStringLiteral("tree/a.txt")));
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/a.txt"))), "alpha");
    EXPECT_EQ(copied.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(copied.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(copied.st_mode & 07777, 0640u);
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/sub/b.bin"))), QByteArray(3 << 20, 'b'));
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("tree/sub/b.bin"))).st_mode & 07777, 0666u);
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("tree/sub/ro"))).st_mode & 07777, 0555u);
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("tree/sub/ro"))).st_mtim.tv_nsec, ObjectStat(readOnly).st_mtim.tv_nsec);
    for (const char* link : {"tofile", "tofolder", "dangling"}) {
        const QString copy = Dst(QStringLiteral("tree/") + QLatin1String(link));
        EXPECT_TRUE(S_ISLNK(ObjectStat(copy).st_mode)) << link;
        EXPECT_EQ(LinkText(copy), LinkText(Src(QStringLiteral("tree/") + QLatin1String(link)))) << link;
    }
    EXPECT_EQ(Leftovers(Dst()), QStringList());

    // One report for the whole list: tree, a.txt, sub, b.bin, ro, three links, the pipe, top.txt.
    ASSERT_FALSE(reports.empty());
    const FileOps::Progress& last = reports.back();
    EXPECT_EQ(last.objectsTotal, 10);
    EXPECT_EQ(last.objectsDone, 10);
    EXPECT_EQ(last.bytesTotal, 5 + (3 << 20) + 3);
    EXPECT_EQ(last.bytesDone, last.bytesTotal);
    EXPECT_EQ(last.current, Src(QStringLiteral("top.txt")));
    for (size_t i = 1; i < reports.size(); ++i)
        EXPECT_GE(reports[i].bytesDone + reports[i].objectsDone, reports[i - 1].bytesDone + reports[i - 1].objectsDone);
    ::chmod(Native(Dst(QStringLiteral("tree/sub/ro"))).constData(), 0755);
    ::chmod(Native(readOnly).constData(), 0755);
}

TEST_F(FileOpsTest, CopyMergesFoldersReplacesFilesAndNeverWritesThroughALinkOrOverADifferentKind)
{
    dir.createFile(QStringLiteral("src/tree/a"), "new a");
    dir.createFile(QStringLiteral("dst/tree/a"), "old a");
    dir.createFile(QStringLiteral("dst/tree/keep"), "keep");
    ASSERT_TRUE(FileOps::Copy({Src(QStringLiteral("tree"))}, Dst()).ok());
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/a"))), "new a");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/keep"))), "keep");

    struct Case { const char* name; bool sourceIsFolder; int error; };
    dir.createFile(QStringLiteral("src/folderOverFile/x"), "x");
    dir.createFile(QStringLiteral("dst/folderOverFile"), "a file");
    dir.createFile(QStringLiteral("src/fileOverFolder"), "x");
    dir.createFile(QStringLiteral("dst/fileOverFolder/inside"), "inside");
    dir.createFile(QStringLiteral("src/folderOverLink/x"), "x");
    dir.createFolder(QStringLiteral("elsewhere"));
    MakeLink(dir.file(QStringLiteral("elsewhere")), Dst(QStringLiteral("folderOverLink")));
    for (const Case& c : {Case{"folderOverFile", true, EEXIST}, Case{"fileOverFolder", false, EISDIR},
                          Case{"folderOverLink", true, EEXIST}}) {
        const QString source = Src(QLatin1String(c.name));
        const Result r = FileOps::Copy({source}, Dst());
        EXPECT_EQ(r.error, c.error) << c.name;
        EXPECT_EQ(r.failedPath, Dst(QLatin1String(c.name))) << c.name << ": named with the object in the way";
        EXPECT_TRUE(r.completed.isEmpty()) << c.name;
    }
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("folderOverFile"))), "a file");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("fileOverFolder/inside"))), "inside");
    EXPECT_EQ(Entries(dir.file(QStringLiteral("elsewhere"))), QStringList());
    EXPECT_EQ(Leftovers(Dst()), QStringList());
}

TEST_F(FileOpsTest, FolderIntoItselfOrBelowAndObjectOntoItselfAreRefusedBeforeAnythingHappens)
{
    dir.createFile(QStringLiteral("src/f/sub/x"), "x");
    dir.createFile(QStringLiteral("src/first"), "first");
    const QString f = Src(QStringLiteral("f"));
    const QString first = Src(QStringLiteral("first"));
    struct Case { const char* what; bool move; QString target; QString refused; };
    for (const Case& c : {Case{"copy into itself", false, f, f}, Case{"copy below itself", false, f + QStringLiteral("/sub"), f},
                          Case{"copy onto itself", false, Src(), first}, Case{"move into itself", true, f, f},
                          Case{"move below itself", true, f + QStringLiteral("/sub"), f}}) {
        const Result r = c.move ? FileOps::Move({first, f}, c.target) : FileOps::Copy({first, f}, c.target);
        EXPECT_EQ(r.error, EINVAL) << c.what;
        EXPECT_EQ(r.number, 52) << c.what;
        EXPECT_EQ(r.failedPath, c.refused) << c.what;
        EXPECT_TRUE(r.completed.isEmpty()) << c.what;
        EXPECT_EQ(Entries(f), QStringList({QStringLiteral("sub")})) << c.what;
        EXPECT_EQ(Entries(f + QStringLiteral("/sub")), QStringList({QStringLiteral("x")})) << c.what;
        EXPECT_TRUE(QFile::exists(first)) << c.what;
    }
}

TEST_F(FileOpsTest, ASecondObjectForATakenNameIsReportedInsteadOfOverwritingTheFirst)
{
    const QString one = dir.createFile(QStringLiteral("src/one/readme"), "first");
    const QString two = dir.createFile(QStringLiteral("src/two/readme"), "second");
    for (const bool move : {false, true}) {
        const Result r = move ? FileOps::Move({one, two}, Dst()) : FileOps::Copy({one, two}, Dst());
        ASSERT_TRUE(r.ok()) << move;
        EXPECT_EQ(r.completed, QStringList({one})) << move;
        ASSERT_EQ(r.skipped.size(), 1) << move;
        EXPECT_EQ(r.skipped[0].path, two) << move;
        EXPECT_EQ(r.skipped[0].reason, Reason::NameTaken) << move;
        EXPECT_EQ(FileBytes(Dst(QStringLiteral("readme"))), "first") << move;
        EXPECT_EQ(FileBytes(two), "second") << move;
    }

    // Where the target folds case, Readme and README are one name, in the list and inside a folder;
    // where it does not, both stay.
    dir.createFile(QStringLiteral("src/case/Readme"), "upper");
    dir.createFile(QStringLiteral("src/case/README"), "capitals");
    FileOps::Control folding;
    folding.targetIgnoresCase = true;
    const Result folded = FileOps::Copy({Src(QStringLiteral("case"))}, Dst(), folding);
    ASSERT_TRUE(folded.ok());
    ASSERT_EQ(folded.skipped.size(), 1);
    EXPECT_EQ(folded.skipped[0].reason, Reason::NameTaken);
    EXPECT_EQ(Entries(Dst(QStringLiteral("case"))).size(), 1);
    const Result plain = FileOps::Copy({Src(QStringLiteral("case"))}, Dst(QStringLiteral("case")));
    ASSERT_TRUE(plain.ok());
    EXPECT_TRUE(plain.skipped.isEmpty());
    EXPECT_EQ(Entries(Dst(QStringLiteral("case/case"))), QStringList({QStringLiteral("README"), QStringLiteral("Readme")}));
}

TEST_F(FileOpsTest, OnVfatTwoNamesDifferingInCaseKeepTheFirst)
{
    const QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (mkfs.isEmpty())
        GTEST_SKIP() << "mkfs.vfat is not installed (Debian package dosfstools)";
    const QString image = dir.file(QStringLiteral("fat.img"));
    const QString mountPoint = dir.createFolder(QStringLiteral("fat"));
    dir.createFile(QStringLiteral("fat.img"), {});
    QFile::resize(image, 8 << 20);
    if (Quietly(mkfs, {image}) != 0 || Quietly(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), image, mountPoint}) != 0)
        GTEST_SKIP() << "cannot mount a vfat image here (no loop device or no vfat in this kernel)";
    dir.createFile(QStringLiteral("src/case/Readme"), "upper");
    dir.createFile(QStringLiteral("src/case/README"), "capitals");
    const Result r = FileOps::Copy({Src(QStringLiteral("case"))}, mountPoint);
    Quietly(QStringLiteral("umount"), {mountPoint});
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    ASSERT_EQ(r.skipped.size(), 1);
    EXPECT_EQ(r.skipped[0].reason, Reason::NameTaken);
}

TEST_F(FileOpsTest, CancelBetweenFilesAndBetweenChunksKeepsWhatIsDoneWholeAndTheRestUntouched)
{
    for (int i = 0; i < 5; ++i)
        dir.createFile(QStringLiteral("src/many/f%1").arg(i), QByteArray(1000, char('0' + i)));
    std::atomic<bool> cancel{false};
    int pumps = 0;
    struct CountingPump final : EventPump {
        int* count;
        explicit CountingPump(int* c) : count(c) {}
        void Pump() override { ++*count; }
    } pump(&pumps);
    FileOps::Control control;
    control.cancel = &cancel;
    control.pump = &pump;
    control.onProgress = [&](const FileOps::Progress& p) { cancel = p.objectsDone >= 2; };
    const Result between = FileOps::Copy({Src(QStringLiteral("many"))}, Dst(), control);
    EXPECT_TRUE(between.aborted);
    EXPECT_EQ(between.error, 0);
    EXPECT_TRUE(between.completed.isEmpty());
    EXPECT_EQ(between.objectsDone, 2);
    EXPECT_GT(pumps, 0);
    const QStringList copied = Entries(Dst(QStringLiteral("many")));
    ASSERT_EQ(copied.size(), 2);
    for (const QString& name : copied)
        EXPECT_EQ(FileBytes(Dst(QStringLiteral("many/") + name)), FileBytes(Src(QStringLiteral("many/") + name)));

    // 24 MiB are three chunks: cancelled after the first, the old target stays.
    dir.createFile(QStringLiteral("src/big"), QByteArray(24 << 20, 'n'));
    dir.createFile(QStringLiteral("dst/big"), "old target");
    cancel = false;
    control.onProgress = [&](const FileOps::Progress& p) { cancel = p.bytesDone > 0; };
    const Result within = FileOps::Copy({Src(QStringLiteral("big"))}, Dst(), control);
    EXPECT_TRUE(within.aborted);
    EXPECT_GT(within.bytesDone, 0);
    EXPECT_LT(within.bytesDone, 24 << 20);
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("big"))), "old target");
    EXPECT_EQ(Leftovers(Dst()), QStringList());
}

TEST_F(FileOpsTest, FullDiskKeepsTheOldTargetAndWhatWasCopiedBefore)
{
    Tmpfs small(dir.file(QStringLiteral("small")), "size=1m");
    MOUNT_OR_SKIP(small);
    const QString target = dir.file(QStringLiteral("small"));
    dir.createFile(QStringLiteral("small/big"), "old target");
    dir.createFile(QStringLiteral("src/first"), "first");
    dir.createFile(QStringLiteral("src/big"), QByteArray(3 << 20, 'x'));
    const Result r = FileOps::Copy({Src(QStringLiteral("first")), Src(QStringLiteral("big"))}, target);
    EXPECT_EQ(r.error, ENOSPC);
    EXPECT_EQ(r.number, 61);
    // Named where the user must look: the full disk's side.
    EXPECT_EQ(r.failedPath, dir.file(QStringLiteral("small/big")));
    EXPECT_EQ(r.completed, QStringList({Src(QStringLiteral("first"))}));
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("small/big"))), "old target");
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("small/first"))), "first");
    EXPECT_EQ(Entries(target), QStringList({QStringLiteral("big"), QStringLiteral("first")}));
}

TEST_F(FileOpsTest, FileSizeLimitKeepsTheOldTarget)
{
    dir.createFile(QStringLiteral("src/big"), QByteArray(1 << 20, 'x'));
    dir.createFile(QStringLiteral("dst/big"), "old target");
    const int failed = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {64 << 10, 64 << 10};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 1;
        const Result r = FileOps::Copy({Src(QStringLiteral("big"))}, Dst());
        if (r.error != EFBIG || r.failedPath != Dst(QStringLiteral("big")))
            return 2;
        if (FileBytes(Dst(QStringLiteral("big"))) != "old target")
            return 3;
        return Entries(Dst()) == QStringList({QStringLiteral("big")}) ? 0 : 4;
    });
    EXPECT_EQ(failed, 0);
}

TEST_F(FileOpsTest, ReadErrorsKeepTheOldTargetAndStopAFolderCopyAtTheFailingFile)
{
    // Reading /proc/self/mem at offset 0 fails (EIO): the page is not mapped.
    dir.createFile(QStringLiteral("dst/mem"), "old target");
    const Result io = FileOps::Copy({QStringLiteral("/proc/self/mem")}, Dst());
    EXPECT_EQ(io.error, EIO);
    EXPECT_EQ(io.number, 57);
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("mem"))), "old target");
    EXPECT_EQ(Entries(Dst()), QStringList({QStringLiteral("mem")}));

    for (const char* name : {"a", "b", "c", "d"})
        dir.createFile(QStringLiteral("src/tree/") + QLatin1String(name), QByteArray("new ") + name);
    const QString locked = Src(QStringLiteral("tree/c"));
    ::chmod(Native(locked).constData(), 0);
    dir.createFile(QStringLiteral("dst/tree/c"), "old c");
    ShareWithNobody({Dst(), Dst(QStringLiteral("tree")), Dst(QStringLiteral("tree/c"))});
    ::chmod(Native(Src()).constData(), 0755);
    ::chmod(Native(Src(QStringLiteral("tree"))).constData(), 0755);
    const int failed = InChild([&] {
        const Result r = FileOps::Copy({Src(QStringLiteral("tree"))}, Dst());
        if (r.error != EACCES || r.number != 70 || r.failedPath != locked || !r.completed.isEmpty())
            return 1;
        if (FileBytes(Dst(QStringLiteral("tree/c"))) != "old c")
            return 2;
        for (const QString& name : Entries(Dst(QStringLiteral("tree"))))
            if (name != QStringLiteral("c") && FileBytes(Dst(QStringLiteral("tree/") + name)) != "new " + Native(name))
                return 3;
        return Leftovers(Dst()).isEmpty() ? 0 : 4;
    }, true);
    EXPECT_EQ(failed, 0);
}

TEST_F(FileOpsTest, KillInTheMiddleOfACopyLeavesTheOldTargetWhole)
{
    const QByteArray data(48 << 20, 'n');
    dir.createFile(QStringLiteral("src/big"), data);
    dir.createFile(QStringLiteral("dst/big"), "old target");
    const KilledChild child = KillChildAtStop([&](const std::function<void()>& stop) {
        FileOps::Control control;
        control.onProgress = [&](const FileOps::Progress& p) {
            if (p.bytesDone != 0)
                stop();
        };
        FileOps::Copy({Src(QStringLiteral("big"))}, Dst(), control);
    });
    ASSERT_TRUE(child.reachedStop);
    EXPECT_TRUE(child.killed);

    EXPECT_EQ(FileBytes(Dst(QStringLiteral("big"))), "old target");
    // The half copy exists only under its hidden temporary name.
    const QStringList left = Entries(Dst());
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[1], QStringLiteral("big"));
    EXPECT_TRUE(left[0].startsWith(QStringLiteral(".parvex-")));
    EXPECT_LT(ObjectStat(Dst(left[0])).st_size, data.size());
    EXPECT_EQ(FileBytes(Src(QStringLiteral("big"))), data);
}

TEST_F(FileOpsTest, MoveWithinAFileSystemRenamesAndMergesFolders)
{
    const QString moved = dir.createFile(QStringLiteral("src/file"), "file");
    const ino_t inode = ObjectStat(moved).st_ino;
    dir.createFile(QStringLiteral("src/tree/sub/new"), "new");
    dir.createFile(QStringLiteral("src/tree/same"), "new same");
    dir.createFile(QStringLiteral("dst/tree/same"), "old same");
    dir.createFile(QStringLiteral("dst/tree/sub/other"), "other");
    const Result r = FileOps::Move({moved, Src(QStringLiteral("tree"))}, Dst());
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(r.completed.size(), 2);
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("file"))).st_ino, inode);
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/same"))), "new same");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/sub/new"))), "new");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("tree/sub/other"))), "other");
    EXPECT_EQ(Entries(Src()), QStringList());
}

TEST_F(FileOpsTest, MoveAcrossFileSystemsDeletesOnlyWhatArrivedAndNothingWhenTheCopyFailed)
{
    Tmpfs other(dir.file(QStringLiteral("other")), "size=1m");
    MOUNT_OR_SKIP(other);
    const QString target = dir.file(QStringLiteral("other"));
    dir.createFileAt(QStringLiteral("src/tree/a"), "a", 1500000000, 42);
    MakeLink(QStringLiteral("a"), Src(QStringLiteral("tree/link")));
    ASSERT_EQ(::mkfifo(Native(Src(QStringLiteral("tree/pipe"))).constData(), 0600), 0);
    const Result r = FileOps::Move({Src(QStringLiteral("tree"))}, target);
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(r.completed, QStringList({Src(QStringLiteral("tree"))}));
    EXPECT_EQ(FileBytes(target + QStringLiteral("/tree/a")), "a");
    EXPECT_EQ(ObjectStat(target + QStringLiteral("/tree/a")).st_mtim.tv_nsec, 42);
    EXPECT_EQ(LinkText(target + QStringLiteral("/tree/link")), QStringLiteral("a"));
    // The pipe was made anew on the other side, so nothing of the tree stays.
    EXPECT_TRUE(S_ISFIFO(ObjectStat(target + QStringLiteral("/tree/pipe")).st_mode));
    EXPECT_FALSE(QFileInfo::exists(Src(QStringLiteral("tree"))));

    dir.createFile(QStringLiteral("src/full/small"), "small");
    dir.createFile(QStringLiteral("src/full/zbig"), QByteArray(3 << 20, 'z'));
    const Result full = FileOps::Move({Src(QStringLiteral("full"))}, target);
    EXPECT_EQ(full.error, ENOSPC);
    EXPECT_TRUE(full.completed.isEmpty());
    EXPECT_EQ(FileBytes(Src(QStringLiteral("full/small"))), "small");
    EXPECT_EQ(FileBytes(Src(QStringLiteral("full/zbig"))), QByteArray(3 << 20, 'z'));
}

TEST_F(FileOpsTest, TrashTakesObjectsAndARefusalKeepsThem)
{
    const QString home = dir.createFolder(QStringLiteral("xdg"));
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", Native(home));
    const QString file = dir.createFile(QStringLiteral("src/file"), "file");
    dir.createFile(QStringLiteral("src/folder/inside"), "inside");
    const Result r = FileOps::MoveToTrash({file, Src(QStringLiteral("folder"))});
    EXPECT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(FileBytes(home + QStringLiteral("/Trash/files/file")), "file");
    EXPECT_EQ(FileBytes(home + QStringLiteral("/Trash/files/folder/inside")), "inside");
    EXPECT_TRUE(QFile::exists(home + QStringLiteral("/Trash/info/file.trashinfo")));
    EXPECT_TRUE(QFile::exists(home + QStringLiteral("/Trash/info/folder.trashinfo")));
    EXPECT_EQ(Entries(Src()), QStringList());

    // As an ordinary user: a trash folder it cannot write, and a file system with no trash it may make,
    // whose files cannot be renamed into the home trash.
    Tmpfs other(dir.file(QStringLiteral("other")), "size=1m,mode=0755");
    const QString locked = dir.createFolder(QStringLiteral("locked"));
    dir.createFolder(QStringLiteral("locked/Trash"));
    const QString mine = dir.createFile(QStringLiteral("src/mine"), "mine");
    ShareWithNobody({Src(), mine, home, dir.file(QStringLiteral("xdg/Trash")), dir.file(QStringLiteral("xdg/Trash/files")), dir.file(QStringLiteral("xdg/Trash/info"))});
    ::chmod(Native(locked).constData(), 0755);
    ::chmod(Native(locked + QStringLiteral("/Trash")).constData(), 0555);
    const int unwritable = InChild([&] {
        qputenv("XDG_DATA_HOME", Native(locked));
        const Result refused = FileOps::MoveToTrash({mine});
        return refused.error != 0 && refused.failedPath == mine && refused.completed.isEmpty() && FileBytes(mine) == "mine" ? 0 : 1;
    }, true);
    EXPECT_EQ(unwritable, 0);
    if (other.mounted()) {
        const QString away = dir.createFile(QStringLiteral("other/mine/away"), "away");
        GiveToNobody(dir.file(QStringLiteral("other/mine")));
        GiveToNobody(away);
        const int crossDevice = InChild([&] {
            const Result refused = FileOps::MoveToTrash({away});
            return refused.error == EXDEV && refused.failedPath == away && FileBytes(away) == "away" ? 0 : 1;
        }, true);
        EXPECT_EQ(crossDevice, 0);
    }
    if (oldHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldHome);
}

// A run keeps the trash it found open; a trash removed meanwhile (emptied by another program, folders and
// all) is found again, and nothing is ever put into the folders that went.
TEST_F(FileOpsTest, ARunFindsItsTrashAgainAfterItWasRemoved)
{
    const QString home = dir.createFolder(QStringLiteral("xdg"));
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", Native(home));
    FileOps::RunMemory memory;
    FileOps::Control control;
    control.memory = &memory;
    const QString trash = home + QStringLiteral("/Trash");
    for (const QString& name : {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}) {
        const QString file = dir.createFile(QStringLiteral("src/") + name, name.toUtf8());
        const Result r = FileOps::MoveToTrash({file}, control);
        EXPECT_TRUE(r.ok()) << qPrintable(name) << ": " << qPrintable(r.errorText);
        EXPECT_EQ(FileBytes(trash + QStringLiteral("/files/") + name), name.toUtf8());
        EXPECT_TRUE(FileBytes(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo")).contains("Path="));
        if (name == QLatin1String("first")) {
            ASSERT_TRUE(QDir(trash).removeRecursively()); // the whole trash
        } else if (name == QLatin1String("second")) {
            ASSERT_TRUE(QDir(trash + QStringLiteral("/info")).removeRecursively()); // only the notes
        }
    }
    EXPECT_EQ(Entries(Src()), QStringList());
    if (oldHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldHome);
}

// A fresh account has no data folder yet: the trash is made there. Where none can be made, the object
// stays where it was and the call fails, instead of the object landing in "files/" of the working folder.
TEST_F(FileOpsTest, TrashWithoutADataFolderMakesOneOrKeepsTheObject)
{
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    const QString oldCwd = QDir::currentPath();
    const QString cwd = dir.createFolder(QStringLiteral("cwd"));
    QDir::setCurrent(cwd);

    const QString fresh = dir.file(QStringLiteral("fresh/share"));
    qputenv("XDG_DATA_HOME", Native(fresh));
    const QString file = dir.createFile(QStringLiteral("src/file"), "file");
    const Result made = FileOps::MoveToTrash({file});
    EXPECT_TRUE(made.ok()) << qPrintable(made.errorText);
    EXPECT_EQ(FileBytes(fresh + QStringLiteral("/Trash/files/file")), "file");

    dir.createFile(QStringLiteral("blocker"), "not a folder");
    qputenv("XDG_DATA_HOME", Native(dir.file(QStringLiteral("blocker/share"))));
    const QString kept = dir.createFile(QStringLiteral("src/kept"), "kept");
    const Result refused = FileOps::MoveToTrash({kept});
    EXPECT_NE(refused.error, 0);
    EXPECT_TRUE(refused.completed.isEmpty());
    EXPECT_EQ(FileBytes(kept), "kept");
    EXPECT_EQ(Entries(cwd), QStringList());

    QDir::setCurrent(oldCwd);
    if (oldHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldHome);
}

TEST_F(FileOpsTest, DeleteRemovesLinksAsLinksAndReportsWhereItStopped)
{
    dir.createFile(QStringLiteral("outside/keep"), "keep");
    dir.createFile(QStringLiteral("src/tree/sub/x"), "x");
    MakeLink(dir.file(QStringLiteral("outside")), Src(QStringLiteral("tree/sub/tofolder")));
    MakeLink(dir.file(QStringLiteral("outside/keep")), Src(QStringLiteral("tree/tofile")));
    ASSERT_EQ(::mkfifo(Native(Src(QStringLiteral("tree/pipe"))).constData(), 0600), 0);
    const QString file = dir.createFile(QStringLiteral("src/file"), "file");
    const Result r = FileOps::DeletePermanently({Src(QStringLiteral("tree")), file});
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(r.objectsDone, 7);
    EXPECT_EQ(Entries(Src()), QStringList());
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("outside/keep"))), "keep");

    const QString locked = dir.createFile(QStringLiteral("src/locked/inner/x"), "x");
    ShareWithNobody({Src(), Src(QStringLiteral("locked"))});
    ::chmod(Native(Src(QStringLiteral("locked/inner"))).constData(), 0755);
    const int failed = InChild([&] {
        const Result refused = FileOps::DeletePermanently({Src(QStringLiteral("locked"))});
        return refused.error == EACCES && refused.number == 70 && refused.failedPath == locked && FileBytes(locked) == "x" ? 0 : 1;
    }, true);
    EXPECT_EQ(failed, 0);

    const Result missing = FileOps::DeletePermanently({Src(QStringLiteral("missing"))});
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.number, 53);
    const Result noFolder = FileOps::Copy({}, dir.file(QStringLiteral("no/such/folder")));
    EXPECT_EQ(noFolder.error, ENOENT);
    EXPECT_EQ(noFolder.number, 76);
}

TEST_F(FileOpsTest, RenameNeverReplacesAnExistingObjectAndRefusesNamesWithAPath)
{
    const QString a = dir.createFile(QStringLiteral("src/a"), "a");
    const QString b = dir.createFile(QStringLiteral("src/b"), "b");
    const Result taken = FileOps::Rename(a, QStringLiteral("b"));
    EXPECT_EQ(taken.error, EEXIST);
    EXPECT_EQ(FileBytes(a), "a");
    EXPECT_EQ(FileBytes(b), "b");
    for (const char* bad : {"", ".", "..", "x/y", "../a"})
        EXPECT_EQ(FileOps::Rename(a, QString::fromUtf8(bad)).error, EINVAL) << bad;

    const ino_t inode = ObjectStat(a).st_ino;
    const Result renamed = FileOps::Rename(a, QStringLiteral("c"));
    ASSERT_TRUE(renamed.ok());
    EXPECT_EQ(ObjectStat(Src(QStringLiteral("c"))).st_ino, inode);
    EXPECT_EQ(Entries(Src()), QStringList({QStringLiteral("b"), QStringLiteral("c")}));

    // Another hard link of the file under the new spelling: a rename onto it would do nothing at all.
    ASSERT_EQ(::link(Native(b).constData(), Native(Src(QStringLiteral("B"))).constData()), 0);
    EXPECT_EQ(FileOps::Rename(b, QStringLiteral("B")).error, EEXIST);
    EXPECT_EQ(Entries(Src()), QStringList({QStringLiteral("B"), QStringLiteral("b"), QStringLiteral("c")}));
}
