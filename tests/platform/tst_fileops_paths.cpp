#include "KilledChild.h"
#include "TestSupport.h"
#include "Tmpfs.h"
#include "Unprivileged.h"
#include "base/Path.h"
#include "platform/FileDescriptor.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// One object copied or moved to a full target path, names that are not UTF-8, paths longer than the
// system takes in one call, and the trash.

using FileOps::Result;
using Reason = FileOps::Skipped::Reason;

namespace {

QByteArray Native(const QString& path) { return EncodeFileName(path); }

QString LinkText(const QString& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(Native(path).constData(), buffer, sizeof buffer);
    return n > 0 ? DecodeFileName(QByteArray(buffer, n)) : QString();
}

void MakeLink(const QString& text, const QString& link) { ASSERT_EQ(::symlink(Native(text).constData(), Native(link).constData()), 0); }

// Points an environment variable elsewhere for the life of the object.
class ScopedEnv final
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    Q_DISABLE_COPY_MOVE(ScopedEnv)

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

// Opens a folder one level at a time, as no single call takes a path this long.
FileDescriptor OpenDeep(const QByteArray& path)
{
    FileDescriptor fd(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray& part : path.split('/'))
        if (!part.isEmpty() && fd.valid())
            fd = FileDescriptor(::openat(fd.get(), part.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return fd;
}

// The bytes of the file name in folder; "<unreadable>" when it cannot be read.
QByteArray DeepBytes(const QByteArray& folder, const QByteArray& name)
{
    const FileDescriptor parent = OpenDeep(folder);
    const FileDescriptor file(parent.valid() ? ::openat(parent.get(), name.constData(), O_RDONLY | O_CLOEXEC) : -1);
    if (!file.valid())
        return "<unreadable>";
    QByteArray data;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(file.get(), buffer, sizeof buffer)) > 0)
        data.append(buffer, n);
    return data;
}

bool DeepExists(const QByteArray& folder, const QByteArray& name)
{
    const FileDescriptor parent = OpenDeep(folder);
    struct stat st {};
    return parent.valid() && ::fstatat(parent.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

QByteArray NoteLine(const QByteArray& note, const QByteArray& key)
{
    for (const QByteArray& line : note.split('\n'))
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    return "<missing>";
}

class FileOpsPathsTest : public ::testing::Test
{
protected:
    QString Src(const QString& relative = {}) const { return dir.file(QStringLiteral("src/") + relative); }
    QString Dst(const QString& relative = {}) const { return dir.file(QStringLiteral("dst/") + relative); }
    void SetUp() override
    {
        dir.createFolder(QStringLiteral("src"));
        dir.createFolder(QStringLiteral("dst"));
    }

    TempDir dir;
};

} // namespace


TEST_F(FileOpsPathsTest, CopyAsWritesUnderTheTargetNameReplacingAFileOrALinkAndMergingAFolder)
{
    const QString a = dir.createFileAt(QStringLiteral("src/a"), "new", 1500000000, 7);
    dir.createFile(QStringLiteral("dst/B"), "old");
    const Result r = FileOps::CopyAs(a, Dst(QStringLiteral("B")));
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(r.completed, QStringList({a}));
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("B"))), "new");
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("B"))).st_mtim.tv_nsec, 7);
    EXPECT_EQ(FileBytes(a), "new");

    // A link is copied as a link over a file; a file replaces a link and never writes through it.
    MakeLink(QStringLiteral("a"), Src(QStringLiteral("link")));
    dir.createFile(QStringLiteral("dst/L"), "old L");
    ASSERT_TRUE(FileOps::CopyAs(Src(QStringLiteral("link")), Dst(QStringLiteral("L"))).ok());
    EXPECT_TRUE(S_ISLNK(ObjectStat(Dst(QStringLiteral("L"))).st_mode));
    EXPECT_EQ(LinkText(Dst(QStringLiteral("L"))), QStringLiteral("a"));
    const QString outside = dir.createFile(QStringLiteral("outside"), "outside");
    MakeLink(outside, Dst(QStringLiteral("toOutside")));
    ASSERT_TRUE(FileOps::CopyAs(a, Dst(QStringLiteral("toOutside"))).ok());
    EXPECT_TRUE(S_ISREG(ObjectStat(Dst(QStringLiteral("toOutside"))).st_mode));
    EXPECT_EQ(FileBytes(outside), "outside");

    // A folder fills the folder of the other name: its files replace, the others stay.
    dir.createFile(QStringLiteral("src/tree/x"), "new x");
    dir.createFile(QStringLiteral("src/tree/sub/y"), "y");
    dir.createFile(QStringLiteral("dst/Tree/x"), "old x");
    dir.createFile(QStringLiteral("dst/Tree/keep"), "keep");
    ASSERT_TRUE(FileOps::CopyAs(Src(QStringLiteral("tree")), Dst(QStringLiteral("Tree"))).ok());
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Tree/x"))), "new x");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Tree/sub/y"))), "y");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Tree/keep"))), "keep");
    EXPECT_EQ(Entries(Dst()), Strings({"B", "L", "Tree", "toOutside"}));
    EXPECT_EQ(Leftovers(Dst()), QStringList());

    // Refusals, each before anything is written.
    ASSERT_EQ(::link(Native(a).constData(), Native(Dst(QStringLiteral("hard"))).constData()), 0);
    struct Case { const char* what; QString source; QString target; int error; int number; };
    for (const Case& c : {Case{"folder onto a file", Src(QStringLiteral("tree")), Dst(QStringLiteral("B")), EEXIST, 75},
                          Case{"file onto a folder", a, Dst(QStringLiteral("Tree")), EISDIR, 75},
                          Case{"no target folder", a, Dst(QStringLiteral("none/B")), ENOENT, 76},
                          Case{"another link of itself", a, Dst(QStringLiteral("hard")), EINVAL, 52},
                          Case{"folder below itself", Src(QStringLiteral("tree")), Src(QStringLiteral("tree/sub/copy")), EINVAL, 52}}) {
        const Result refused = FileOps::CopyAs(c.source, c.target);
        EXPECT_EQ(refused.error, c.error) << c.what;
        EXPECT_EQ(refused.number, c.number) << c.what;
        EXPECT_TRUE(refused.completed.isEmpty()) << c.what;
    }
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("B"))), "new");
    EXPECT_EQ(Entries(Src(QStringLiteral("tree/sub"))), Strings({"y"}));
    EXPECT_EQ(Leftovers(dir.path()), QStringList());
}

