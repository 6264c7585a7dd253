#include "TestSupport.h"
#include "Tmpfs.h"

#include "base/ErrorHandler.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <ostream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 T0 = 1685620800;

struct Result
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// Every file, folder and link below folder with its content, size and time: what a run may not change.
std::map<QString, QString> Tree(const QString& folder)
{
    std::map<QString, QString> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString what = info.isSymLink() ? U("link ") + info.symLinkTarget() : info.isDir() ? U("folder") : U("file ");
        if (info.isFile() && !info.isSymLink()) {
            QFile f(path);
            what += QString::number(info.size()) + U(" ") + QString::number(info.lastModified().toMSecsSinceEpoch());
            if (info.size() < 4096 && f.open(QIODevice::ReadOnly))
                what += U(" ") + QString::fromLatin1(f.readAll().toHex());
        }
        tree[path.mid(folder.size())] = what;
    }
    return tree;
}

// A private copy of parvexcmd with its own application folder (and so parvex.ini), and a trash of its own.
class ParvexCmdSyncTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bin = PrivateParvexCmdFolder(tmp);
        left = tmp.createFolder(QStringLiteral("left"));
        right = tmp.createFolder(QStringLiteral("right"));
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), tmp.createFolder(QStringLiteral("xdg")));
    }

    // Every comparison setting given, so that nothing depends on parvex.ini.
    static QStringList Explicit()
    {
        return {QStringLiteral("--method"), QStringLiteral("quick"), QStringLiteral("--subfolders"),
                QStringLiteral("--no-ignore-2sec"), QStringLiteral("--no-ignore-dst"), QStringLiteral("--include"),
                QString(), QStringLiteral("--exclude"), QString()};
    }

    void Start(QProcess& p, const QStringList& args)
    {
        p.setProcessEnvironment(env);
        p.start(bin + QStringLiteral("/parvexcmd"), args);
    }

    static Result Finish(QProcess& p)
    {
        EXPECT_TRUE(p.waitForFinished(120000));
        Result r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    Result Sync(const QStringList& options, const QString& r = {})
    {
        QProcess p;
        Start(p, QStringList{QStringLiteral("sync")} + Explicit() + options + QStringList{left, r.isEmpty() ? right : r});
        return Finish(p);
    }

    Result DryRun(const QStringList& options) { return Sync(options + QStringList{QStringLiteral("--dry-run")}); }

    int Compare(const QString& r = {})
    {
        QProcess p;
        Start(p, QStringList{QStringLiteral("compare")} + Explicit() + QStringList{left, r.isEmpty() ? right : r});
        return Finish(p).exitCode;
    }

    void L(const char* name, const QByteArray& data, qint64 t) { tmp.createFileAt(U("left/") + U(name), data, t); }
    void R(const char* name, const QByteArray& data, qint64 t) { tmp.createFileAt(U("right/") + U(name), data, t); }

    // One of each category: a newer and an older file on the left, a binary pair, an orphan on each side.
    // (Quick comparison: the binary pair has one time and two sizes.)
    void OneOfEach()
    {
        L("a", "newer", T0 + 60);
        R("a", "older", T0);
        L("b", "older", T0);
        R("b", "newer", T0 + 60);
        L("d", "12345", T0);
        R("d", "123456", T0);
        L("lo", "left only", T0);
        R("ro", "right only", T0);
    }

    // The two compared folders as Tree shows them.
    std::map<QString, QString> Both() const
    {
        std::map<QString, QString> both;
        for (const auto& [path, what] : Tree(left))
            both[U("left") + path] = what;
        for (const auto& [path, what] : Tree(right))
            both[U("right") + path] = what;
        return both;
    }

    TempDir tmp;
    QString bin;
    QString left;
    QString right;
    QProcessEnvironment env;
};

QStringList Lines(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* line : lines)
        out << U(line);
    return out;
}

} // namespace

