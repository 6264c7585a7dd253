#include "FuseMounts.h"
#include "SyncCommandFixture.h"
#include "RawNames.h"
#include "TestSupport.h"
#include "Tmpfs.h"
#include "TreeManifest.h"
#include "VariedTree.h"
#include "Unprivileged.h"

#include "base/Path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

// Synchronisations through parvexcmd on real folders: what a mirror keeps (the yardsticks are cp -a and
// rsync -a --delete), and that no run ever writes outside the two folders, puts two names on one, or takes
// its own leftovers or a trash folder for the user's data.
namespace {

constexpr qint64 T0 = 1685620800;

QByteArray Native(const QString& path) { return EncodeFileName(path); }

void Link(const char* target, const QString& at) { ASSERT_EQ(::symlink(target, Native(at).constData()), 0) << qPrintable(at); }

void SetTimes(const QString& path, qint64 seconds, long nanoseconds = 0)
{
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Native(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0) << qPrintable(path);
}

bool Exists(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

QString ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

} // namespace

class Mirror : public SyncCommandTest
{
};

TEST_F(Mirror, MakeRightSameAsLeftCopiesEveryKindOfObjectWithItsMetadata)
{
    const RawTreeCleanup cleanup(tmp.path());
    MakeVariedTree(tmp, left);
    // The right holds an older state: a link to another version, a folder where the left has a file, a
    // file where the left has a folder, an extra folder deep inside, a differently spelled counterpart and
    // modes the left does not have.
    tmp.createFileAt(QStringLiteral("right/v1"), "same", T0);
    tmp.createFileAt(QStringLiteral("right/v2"), "same", T0);
    Link("v1", right + QStringLiteral("/current"));
    // (A counterpart equal by the comparison's rules is renamed, not copied: it has the same time and
    // attributes here, which a comparison does not look at.)
    tmp.createFileAt(QStringLiteral("right/PLAIN.txt"), "plain", T0, 123456789);
    ASSERT_EQ(::setxattr(Native(right + QStringLiteral("/PLAIN.txt")).constData(), "user.origin", "camera", 6, 0), 0);
    tmp.createFileAt(QStringLiteral("right/sub/empty/stray/old.txt"), "stray", T0);
    tmp.createFileAt(QStringLiteral("right/sub/inner.txt/was-a-folder"), "x", T0);
    tmp.createFileAt(QStringLiteral("right/twins/DOCS/a"), "older", T0 - 100);
    tmp.createFileAt(QStringLiteral("right/extra/deep/file"), "extra", T0);

    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    const QStringList source = TreeManifest(left, Everything());
    const QStringList target = TreeManifest(right, Everything());
    EXPECT_EQ(source, target) << qPrintable(ManifestDiffText(source, target));
    // (diff calls two FIFOs different whatever they are; the manifest above has compared them.)
    EXPECT_EQ(Quietly(QStringLiteral("diff"), {QStringLiteral("-r"), QStringLiteral("--no-dereference"), QStringLiteral("-x"),
                                               QStringLiteral("pipe"), left, right}),
              0);
    // The sparse file stayed sparse.
    struct stat st {};
    ASSERT_EQ(::stat(Native(right + QStringLiteral("/sparse.img")).constData(), &st), 0);
    EXPECT_LT(qint64(st.st_blocks) * 512, qint64(1) << 20);
    // And the next comparison finds nothing to do.
    EXPECT_EQ(Compare(), 0) << qPrintable(Out());
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--dry-run")}), 0) << qPrintable(Out());
    EXPECT_EQ(lines, QStringList());
}

TEST_F(Mirror, ModeOnlyChangesAndSpellingsAreOperationsOfTheirOwn)
{
    tmp.createFileAt(QStringLiteral("left/run.sh"), "#!/bin/sh\n", T0);
    tmp.createFileAt(QStringLiteral("right/run.sh"), "#!/bin/sh\n", T0);
    ::chmod(Native(left + QStringLiteral("/run.sh")).constData(), 0755);
    ::chmod(Native(right + QStringLiteral("/run.sh")).constData(), 0644);
    tmp.createFileAt(QStringLiteral("left/cmake/FindCARES.cmake"), "find", T0);
    tmp.createFileAt(QStringLiteral("left/cmake/other"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/cmake/FindCares.cmake"), "find", T0);
    tmp.createFileAt(QStringLiteral("right/cmake/other"), "1", T0);

    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--dry-run")}), 0) << qPrintable(Out());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("mode-to-right\trun.sh"),
                                  QStringLiteral("rename-right\tcmake/FindCARES.cmake")}));
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    struct stat st {};
    ASSERT_EQ(::stat(Native(right + QStringLiteral("/run.sh")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(Entries(right + QStringLiteral("/cmake")), (QStringList{QStringLiteral("FindCARES.cmake"), QStringLiteral("other")}));
    // Other methods leave modes and spellings alone.
    ::chmod(Native(right + QStringLiteral("/run.sh")).constData(), 0600);
    EXPECT_EQ(Sync(QStringLiteral("both-ways"), {QStringLiteral("--dry-run")}), 0) << qPrintable(Out());
    EXPECT_EQ(lines, QStringList());
}

TEST_F(Mirror, NoMethodWritesThroughALinkInTheTarget)
{
    const QString elsewhere = tmp.createFolder(QStringLiteral("elsewhere"));
    tmp.createFileAt(QStringLiteral("elsewhere/f"), "outside, keep", T0);
    tmp.createFileAt(QStringLiteral("left/a/sub/f"), "inside", T0 + 100);
    tmp.createFolder(QStringLiteral("right/a"));
    Link(Native(elsewhere).constData(), right + QStringLiteral("/a/sub"));

    for (const char* method : {"both-ways", "orphans-to-right"}) {
        const int code = Sync(QString::fromLatin1(method));
        EXPECT_NE(code, -1) << method;
        EXPECT_EQ(ReadText(elsewhere + QStringLiteral("/f")), QStringLiteral("outside, keep")) << method << qPrintable(Out());
        EXPECT_EQ(Entries(elsewhere), QStringList{QStringLiteral("f")}) << method;
        if (code == 0) // only when the link was not in the way: nothing was written through it
            ADD_FAILURE() << method << " reported success while its file could not be written";
    }
    // The mirror replaces the link with the folder.
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    struct stat st {};
    ASSERT_EQ(::lstat(Native(right + QStringLiteral("/a/sub")).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(ReadText(right + QStringLiteral("/a/sub/f")), QStringLiteral("inside"));
    EXPECT_EQ(ReadText(elsewhere + QStringLiteral("/f")), QStringLiteral("outside, keep"));
}

TEST_F(Mirror, LinksAreComparedByTheirTargetTextAndDanglingOnesAreTrashed)
{
    tmp.createFileAt(QStringLiteral("left/v1"), "same", T0);
    tmp.createFileAt(QStringLiteral("left/v2"), "same", T0);
    tmp.createFileAt(QStringLiteral("right/v1"), "same", T0);
    tmp.createFileAt(QStringLiteral("right/v2"), "same", T0);
    Link("v2", left + QStringLiteral("/current"));
    Link("v1", right + QStringLiteral("/current"));
    SetTimes(left + QStringLiteral("/current"), T0);
    SetTimes(right + QStringLiteral("/current"), T0);
    // A link against a regular file of the same name, and a dangling link only on the right.
    Link("v1", left + QStringLiteral("/kind"));
    tmp.createFileAt(QStringLiteral("right/kind"), "same", T0);
    Link("gone-for-good", right + QStringLiteral("/broken"));

    EXPECT_EQ(Compare(), 1);
    EXPECT_TRUE(lines.contains(QStringLiteral("current\t2\tBinary\tcurrent\t2\tBinary"))) << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("kind\t2\tBinary\tkind\t4\tBinary"))) << qPrintable(Out());

    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    char text[16] = {};
    ASSERT_EQ(::readlink(Native(right + QStringLiteral("/current")).constData(), text, sizeof text - 1), 2);
    EXPECT_STREQ(text, "v2");
    EXPECT_FALSE(Exists(right + QStringLiteral("/broken")));
    EXPECT_TRUE(Exists(right + QStringLiteral("/v1"))); // the link's old target is not touched
    // The dangling link went to the trash as a link.
    const QString trashed = QDir::homePath() + QStringLiteral("/.local/share/Trash/files/broken");
    struct stat st {};
    ASSERT_EQ(::lstat(Native(trashed).constData(), &st), 0) << qPrintable(trashed);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Compare(), 0) << qPrintable(Out());
}

TEST_F(Mirror, CaseTwinsNeverLandOnOneName)
{
    tmp.createFileAt(QStringLiteral("left/sub/Docs/a"), "upper", T0 + 10);
    tmp.createFileAt(QStringLiteral("left/sub/docs/a"), "lower", T0 + 10);
    tmp.createFileAt(QStringLiteral("right/sub/DOCS/a"), "older", T0);
    // Copies only: both twins reach the right, each under its own name.
    EXPECT_EQ(Sync(QStringLiteral("orphans-to-right")), 0) << qPrintable(Out());
    EXPECT_EQ(ReadText(right + QStringLiteral("/sub/docs/a")), QStringLiteral("lower"));
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    EXPECT_EQ(Entries(right + QStringLiteral("/sub")), (QStringList{QStringLiteral("Docs"), QStringLiteral("docs")}));
    EXPECT_EQ(ReadText(right + QStringLiteral("/sub/Docs/a")), QStringLiteral("upper"));
    EXPECT_EQ(ReadText(right + QStringLiteral("/sub/docs/a")), QStringLiteral("lower"));
    EXPECT_EQ(Compare(), 0) << qPrintable(Out());
}

TEST_F(Mirror, ACaseIgnoringTargetTakesOneTwinAndNamesTheOther)
{
    FatImage fat(16 * 1024 * 1024);
    MOUNT_OR_SKIP(fat);
    const QString target = fat.path();
    ASSERT_EQ(::mkdir(Native(target + QStringLiteral("/sub")).constData(), 0755), 0);
    ASSERT_EQ(::mkdir(Native(target + QStringLiteral("/sub/DOCS")).constData(), 0755), 0);
    tmp.createFileAt(QStringLiteral("left/sub/Docs/a"), "upper", T0 + 10);
    tmp.createFileAt(QStringLiteral("left/sub/docs/a"), "lower", T0 + 10);
    ASSERT_EQ(Entries(target), QStringList{QStringLiteral("sub")});
    // (One run: the FUSE driver of this machine is known to lose a folder's listing after a while.)
    for (int run = 0; run < 1; ++run) {
        EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {}, left, target), 2) << run << qPrintable(Out());
        EXPECT_TRUE(errors.contains(QStringLiteral("failed\tsub/docs/a"))) << run << qPrintable(Out());
        EXPECT_FALSE(lines.contains(QStringLiteral("copy-to-right\tsub/docs/a"))) << run << qPrintable(Out());
        EXPECT_NE(ReadText(target + QStringLiteral("/sub/Docs/a")), QStringLiteral("lower")) << run;
    }
}