TEST_F(FileOpsPathsTest, CopyAsKeepsTheOldTargetWholeWhenKilledFullOrUnreadable)
{
    const QByteArray data(48 << 20, 'n');
    const QString big = dir.createFile(QStringLiteral("src/big"), data);
    dir.createFile(QStringLiteral("dst/Other"), "old target");
    const KilledChild child = KillChildAtStop([&](const std::function<void()>& stop) {
        FileOps::Control control;
        control.onProgress = [&](const FileOps::Progress& p) {
            if (p.bytesDone != 0)
                stop();
        };
        FileOps::CopyAs(big, Dst(QStringLiteral("Other")), control);
    });
    ASSERT_TRUE(child.reachedStop);
    EXPECT_TRUE(child.killed);
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Other"))), "old target");
    const QStringList left = Entries(Dst());
    ASSERT_EQ(left.size(), 2);
    EXPECT_TRUE(left[0].startsWith(QStringLiteral(".parvex-")));
    EXPECT_EQ(left[1], QStringLiteral("Other"));
    ASSERT_TRUE(FileOps::DeletePermanently({Dst(left[0])}).ok());

    const int failed = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {64 << 10, 64 << 10};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 1;
        const Result r = FileOps::CopyAs(big, Dst(QStringLiteral("Other")));
        if (r.error != EFBIG || r.failedPath != Dst(QStringLiteral("Other")))
            return 2;
        return FileBytes(Dst(QStringLiteral("Other"))) == "old target" && Entries(Dst()) == Strings({"Other"}) ? 0 : 3;
    });
    EXPECT_EQ(failed, 0);

    // /proc/self/mem cannot be read at offset 0.
    const Result io = FileOps::CopyAs(QStringLiteral("/proc/self/mem"), Dst(QStringLiteral("Other")));
    EXPECT_EQ(io.error, EIO);
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Other"))), "old target");
    EXPECT_EQ(Entries(Dst()), Strings({"Other"}));
}