TEST_F(ParvexCmdSyncTest, EveryMethodNameAndNumberPlansWhatTheMethodSays)
{
    OneOfEach();
    const std::pair<const char*, QStringList> methods[] = {
        {"right-same-as-left", Lines({"delete-right\tro", "copy-to-right\ta", "copy-to-right\tb", "copy-to-right\td",
                                      "copy-to-right\tlo"})},
        {"left-same-as-right", Lines({"delete-left\tlo", "copy-to-left\ta", "copy-to-left\tb", "copy-to-left\td",
                                      "copy-to-left\tro"})},
        {"both-ways", Lines({"copy-to-right\ta", "copy-to-right\tlo", "copy-to-left\tb", "copy-to-left\tro"})},
        {"custom", {}},
        {"orphans-to-left", Lines({"copy-to-left\tro"})},
        {"orphans-to-right", Lines({"copy-to-right\tlo"})},
        {"newer-to-left", Lines({"copy-to-left\tb"})},
        {"newer-to-right", Lines({"copy-to-right\ta"})},
    };
    const auto before = Both();
    for (int n = 0; n < 8; ++n) {
        const Result byName = DryRun({U("--sync"), U(methods[n].first)});
        const Result byNumber = DryRun({U("--sync"), QString::number(n)});
        EXPECT_EQ(byName.exitCode, 0) << methods[n].first << ": " << qPrintable(byName.errors);
        EXPECT_EQ(byNumber.exitCode, 0) << n;
        EXPECT_EQ(byName.lines, byNumber.lines) << methods[n].first;
        if (n != 3) {
            EXPECT_EQ(byName.lines, methods[n].second) << methods[n].first;
        }
    }

    // Eight codes, one per side and category: custom whatever --sync says.
    Result custom = DryRun({U("--sync"), U("0"), U("--rules"), U("0,0,0,0,0,0,0,3")});
    EXPECT_EQ(custom.exitCode, 0) << qPrintable(custom.errors);
    EXPECT_EQ(custom.lines, Lines({"delete-right\td"}));
    custom = DryRun({U("--rules"), U("0, 0, 3, 0, 1, 0, 0, 0")});
    EXPECT_EQ(custom.lines, Lines({"delete-left\tlo", "copy-to-left\tb"}));
    EXPECT_EQ(Both(), before) << "a dry run changes nothing";
}