TEST_F(Mirror, ExcludedObjectsStayWithTheirFolder)
{
    tmp.createFileAt(QStringLiteral("left/keep.txt"), "k", T0);
    tmp.createFileAt(QStringLiteral("right/keep.txt"), "k", T0);
    tmp.createFileAt(QStringLiteral("right/old/important.bak"), "backup", T0);
    tmp.createFileAt(QStringLiteral("right/old/junk.txt"), "junk", T0);
    tmp.createFileAt(QStringLiteral("right/old/clean/x.txt"), "x", T0);
    tmp.createFileAt(QStringLiteral("right/gone/y.txt"), "y", T0);
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--exclude"), QStringLiteral("*.bak")}), 0)
        << qPrintable(Out());
    EXPECT_EQ(Entries(right + QStringLiteral("/old")), QStringList{QStringLiteral("important.bak")});
    EXPECT_FALSE(Exists(right + QStringLiteral("/gone")));
    // Nothing left to do: the folder holds only what the filters leave out.
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--exclude"), QStringLiteral("*.bak"),
                                                          QStringLiteral("--dry-run")}),
              0);
    EXPECT_EQ(lines, QStringList());
}

TEST_F(Mirror, OwnLeftoversAndTrashFoldersAreNeverUserData)
{
    // A killed run's half copy: its process is long gone.
    tmp.createFileAt(QStringLiteral("right/sub/.parvex-999999-3.tmp"), "half a fi", T0);
    tmp.createFileAt(QStringLiteral("left/sub/new.txt"), "new", T0);
    tmp.createFileAt(QStringLiteral("right/sub/old.txt"), "old", T0);
    tmp.createFileAt(QStringLiteral("left/sub/old.txt"), "old", T0);
    EXPECT_EQ(Compare(), 1);
    EXPECT_FALSE(Out().contains(QStringLiteral(".parvex-"))) << qPrintable(Out());
    EXPECT_EQ(Sync(QStringLiteral("both-ways")), 0) << qPrintable(Out());
    EXPECT_FALSE(Exists(left + QStringLiteral("/sub/.parvex-999999-3.tmp")));
    // The run that wrote into that folder cleared the leftover.
    EXPECT_FALSE(Exists(right + QStringLiteral("/sub/.parvex-999999-3.tmp")));

    // The target at the top of its own file system: the trash of its deletions lands inside it.
    Tmpfs fs(tmp.path() + QStringLiteral("/mnt"), "size=8m");
    MOUNT_OR_SKIP(fs);
    const QString top = tmp.path() + QStringLiteral("/mnt");
    tmp.createFileAt(QStringLiteral("mnt/a.txt"), "a", T0);
    tmp.createFileAt(QStringLiteral("mnt/stale.txt"), "stale", T0);
    tmp.createFileAt(QStringLiteral("src/a.txt"), "a", T0);
    const QString src = tmp.path() + QStringLiteral("/src");
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {}, src, top), 0) << qPrintable(Out());
    EXPECT_TRUE(Exists(top + QStringLiteral("/.Trash-0")) || Exists(top + QStringLiteral("/.Trash-") + QString::number(::getuid())));
    EXPECT_EQ(Compare(src, top), 0) << qPrintable(Out());
    EXPECT_EQ(Sync(QStringLiteral("both-ways"), {}, src, top), 0) << qPrintable(Out());
    EXPECT_EQ(Entries(src), QStringList{QStringLiteral("a.txt")});
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {}, src, top), 0) << qPrintable(Out());
}