TEST_F(FileOpsPathsTest, MoveAsRenamesWithinAFileSystemAndNeverReportsAMoveThatDidNotHappen)
{
    const QString a = dir.createFile(QStringLiteral("src/a"), "new");
    const ino_t inode = ObjectStat(a).st_ino;
    dir.createFile(QStringLiteral("dst/B"), "old");
    const Result r = FileOps::MoveAs(a, Dst(QStringLiteral("B")));
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(r.completed, QStringList({a}));
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("B"))).st_ino, inode);
    EXPECT_EQ(ObjectStat(a).st_mode, 0u);

    dir.createFile(QStringLiteral("src/tree/x"), "new x");
    dir.createFile(QStringLiteral("dst/Tree/x"), "old x");
    dir.createFile(QStringLiteral("dst/Tree/keep"), "keep");
    ASSERT_TRUE(FileOps::MoveAs(Src(QStringLiteral("tree")), Dst(QStringLiteral("Tree"))).ok());
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Tree/x"))), "new x");
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("Tree/keep"))), "keep");
    EXPECT_EQ(Entries(Src()), QStringList());

    // A rename onto another hard link of itself would do nothing and answer success.
    const QString h = dir.createFile(QStringLiteral("src/h"), "h");
    ASSERT_EQ(::link(Native(h).constData(), Native(Dst(QStringLiteral("H"))).constData()), 0);
    EXPECT_EQ(FileOps::MoveAs(h, Dst(QStringLiteral("H"))).error, EINVAL);
    EXPECT_EQ(FileBytes(h), "h");
    dir.createFile(QStringLiteral("src/self/sub/z"), "z");
    EXPECT_EQ(FileOps::MoveAs(Src(QStringLiteral("self")), Src(QStringLiteral("self/sub/inner"))).error, EINVAL);
    EXPECT_EQ(FileBytes(Src(QStringLiteral("self/sub/z"))), "z");
}