TEST_F(ParvexCmdSyncTest, BadMethodsRulesAndNamesAreUsageErrors)
{
    OneOfEach();
    const auto before = Both();
    for (const QStringList& bad : {QStringList{U("--sync"), U("8")}, QStringList{U("--sync"), U("-1")},
                                   QStringList{U("--sync"), U("Right-Same-As-Left")}, QStringList{U("--sync"), U("")}}) {
        const Result r = Sync(bad);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(bad.join(U(" ")));
        EXPECT_TRUE(r.errors.contains(U("option --sync needs a method"))) << qPrintable(r.errors);
        EXPECT_TRUE(r.lines.isEmpty());
    }
    for (const char* bad : {"1,1,1,1,1,1,1", "1,1,1,1,1,1,1,1,1", "0,0,0,0,0,0,0,4", "0,0,0,0,0,0,0,-1", "a,0,0,0,0,0,0,0", ""}) {
        const Result r = Sync({U("--rules"), U(bad)});
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_TRUE(r.errors.contains(U("option --rules needs eight action codes"))) << bad << ": " << qPrintable(r.errors);
        EXPECT_TRUE(r.lines.isEmpty());
    }
    const Result missing = Sync({U("--sync"), U("0"), U("--only"), U("nothing-of-that-name")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.errors.contains(U("no row \"nothing-of-that-name\" in the comparison"))) << qPrintable(missing.errors);
    EXPECT_TRUE(missing.lines.isEmpty());
    EXPECT_EQ(Both(), before);
}

TEST_F(ParvexCmdSyncTest, OnlyLimitsTheRunToTheNamedRowsAndFolders)
{
    OneOfEach();
    L("Docs/x.txt", "x", T0 + 60);
    R("Docs/x.txt", "x", T0);
    R("Docs/gone.txt", "g", T0);
    L("Other/y.txt", "y", T0);
    const Result docs = DryRun({U("--sync"), U("0"), U("--only"), U("/Docs")});
    EXPECT_EQ(docs.exitCode, 0) << qPrintable(docs.errors);
    EXPECT_EQ(docs.lines, Lines({"delete-right\tDocs/gone.txt", "copy-to-right\tDocs/x.txt"}));

    // Repeated, and by the text either side shows.
    const Result two = Sync({U("--sync"), U("0"), U("--only"), U("ro"), U("--only"), U("a")});
    EXPECT_EQ(two.exitCode, 0) << qPrintable(two.errors);
    EXPECT_EQ(two.lines, Lines({"delete-right\tro", "copy-to-right\ta"}));
    EXPECT_EQ(FileBytes(right + U("/a")), "newer");
    EXPECT_FALSE(QFileInfo::exists(right + U("/ro")));
    EXPECT_EQ(FileBytes(right + U("/b")), "newer");
    EXPECT_EQ(FileBytes(right + U("/Docs/gone.txt")), "g");
}

TEST_F(ParvexCmdSyncTest, ARealRunPrintsEachOperationAndLeavesTheFoldersEqual)
{
    OneOfEach();
    L("Docs/Old/b.txt", "newer b", T0 + 10);
    R("Docs/Old/b.txt", "b", T0);
    R("Docs/extra.txt", "e", T0);
    L("Docs/New/c.txt", "c", T0);
    L("Lonely/z", "z", T0);
    ASSERT_TRUE(QFile::link(U("a"), left + U("/link")));

    const Result plan = DryRun({U("--sync"), U("right-same-as-left")});
    ASSERT_EQ(plan.exitCode, 0);
    // A plan is no synchronisation: the history stays as it was.
    const QString history = bin + U("/SyncHist.Log");
    EXPECT_FALSE(QFile::exists(history));
    EXPECT_EQ(plan.lines, Lines({"delete-right\tro", "copy-to-right\ta", "copy-to-right\tb", "copy-to-right\td",
                                 "copy-to-right\tlink", "copy-to-right\tlo", "copy-to-right\t/Lonely",
                                 "delete-right\tDocs/extra.txt", "copy-to-right\tDocs/New/", "copy-to-right\tDocs/New/c.txt",
                                 "copy-to-right\tDocs/Old/b.txt"}));
    const Result run = Sync({U("--sync"), U("right-same-as-left")});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    EXPECT_EQ(run.lines, plan.lines);
    EXPECT_TRUE(run.errors.isEmpty()) << qPrintable(run.errors);
    EXPECT_EQ(Compare(), 0);
    EXPECT_TRUE(QFileInfo(right + U("/link")).isSymLink());
    EXPECT_EQ(FileBytes(env.value(U("XDG_DATA_HOME")) + U("/Trash/files/ro")), "right only");
    EXPECT_TRUE(Leftovers(right).isEmpty());

    // The run left its record in the application folder's history.
    const QByteArray record = FileBytes(history);
    ASSERT_EQ(record.size(), 773);
    EXPECT_TRUE(record.mid(518).startsWith("Completed Successfully   "));
    EXPECT_TRUE(record.mid(8, 255).contains(QFile::encodeName(left)));

    // Nothing left to do: no line, exit 0, and one more record.
    const Result again = Sync({U("--sync"), U("0")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_TRUE(again.lines.isEmpty());
    EXPECT_EQ(QFileInfo(history).size(), 2 * 773);
}

TEST_F(ParvexCmdSyncTest, NamesWithTabsLineEndsAndBackslashesAreEscaped)
{
    L("tab\there", "1", T0);
    L("line\nend", "2", T0);
    L("back\\slash\r", "3", T0);
    const Result r = Sync({U("--sync"), U("orphans-to-right")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errors);
    EXPECT_EQ(r.lines, Lines({"copy-to-right\tback\\\\slash\\r", "copy-to-right\tline\\nend", "copy-to-right\ttab\\there"}));
    EXPECT_EQ(FileBytes(right + U("/line\nend")), "2");
}

TEST_F(ParvexCmdSyncTest, LowSpaceStopsUnlessIgnoredAndThenTheFailureIsCleanAndSaid)
{
    const QString small = tmp.file(U("small"));
    Tmpfs fs(small, "size=64k");
    if (!fs.mounted())
        GTEST_SKIP() << qPrintable(fs.why());
    L("big", QByteArray(256 << 10, 'n'), T0 + 60);
    tmp.createFileAt(U("small/big"), "old target", T0);
    const auto before = Tree(small);

    const Result refused = Sync({U("--sync"), U("0")}, small);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains(U("Low Disk Space: There may not be enough space available on drive ")))
        << qPrintable(refused.errors);
    EXPECT_TRUE(refused.lines.isEmpty());
    EXPECT_EQ(Tree(small), before);

    const Result tried = Sync({U("--sync"), U("0"), U("--ignore-space")}, small);
    EXPECT_EQ(tried.exitCode, 2);
    EXPECT_TRUE(tried.errors.contains(U("Low Disk Space")));
    EXPECT_TRUE(tried.errors.contains(U("failed\tbig\t") + QString::number(ENOSPC) + U(" - "))) << qPrintable(tried.errors);
    EXPECT_TRUE(tried.lines.isEmpty());
    EXPECT_EQ(Tree(small), before) << "the old file stays whole and no temporary file stays";
}

TEST_F(ParvexCmdSyncTest, AFailedOperationIsSaidOnStandardErrorAndExitsTwo)
{
    // A file on the right where the left has a folder: the copy below it cannot be made; the rest is.
    L("Work/a/c.txt", "c", T0);
    R("Work/a", "a file", T0);
    L("Work/b.txt", "b", T0);
    const Result r = Sync({U("--sync"), U("orphans-to-right")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.lines, Lines({"copy-to-right\tWork/b.txt"}));
    // The folder cannot be made, and so neither can the file below it: each is named with the object in
    // the way.
    EXPECT_TRUE(r.errors.startsWith(U("failed\tWork/a/\t"))) << qPrintable(r.errors);
    EXPECT_TRUE(r.errors.contains(U("failed\tWork/a/c.txt\t"))) << qPrintable(r.errors);
    EXPECT_EQ(r.errors.count(QLatin1Char('\n')), 2) << qPrintable(r.errors);
    EXPECT_EQ(FileBytes(right + U("/Work/a")), "a file");
    EXPECT_EQ(FileBytes(right + U("/Work/b.txt")), "b");
}

TEST_F(ParvexCmdSyncTest, TerminatedDuringALargeCopyLeavesNoHalfFileAndExitsTwo)
{
    constexpr qint64 Large = 300ll << 20;
    L("a.txt", "first", T0);
    tmp.createFileAt(U("left/big"), {}, T0 + 60);
    {
        const int fd = ::open(QFile::encodeName(left + U("/big")).constData(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::posix_fallocate(fd, 0, Large), 0);
        ::close(fd);
        struct timespec times[2] = {{T0 + 60, 0}, {T0 + 60, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(left + U("/big")).constData(), times, 0), 0);
    }
    R("big", "old target", T0);
    L("z.txt", "last", T0);

    QProcess p;
    Start(p, QStringList{U("sync")} + Explicit() + QStringList{U("--sync"), U("0"), left, right});
    ASSERT_TRUE(p.waitForStarted());
    // The first line is a.txt, copied just before the large file; wherever the signal lands from here on,
    // the large file is either the old one or whole.
    ASSERT_TRUE(p.waitForReadyRead(60000));
    const bool signalled = ::kill(static_cast<pid_t>(p.processId()), SIGTERM) == 0;
    const Result r = Finish(p);
    const qint64 size = QFileInfo(right + U("/big")).size();
    EXPECT_TRUE(size == Large || FileBytes(right + U("/big")) == "old target") << size;
    EXPECT_TRUE(Leftovers(right).isEmpty()) << qPrintable(Leftovers(right).join(U(" ")));
    EXPECT_EQ(r.lines.contains(U("copy-to-right\tbig")), size == Large);
    if (r.exitCode == 0) {
        // The whole run was over before the signal came.
        EXPECT_EQ(r.lines, Lines({"copy-to-right\ta.txt", "copy-to-right\tbig", "copy-to-right\tz.txt"}));
    } else {
        EXPECT_TRUE(signalled);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.errors.contains(U("cancelled"))) << qPrintable(r.errors);
        // What the run did not get to stays undone.
        EXPECT_EQ(QFileInfo::exists(right + U("/z.txt")), r.lines.contains(U("copy-to-right\tz.txt")));
    }
}

// A comparison that could not read a sub-folder still copies; nothing in that sub-folder is deleted on
// account of what was not seen, the run names it on standard error and exits 2. Run as an unprivileged
// user, for whom a folder without permissions cannot be read.
TEST_F(ParvexCmdSyncTest, AnUnreadableSubFolderStillCopiesWithholdsItsDeletionsAndExitsTwo)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "runs parvexcmd as another user, which needs root";
    L("new.txt", "left only", T0);
    L("Docs/a.txt", "a", T0);
    L("Docs/Secret/s.txt", "s", T0);
    R("Docs/right-only.txt", "keep me", T0);
    R("Docs/Secret/old.txt", "keep me too", T0);
    const QString home = tmp.createFolder(QStringLiteral("home"));
    ASSERT_EQ(QProcess::execute(U("chown"), {U("-R"), U("65534:65534"), tmp.path()}), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(left + U("/Docs/Secret")).constData(), 0), 0);
    env.insert(U("HOME"), home);
    env.insert(U("XDG_CONFIG_HOME"), home);

    QProcess p;
    p.setProcessEnvironment(env);
    p.start(U("setpriv"), QStringList{U("--reuid=65534"), U("--regid=65534"), U("--clear-groups"), bin + U("/parvexcmd"),
                                      U("sync")}
                              + Explicit() + QStringList{U("--sync"), U("right-same-as-left"), left, right});
    const Result r = Finish(p);
    EXPECT_EQ(r.exitCode, 2) << qPrintable(r.errors);
    EXPECT_TRUE(r.lines.contains(U("copy-to-right\tnew.txt"))) << qPrintable(r.lines.join(U("\n")));
    EXPECT_TRUE(r.lines.contains(U("copy-to-right\tDocs/a.txt"))) << qPrintable(r.lines.join(U("\n")));
    EXPECT_TRUE(r.errors.contains(U("withheld\tDocs\t"))) << qPrintable(r.errors);
    EXPECT_EQ(FileBytes(right + U("/new.txt")), "left only");
    EXPECT_EQ(FileBytes(right + U("/Docs/a.txt")), "a");
    EXPECT_EQ(FileBytes(right + U("/Docs/right-only.txt")), "keep me");
    EXPECT_EQ(FileBytes(right + U("/Docs/Secret/old.txt")), "keep me too");
    // The record says the run was not clean.
    EXPECT_TRUE(FileBytes(bin + U("/SyncHist.Log")).mid(518).startsWith("Completed With Errors"));
}