TEST_F(Mirror, SpecialFilesAreMadeOrReportedHonestly)
{
    ASSERT_EQ(::mkfifo(Native(left + QStringLiteral("/pipe")).constData(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::mknod(Native(left + QStringLiteral("/null")).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    struct stat st {};
    ASSERT_EQ(::lstat(Native(right + QStringLiteral("/pipe")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    if (!root)
        return;
    ASSERT_EQ(::lstat(Native(right + QStringLiteral("/null")).constData(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(st.st_rdev, makedev(1, 3));

    // Without root a device node cannot be made: it is named, left as it was, and the run says so.
    const QString other = tmp.createFolder(QStringLiteral("other"));
    ::chmod(Native(tmp.path()).constData(), 0755);
    ::chown(Native(other).constData(), NobodyUid, NobodyUid);
    const QString log = other + QStringLiteral("/../nobody.log");
    // The program in a folder every user may enter and run from.
    QTemporaryDir shared(QStringLiteral("/tmp/parvex-shared-XXXXXX"));
    ASSERT_TRUE(shared.isValid());
    ::chmod(Native(shared.path()).constData(), 0755);
    for (const char* file : {"/parvexcmd", "/libparvexlib.so"}) {
        ASSERT_TRUE(QFile::copy(bin + QLatin1String(file), shared.path() + QLatin1String(file)));
        ::chmod(Native(shared.path() + QLatin1String(file)).constData(), 0755);
    }
    const QString program = shared.path() + QStringLiteral("/parvexcmd");
    const QByteArray command = "HOME='" + Native(other) + "' '" + Native(program) + "' sync --sync right-same-as-left '"
                               + Native(left) + "' '" + Native(other) + "' 2>'" + Native(log) + "' >/dev/null";
    ::chmod(Native(tmp.path()).constData(), 0777);
    // The test's own folders may sit below a private one: the unprivileged user must pass through.
    for (QString up = QFileInfo(tmp.path()).path(); up.size() > 1 && up != QStringLiteral("/tmp"); up = QFileInfo(up).path()) {
        struct stat folder {};
        if (::stat(Native(up).constData(), &folder) == 0)
            ::chmod(Native(up).constData(), (folder.st_mode & 07777) | S_IXOTH);
    }
    const int code = RunAsNobody([&] {
        const int status = ::system(command.constData());
        if (!WIFEXITED(status))
            return 1;
        if (WEXITSTATUS(status) != 2)
            return 10 + WEXITSTATUS(status);
        if (!ReadText(log).contains(QStringLiteral("failed\tnull")))
            return 3;
        struct stat there {};
        if (::lstat(Native(other + QStringLiteral("/pipe")).constData(), &there) != 0 || !S_ISFIFO(there.st_mode))
            return 4;
        return ::lstat(Native(other + QStringLiteral("/null")).constData(), &there) == 0 ? 5 : 0;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(Mirror, AFileSizeLimitIsAFailureLikeAnyOther)
{
    tmp.createFileAt(QStringLiteral("left/small.txt"), "small", T0);
    tmp.createFileAt(QStringLiteral("left/big.bin"), QByteArray(256 * 1024, 'b'), T0);
    tmp.createFileAt(QStringLiteral("right/big.bin"), "the old one", T0 - 100);
    const QString program = bin + QStringLiteral("/parvexcmd");
    const int code = InChild([&] {
        const rlimit limit{64 * 1024, 64 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 1;
        QProcess p;
        p.start(program, {QStringLiteral("sync"), QStringLiteral("--sync"), QStringLiteral("right-same-as-left"), left, right});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return 2;
        if (p.exitCode() != 2)
            return 3;
        return QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("big.bin")) ? 0 : 4;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadText(right + QStringLiteral("/big.bin")), QStringLiteral("the old one"));
    EXPECT_EQ(Leftovers(right), QStringList());
}

TEST_F(Mirror, ReasonsNameTheRightObject)
{
    // A read-only target: the deletion's trash and the copy both fail there, each named with the target's
    // own path and the system's reason.
    Tmpfs fs(tmp.path() + QStringLiteral("/ro"), "size=1m");
    MOUNT_OR_SKIP(fs);
    const QString target = tmp.path() + QStringLiteral("/ro");
    tmp.createFileAt(QStringLiteral("ro/old.txt"), "old", T0);
    ASSERT_EQ(::mount(nullptr, Native(target).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    tmp.createFileAt(QStringLiteral("left/new.txt"), "new", T0);
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {}, left, target), 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("failed\told.txt\t") + QString::number(EROFS) + QStringLiteral(" - ")))
        << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("/ro/old.txt)\n"))) << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("failed\tnew.txt\t") + QString::number(EROFS) + QStringLiteral(" - ")))
        << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("/ro/new.txt)\n"))) << qPrintable(Out());

    // A run whose history record cannot be written does not end as a success.
    const QString history = bin + QStringLiteral("/SyncHist.Log");
    QFile::remove(history);
    ASSERT_TRUE(QDir().mkpath(history + QStringLiteral("/in-the-way")));
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 2) << qPrintable(Out());
    EXPECT_EQ(ReadText(right + QStringLiteral("/new.txt")), QStringLiteral("new"));
    EXPECT_TRUE(errors.contains(QStringLiteral("history"))) << qPrintable(Out());
}