TEST_F(FileOpsPathsTest, MoveAsAcrossFileSystemsDeletesTheSourceOnlyWhenItArrivedUnchanged)
{
    Tmpfs other(dir.file(QStringLiteral("other")), "size=4m");
    MOUNT_OR_SKIP(other);
    const QString target = dir.file(QStringLiteral("other"));
    const QString a = dir.createFileAt(QStringLiteral("src/a"), "a", 1500000000, 42);
    dir.createFile(QStringLiteral("other/B"), "old B");
    const Result r = FileOps::MoveAs(a, target + QStringLiteral("/B"));
    ASSERT_TRUE(r.ok()) << qPrintable(r.errorText);
    EXPECT_EQ(r.completed, QStringList({a}));
    EXPECT_EQ(FileBytes(target + QStringLiteral("/B")), "a");
    EXPECT_EQ(ObjectStat(target + QStringLiteral("/B")).st_mtim.tv_nsec, 42);
    EXPECT_EQ(ObjectStat(a).st_mode, 0u);

    dir.createFile(QStringLiteral("src/tree/x"), "x");
    MakeLink(QStringLiteral("x"), Src(QStringLiteral("tree/l")));
    ASSERT_TRUE(FileOps::MoveAs(Src(QStringLiteral("tree")), target + QStringLiteral("/Tree")).ok());
    EXPECT_EQ(FileBytes(target + QStringLiteral("/Tree/x")), "x");
    EXPECT_EQ(LinkText(target + QStringLiteral("/Tree/l")), QStringLiteral("x"));
    EXPECT_EQ(ObjectStat(Src(QStringLiteral("tree"))).st_mode, 0u);

    // Written to while it was copied: the copy stands, the source stays and is named.
    const QByteArray data(1 << 20, 'b');
    const QString big = dir.createFile(QStringLiteral("src/big"), data);
    FileOps::Control control;
    bool appended = false;
    control.onProgress = [&](const FileOps::Progress& p) {
        if (p.bytesDone == 0 || appended)
            return;
        appended = true;
        QFile file(big);
        if (file.open(QIODevice::Append))
            file.write("more");
    };
    const Result changed = FileOps::MoveAs(big, target + QStringLiteral("/Big"), control);
    ASSERT_TRUE(changed.ok()) << qPrintable(changed.errorText);
    ASSERT_EQ(changed.skipped.size(), 1);
    EXPECT_EQ(changed.skipped[0].path, big);
    EXPECT_EQ(changed.skipped[0].reason, Reason::ChangedDuringMove);
    EXPECT_EQ(FileBytes(big), data + "more");

    // A full disk: the old target and the source stay whole.
    dir.createFile(QStringLiteral("other/Full"), "old full");
    const QByteArray huge(5 << 20, 'h');
    const QString source = dir.createFile(QStringLiteral("src/huge"), huge);
    const Result full = FileOps::MoveAs(source, target + QStringLiteral("/Full"));
    EXPECT_EQ(full.error, ENOSPC);
    EXPECT_TRUE(full.completed.isEmpty());
    EXPECT_EQ(FileBytes(target + QStringLiteral("/Full")), "old full");
    EXPECT_EQ(FileBytes(source), huge);
    EXPECT_EQ(Leftovers(target), QStringList());
}

TEST_F(FileOpsPathsTest, MakeFoldersMakesEveryMissingLevelAndNamesTheOneItCouldNotMake)
{
    const Result made = FileOps::MakeFolders(Dst(QStringLiteral("a/b/c/")));
    ASSERT_TRUE(made.ok()) << qPrintable(made.errorText);
    EXPECT_EQ(made.objectsDone, 3);
    EXPECT_TRUE(S_ISDIR(ObjectStat(Dst(QStringLiteral("a/b/c"))).st_mode));
    const Result again = FileOps::MakeFolders(Dst(QStringLiteral("a/b/c")));
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(again.objectsDone, 0);

    // A file, or a link to one, in the way is named, as mkdir names it.
    dir.createFile(QStringLiteral("dst/file"), "f");
    MakeLink(QStringLiteral("file"), Dst(QStringLiteral("link")));
    for (const char* path : {"file", "file/x/y", "link/x"}) {
        const Result inTheWay = FileOps::MakeFolders(Dst(QLatin1String(path)));
        EXPECT_EQ(inTheWay.error, EEXIST) << path;
        EXPECT_EQ(inTheWay.failedPath, Dst(QLatin1String(path).left(4))) << path;
    }
    EXPECT_EQ(FileBytes(Dst(QStringLiteral("file"))), "f");

    ::chmod(Native(dir.path()).constData(), 0755);
    ::chmod(Native(Dst()).constData(), 0755);
    const int failed = RunAsNobody([&] {
        const Result refused = FileOps::MakeFolders(Dst(QStringLiteral("locked/inner")));
        return refused.error == EACCES && refused.number == 70 && refused.failedPath == Dst(QStringLiteral("locked")) ? 0 : 1;
    });
    EXPECT_EQ(failed, 0);
}


TEST_F(FileOpsPathsTest, NamesAreBytesAndPathsMayBeLongerThanOneSystemCallTakes)
{
    const QByteArray data = EncodeFileName(dir.file(QStringLiteral("xdg")));
    const ScopedEnv home("XDG_DATA_HOME", data);

    // Folders below src down to more than 5,000 bytes, one level named with bytes that are not UTF-8.
    QByteArray deep = EncodeFileName(Src());
    deep.chop(1);
    const QByteArray first = QByteArray(200, 'a');
    {
        FileDescriptor fd = OpenDeep(deep);
        for (int level = 0; deep.size() <= 5000; ++level) {
            const QByteArray name = level == 0 ? first : level == 3 ? "\xff\xfe-" + QByteArray(200, 'n') : QByteArray(200, char('a' + level));
            ASSERT_EQ(::mkdirat(fd.get(), name.constData(), 0755), 0);
            fd = FileDescriptor(::openat(fd.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            ASSERT_TRUE(fd.valid());
            deep += '/' + name;
        }
        const FileDescriptor out(::openat(fd.get(), "\xff\xfe name", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
        ASSERT_TRUE(out.valid());
        ASSERT_EQ(::write(out.get(), "deep data", 9), 9);
    }
    const QByteArray odd = "\xff\xfe name";
    const QString file = DecodeFileName(deep + '/' + odd);

    const Result beside = FileOps::CopyAs(file, DecodeFileName(deep + "/copy \xfe"));
    ASSERT_TRUE(beside.ok()) << qPrintable(beside.errorText);
    EXPECT_EQ(DeepBytes(deep, "copy \xfe"), "deep data");
    const Result out = FileOps::Copy({file}, Dst());
    ASSERT_TRUE(out.ok()) << qPrintable(out.errorText);
    EXPECT_EQ(DeepBytes(EncodeFileName(Dst()), odd), "deep data");
    const Result in = FileOps::MoveAs(DecodeFileName(EncodeFileName(Dst()) + odd), DecodeFileName(deep + "/back"));
    ASSERT_TRUE(in.ok()) << qPrintable(in.errorText);
    EXPECT_EQ(DeepBytes(deep, "back"), "deep data");
    EXPECT_EQ(Entries(Dst()), QStringList());
    const Result renamed = FileOps::MoveAs(DecodeFileName(deep + "/copy \xfe"), DecodeFileName(deep + "/moved \xff"));
    ASSERT_TRUE(renamed.ok()) << qPrintable(renamed.errorText);
    EXPECT_FALSE(DeepExists(deep, "copy \xfe"));
    EXPECT_EQ(DeepBytes(deep, "moved \xff"), "deep data");

    // Into the trash under its own bytes; the note keeps the whole path, percent-encoded.
    const Result trashed = FileOps::MoveToTrash({file});
    ASSERT_TRUE(trashed.ok()) << qPrintable(trashed.errorText);
    EXPECT_FALSE(DeepExists(deep, odd));
    EXPECT_EQ(DeepBytes(data + "/Trash/files", odd), "deep data");
    const QByteArray note = DeepBytes(data + "/Trash/info", odd + ".trashinfo");
    EXPECT_TRUE(note.startsWith("[Trash Info]\n")) << note.constData();
    const QByteArray kept = NoteLine(note, "Path");
    EXPECT_TRUE(kept.contains("/%FF%FE-" + QByteArray(200, 'n') + '/'));
    EXPECT_TRUE(kept.endsWith("/%FF%FE%20name"));
    EXPECT_EQ(QByteArray::fromPercentEncoding(kept), deep + '/' + odd);

    const Result deleted = FileOps::DeletePermanently({DecodeFileName(deep + "/moved \xff")});
    ASSERT_TRUE(deleted.ok()) << qPrintable(deleted.errorText);
    EXPECT_FALSE(DeepExists(deep, "moved \xff"));
    // A failure names the object, bytes and all, with the system's reason.
    const Result missing = FileOps::DeletePermanently({DecodeFileName(deep + "/gone \xff")});
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.failedPath, DecodeFileName(deep + "/gone \xff"));
    EXPECT_EQ(missing.errorText, QString::fromLocal8Bit(std::strerror(ENOENT)));

    // The whole tree goes too; the temporary folder's own clean-up could reach neither it nor the odd names.
    ASSERT_TRUE(FileOps::DeletePermanently({Src(QString::fromLatin1(first)), DecodeFileName(data + "/Trash")}).ok());
    EXPECT_EQ(Entries(Src()), QStringList());
}

TEST_F(FileOpsPathsTest, TrashNotesSayWhereEachObjectCameFromAndNeverOverwriteEachOther)
{
    const QString data = dir.file(QStringLiteral("xdg"));
    const ScopedEnv home("XDG_DATA_HOME", Native(data));
    const QString a = dir.createFile(QStringLiteral("src/one/same name"), "one");
    const QString b = dir.createFile(QStringLiteral("src/two/same name"), "two");
    const QByteArray longName(250, 'L');
    const QString c = dir.createFile(QStringLiteral("src/") + QLatin1String(longName), "long");
    ASSERT_TRUE(FileOps::MoveToTrash({a, b, c}).ok());
    const QString trash = data + QStringLiteral("/Trash/");
    EXPECT_EQ(FileBytes(trash + QStringLiteral("files/same name")), "one");
    EXPECT_EQ(FileBytes(trash + QStringLiteral("files/same name.2")), "two");
    EXPECT_EQ(NoteLine(FileBytes(trash + QStringLiteral("info/same name.trashinfo")), "Path"),
              EncodeFileName(a).replace(" ", "%20"));
    const QByteArray second = FileBytes(trash + QStringLiteral("info/same name.2.trashinfo"));
    EXPECT_EQ(NoteLine(second, "Path"), EncodeFileName(b).replace(" ", "%20"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"))
                    .match(QString::fromLatin1(NoteLine(second, "DeletionDate")))
                    .hasMatch());
    // A name too long for its note's name is cut in the trash; the note keeps it whole.
    const QStringList files = Entries(trash + QStringLiteral("files"));
    ASSERT_EQ(files.size(), 3);
    EXPECT_LT(files[0].size(), longName.size());
    EXPECT_TRUE(longName.startsWith(files[0].toLatin1()));
    EXPECT_EQ(NoteLine(FileBytes(trash + QStringLiteral("info/") + files[0] + QStringLiteral(".trashinfo")), "Path"),
              EncodeFileName(c));
    EXPECT_EQ(ObjectStat(trash).st_mode & 07777, 0700u);
}

// Another file system keeps its own trash at its top, with notes relative to that top; a .Trash the
// administrator made sticky holds one folder per user, and a .Trash that is a link is never used.
TEST_F(FileOpsPathsTest, TrashOfAnotherFileSystemIsAtItsTop)
{
    const QString data = dir.createFolder(QStringLiteral("xdg"));
    const ScopedEnv home("XDG_DATA_HOME", Native(data));
    Tmpfs other(dir.file(QStringLiteral("other")), "size=1m");
    MOUNT_OR_SKIP(other);
    const QString top = dir.file(QStringLiteral("other"));
    const QString uid = QString::number(::getuid());

    const QString elsewhere = dir.createFolder(QStringLiteral("elsewhere"));
    ::chmod(Native(elsewhere).constData(), 01777);
    MakeLink(elsewhere, top + QStringLiteral("/.Trash"));
    const QString first = dir.createFile(QStringLiteral("other/sub/a b"), "first");
    ASSERT_TRUE(FileOps::MoveToTrash({first}).ok());
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    EXPECT_EQ(FileBytes(own + QStringLiteral("/files/a b")), "first");
    EXPECT_EQ(NoteLine(FileBytes(own + QStringLiteral("/info/a b.trashinfo")), "Path"), "sub/a%20b");
    EXPECT_EQ(ObjectStat(own).st_mode & 07777, 0700u);
    EXPECT_EQ(Entries(elsewhere), QStringList());

    ASSERT_EQ(::unlink(Native(top + QStringLiteral("/.Trash")).constData()), 0);
    ASSERT_EQ(::mkdir(Native(top + QStringLiteral("/.Trash")).constData(), 0777), 0);
    ::chmod(Native(top + QStringLiteral("/.Trash")).constData(), 01777);
    const QString second = dir.createFile(QStringLiteral("other/second"), "second");
    ASSERT_TRUE(FileOps::MoveToTrash({second}).ok());
    const QString shared = top + QStringLiteral("/.Trash/") + uid;
    EXPECT_EQ(FileBytes(shared + QStringLiteral("/files/second")), "second");
    EXPECT_EQ(NoteLine(FileBytes(shared + QStringLiteral("/info/second.trashinfo")), "Path"), "second");
    EXPECT_EQ(Entries(data), QStringList());
}

TEST_F(FileOpsPathsTest, BelowARootNoLinkIsFollowedOnTheWayToAnObject)
{
    const QString a = dir.createFile(QStringLiteral("src/a"), "new");
    dir.createFile(QStringLiteral("elsewhere/a"), "outside");
    dir.createFolder(QStringLiteral("dst/real"));
    MakeLink(dir.file(QStringLiteral("elsewhere")), Dst(QStringLiteral("sub")));
    FileOps::Control confined;
    confined.roots = QStringList{Src(), Dst()};
    // Every call that reaches a folder below a root through a link is refused, and nothing outside changes.
    const Result copied = FileOps::CopyAs(a, Dst(QStringLiteral("sub/a")), confined);
    EXPECT_TRUE(copied.error == ELOOP || copied.error == ENOTDIR) << copied.error;
    EXPECT_FALSE(FileOps::Copy({a}, Dst(QStringLiteral("sub")), confined).ok());
    EXPECT_FALSE(FileOps::MakeFolders(Dst(QStringLiteral("sub/deeper")), confined).ok());
    EXPECT_FALSE(FileOps::DeletePermanently({Dst(QStringLiteral("sub/a"))}, confined).ok());
    EXPECT_FALSE(FileOps::MoveToTrash({Dst(QStringLiteral("sub/a"))}, confined).ok());
    // A link further down, between real folders, and one as the last folder of the path: the same.
    dir.createFolder(QStringLiteral("dst/real/deep/deeper"));
    MakeLink(dir.file(QStringLiteral("elsewhere")), Dst(QStringLiteral("real/deep/middle")));
    dir.createFolder(QStringLiteral("elsewhere/inner"));
    const Result middle = FileOps::CopyAs(a, Dst(QStringLiteral("real/deep/middle/inner/a")), confined);
    EXPECT_TRUE(middle.error == ELOOP || middle.error == ENOTDIR) << middle.error;
    EXPECT_FALSE(FileOps::Copy({a}, Dst(QStringLiteral("real/deep/middle")), confined).ok());
    EXPECT_TRUE(FileOps::CopyAs(a, Dst(QStringLiteral("real/deep/deeper/a")), confined).ok());
    EXPECT_EQ(FileBytes(dir.file(QStringLiteral("elsewhere/a"))), "outside");
    EXPECT_EQ(Entries(dir.file(QStringLiteral("elsewhere"))), (QStringList{QStringLiteral("a"), QStringLiteral("inner")}));
    EXPECT_TRUE(Entries(dir.file(QStringLiteral("elsewhere/inner"))).isEmpty());
    // A real folder below the root is reached as before, and a root reached through a link is the user's choice.
    EXPECT_TRUE(FileOps::CopyAs(a, Dst(QStringLiteral("real/a")), confined).ok());
    FileOps::Control linkedRoot;
    linkedRoot.roots = QStringList{Dst(QStringLiteral("sub"))};
    EXPECT_TRUE(FileOps::CopyAs(a, Dst(QStringLiteral("sub/b")), linkedRoot).ok());
}
