#include "RawNames.h"
#include "SyncCommandFixture.h"
#include "TestSupport.h"
#include "Tmpfs.h"
#include "TreeManifest.h"
#include "VariedTree.h"

#include "base/Path.h"
#include "sync/SyncJournal.h"
#include "sync/SyncUndo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTest>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// Undo of whole synchronisations and the deletion guard, through parvexcmd on real folders: what a run
// replaces or deletes is kept in the trash and comes back, what it made goes, byte for byte with modes
// and times; an object changed since is left and named; a run that would empty a side waits.
namespace {

constexpr qint64 T1 = 1685620800;

QByteArray Native(const QString& path) { return EncodeFileName(path); }

void SetTimes(const QString& path, qint64 seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Native(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0) << qPrintable(path);
}

void Shell(const QString& command)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}), 0) << qPrintable(command);
}

// A manifest that leaves out the program's own temporary files: a killed run's half copy is swept by the
// next run, not by an undo.
QStringList Manifest(const QString& root)
{
    QStringList lines = TreeManifest(root, Everything());
    lines.removeIf([](const QString& line) { return line.contains(QStringLiteral(".parvex-")); });
    return lines;
}

QString Trash(const QString& home) { return home + QStringLiteral("/.local/share/Trash"); }

} // namespace

class Undo : public SyncCommandTest
{
protected:
    void SetUp() override
    {
        SyncCommandTest::SetUp();
        // A trash of each test's own, so that names given out in it are known.
        home = tmp.createFolder(QStringLiteral("home"));
        qputenv("XDG_DATA_HOME", EncodeFileName(home + QStringLiteral("/.local/share")));
    }

    // The right side: the left as it was at an older synchronisation, then changed on both sides.
    void MakePair()
    {
        MakeVariedTree(tmp, left);
        Shell(QStringLiteral("cp -a '%1/.' '%2/'").arg(left, right));
        // Right: an older version of a file, a file of its own, a folder of its own, another mode and a
        // link to another target.
        tmp.createFileAt(QStringLiteral("right/plain.txt"), "plain, but older", T1 - 500);
        tmp.createFileAt(QStringLiteral("right/right-only.txt"), "mine", T1);
        tmp.createFileAt(QStringLiteral("right/extra/deep/file"), "extra", T1);
        ASSERT_EQ(::chmod(Native(right + QStringLiteral("/v1")).constData(), 0600), 0);
        ASSERT_EQ(::unlink(Native(right + QStringLiteral("/current")).constData()), 0);
        ASSERT_EQ(::symlink("v1", Native(right + QStringLiteral("/current")).constData()), 0);
        // Left: a newer file inside a sub-folder, a file of its own, one file gone.
        tmp.createFileAt(QStringLiteral("left/sub/inner.txt"), "inner, newer", T1 + 900);
        tmp.createFileAt(QStringLiteral("left/sub/left-only.txt"), "left", T1);
        ASSERT_EQ(::unlink(Native(left + QStringLiteral("/twins/docs/a")).constData()), 0);
        for (const QString& folder : {left + QStringLiteral("/sub"), left + QStringLiteral("/twins/docs"), left,
                                      right + QStringLiteral("/extra/deep"), right + QStringLiteral("/extra"), right})
            SetTimes(folder, T1 + 3600);
    }

    // A run of the journal that kept what it replaced, as a synchronisation of the pair begins one.
    qint64 BeginKeptRun(SyncJournal& journal) const
    {
        SyncJournal::RunRecord run;
        run.left = left;
        run.right = right;
        run.method = QStringLiteral("Make Right Same As Left");
        run.kept = true;
        return journal.BeginRun(run);
    }

    QString home;
};

TEST_F(Undo, EveryMethodIsTakenBackByteForByte)
{
    const RawTreeCleanup cleanup(tmp.path());
    MakePair();
    const QString pristineLeft = tmp.path() + QStringLiteral("/pristine-left");
    const QString pristineRight = tmp.path() + QStringLiteral("/pristine-right");
    Shell(QStringLiteral("cp -a '%1' '%2' && cp -a '%3' '%4'").arg(left, pristineLeft, right, pristineRight));
    const QStringList beforeLeft = Manifest(left);
    const QStringList beforeRight = Manifest(right);

    int runs = 0;
    for (const char* method : {"right-same-as-left", "left-same-as-right", "both-ways", "orphans-to-left",
                               "orphans-to-right", "newer-to-left", "newer-to-right"}) {
        SCOPED_TRACE(method);
        const int synced = Sync(QString::fromLatin1(method), {QStringLiteral("--max-delete"), QStringLiteral("100%")});
        // The special file cannot be replaced by a copy where the other side has one already; anything else
        // must go through.
        EXPECT_TRUE(synced == 0 || synced == 2) << qPrintable(Out());
        ++runs;
        if (lines.isEmpty())
            continue; // nothing to take back
        EXPECT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
        ++runs;
        const QStringList afterLeft = Manifest(left);
        const QStringList afterRight = Manifest(right);
        EXPECT_EQ(afterLeft, beforeLeft) << qPrintable(ManifestDiffText(beforeLeft, afterLeft));
        EXPECT_EQ(afterRight, beforeRight) << qPrintable(ManifestDiffText(beforeRight, afterRight));
        if (afterLeft != beforeLeft || afterRight != beforeRight) {
            // Start the next method from the pair as it was, so that one fault is not reported seven times.
            Shell(QStringLiteral("rm -rf '%1' '%2' && cp -a '%3' '%1' && cp -a '%4' '%2'")
                      .arg(left, right, pristineLeft, pristineRight));
        }
    }
    // Every run and every undo is in the history, each undone run named with its undo; nothing is left to undo.
    EXPECT_EQ(Run({QStringLiteral("history")}), 0) << qPrintable(Out());
    EXPECT_EQ(lines.size(), runs) << qPrintable(Out());
    EXPECT_TRUE(lines.value(0).contains(QStringLiteral("\tundo of %1").arg(runs - 1))) << qPrintable(Out());
    EXPECT_TRUE(lines.value(1).contains(QStringLiteral("\tundone by %1").arg(runs))) << qPrintable(Out());
    EXPECT_EQ(Run({QStringLiteral("undo")}), 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("There is no synchronization to undo."))) << qPrintable(errors);
}

TEST_F(Undo, ReplacedFilesWaitInTheTrashUnderTheirOwnPaths)
{
    tmp.createFileAt(QStringLiteral("left/report.txt"), "version 2", T1 + 10);
    tmp.createFileAt(QStringLiteral("right/report.txt"), "version 1", T1);
    tmp.createFileAt(QStringLiteral("right/sub/old.txt"), "old", T1);
    tmp.createFileAt(QStringLiteral("left/sub/new.txt"), "new", T1);
    ASSERT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());

    // A file manager shows both displaced files with their original paths.
    const QString trash = Trash(home);
    QStringList notes;
    for (QDirIterator it(trash + QStringLiteral("/info"), {QStringLiteral("*.trashinfo")}, QDir::Files); it.hasNext();) {
        QFile note(it.next());
        ASSERT_TRUE(note.open(QIODevice::ReadOnly));
        const QString path = QString::fromUtf8(note.readAll()).section(QStringLiteral("Path="), 1).section(QLatin1Char('\n'), 0, 0);
        if (QUrl::fromPercentEncoding(path.toLatin1()).startsWith(right))
            notes << path;
    }
    notes.sort();
    EXPECT_EQ(notes, QStringList({QString::fromLatin1(QUrl::toPercentEncoding(right + QStringLiteral("/report.txt"), "/")),
                                  QString::fromLatin1(QUrl::toPercentEncoding(right + QStringLiteral("/sub/old.txt"), "/"))}));
    EXPECT_EQ(QFile::exists(trash + QStringLiteral("/files/report.txt")), true);
    QFile kept(trash + QStringLiteral("/files/report.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("version 1"));

    // Undo leaves the trash as it found it: what came back is no longer there, what went is.
    ASSERT_EQ(Run({QStringLiteral("undo"), QStringLiteral("--dry-run")}), 0) << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("restore\t") + right + QStringLiteral("/report.txt"))) << qPrintable(Out());
    EXPECT_TRUE(QFile::exists(right + QStringLiteral("/sub/new.txt"))) << "a dry run changes nothing";
    ASSERT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
    QFile back(right + QStringLiteral("/report.txt"));
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("version 1"));
    EXPECT_TRUE(QFile::exists(right + QStringLiteral("/sub/old.txt")));
    EXPECT_FALSE(QFile::exists(right + QStringLiteral("/sub/new.txt")));
    EXPECT_FALSE(QFile::exists(trash + QStringLiteral("/info/old.txt.trashinfo")));
    EXPECT_TRUE(QFile::exists(trash + QStringLiteral("/files/new.txt")));
}

TEST_F(Undo, ObjectsChangedSinceTheRunAreLeftAndNamed)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "new a", T1 + 10);
    tmp.createFileAt(QStringLiteral("right/a.txt"), "old a", T1);
    tmp.createFileAt(QStringLiteral("left/b.txt"), "new b", T1 + 10);
    tmp.createFileAt(QStringLiteral("right/b.txt"), "old b", T1);
    tmp.createFileAt(QStringLiteral("left/c.txt"), "c", T1);
    tmp.createFileAt(QStringLiteral("right/gone.txt"), "gone", T1);
    ASSERT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());

    // After the run the user edits a.txt, puts a file where gone.txt was, and empties the trash of b.txt.
    tmp.createFileAt(QStringLiteral("right/a.txt"), "edited after the run", T1 + 20);
    tmp.createFileAt(QStringLiteral("right/gone.txt"), "someone else", T1 + 20);
    ASSERT_TRUE(QFile::remove(Trash(home) + QStringLiteral("/files/b.txt")));

    EXPECT_EQ(Run({QStringLiteral("undo")}), 2) << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("changed\t") + right + QStringLiteral("/a.txt\t"))) << qPrintable(errors);
    EXPECT_TRUE(errors.contains(QStringLiteral("changed\t") + right + QStringLiteral("/gone.txt\t"))) << qPrintable(errors);
    EXPECT_TRUE(errors.contains(QStringLiteral("missing\t") + right + QStringLiteral("/b.txt\t"))) << qPrintable(errors);
    QFile edited(right + QStringLiteral("/a.txt"));
    ASSERT_TRUE(edited.open(QIODevice::ReadOnly));
    EXPECT_EQ(edited.readAll(), QByteArray("edited after the run"));
    QFile other(right + QStringLiteral("/gone.txt"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), QByteArray("someone else"));
    EXPECT_FALSE(QFile::exists(right + QStringLiteral("/c.txt"))) << "what was unchanged is taken back";

    // Only changes since the run: exit 1.
    tmp.createFileAt(QStringLiteral("left/d.txt"), "d", T1);
    ASSERT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    tmp.createFileAt(QStringLiteral("right/d.txt"), "d, edited", T1 + 30);
    EXPECT_EQ(Run({QStringLiteral("undo")}), 1) << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("changed\t") + right + QStringLiteral("/d.txt\t"))) << qPrintable(errors);
}

TEST_F(Undo, ARunKilledHalfWayIsTakenBackUpToWhereItGot)
{
    // Many small replacements and deletions, then large copies: the kill lands among them.
    for (int i = 0; i < 60; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0'));
        tmp.createFileAt(QStringLiteral("left/") + name, QByteArray("new ") + QByteArray::number(i), T1 + 10);
        tmp.createFileAt(QStringLiteral("right/") + name, QByteArray("old ") + QByteArray::number(i), T1);
        tmp.createFileAt(QStringLiteral("right/only-right/") + name, "orphan", T1);
    }
    const QByteArray big(24 << 20, 'x');
    for (int i = 0; i < 6; ++i)
        tmp.createFileAt(QStringLiteral("left/z-big%1.bin").arg(i), big, T1);
    const QStringList beforeLeft = Manifest(left);
    const QStringList beforeRight = Manifest(right);

    for (const int after : {3, 40, 63}) {
        SCOPED_TRACE(after);
        QProcess sync;
        sync.start(bin + QStringLiteral("/parvexcmd"),
                   {QStringLiteral("sync"), QStringLiteral("--sync"), QStringLiteral("right-same-as-left"),
                    QStringLiteral("--subfolders"), QStringLiteral("--max-delete"), QStringLiteral("100%"), left, right});
        ASSERT_TRUE(sync.waitForStarted());
        int seen = 0;
        while (seen < after && sync.state() == QProcess::Running) {
            if (sync.canReadLine() || sync.waitForReadyRead(30000))
                while (sync.canReadLine()) {
                    sync.readLine();
                    ++seen;
                }
        }
        sync.kill(); // SIGKILL: no chance to tidy up
        sync.waitForFinished();
        ASSERT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
        const QStringList afterLeft = Manifest(left);
        const QStringList afterRight = Manifest(right);
        EXPECT_EQ(afterLeft, beforeLeft) << qPrintable(ManifestDiffText(beforeLeft, afterLeft));
        EXPECT_EQ(afterRight, beforeRight) << qPrintable(ManifestDiffText(beforeRight, afterRight));
    }
}

TEST_F(Undo, TheGuardStopsARunThatWouldEmptyASide)
{
    tmp.createFolder(QStringLiteral("right"));
    for (int i = 0; i < 25; ++i)
        tmp.createFileAt(QStringLiteral("right/backup/f%1").arg(i), "precious", T1);
    const QStringList before = Manifest(right);

    // The left is empty (a disk that was not mounted): the mirror would delete all 25.
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 3) << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("would delete 25 of the 25 objects in the right folder"))) << qPrintable(errors);
    EXPECT_EQ(Manifest(right), before);
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--dry-run")}), 3) << qPrintable(Out());
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--max-delete"), QStringLiteral("24")}), 3);
    EXPECT_EQ(Manifest(right), before);

    // Half of a side is not more than half; a count that allows it lets the run go.
    for (int i = 0; i < 12; ++i)
        tmp.createFileAt(QStringLiteral("left/backup/f%1").arg(i), "precious", T1);
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--dry-run")}), 3) << qPrintable(Out());
    tmp.createFileAt(QStringLiteral("left/backup/f12"), "precious", T1);
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--dry-run")}), 0) << qPrintable(Out());
    for (int i = 0; i < 13; ++i)
        ASSERT_TRUE(QFile::remove(left + QStringLiteral("/backup/f%1").arg(i)));
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--max-delete"), QStringLiteral("25")}), 0)
        << qPrintable(Out());
    EXPECT_TRUE(QDir(right + QStringLiteral("/backup")).isEmpty());

    // And it can be taken back.
    EXPECT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
    EXPECT_EQ(Manifest(right), before);

    // A small side (under 20 objects) is not guarded by the share.
    const QString small = tmp.createFolder(QStringLiteral("small"));
    tmp.createFileAt(QStringLiteral("small/a"), "a", T1);
    EXPECT_EQ(Run({QStringLiteral("sync"), QStringLiteral("--sync"), QStringLiteral("right-same-as-left"),
                   QStringLiteral("--dry-run"), tmp.createFolder(QStringLiteral("empty")), small}),
              0)
        << qPrintable(Out());
}

TEST_F(Undo, TheGuardStopsAPairWhoseFolderMovedToAnotherFileSystem)
{
    // The right folder is a mount point: synchronised while the disk is there, then the disk is gone and
    // the empty mount point remains.
    tmp.createFileAt(QStringLiteral("left/a.txt"), "a", T1);
    tmp.createFolder(QStringLiteral("right"));
    {
        Tmpfs disk(right, "size=4m");
        MOUNT_OR_SKIP(disk);
        tmp.createFileAt(QStringLiteral("right/b.txt"), "b", T1);
        ASSERT_EQ(Sync(QStringLiteral("orphans-to-right")), 0) << qPrintable(Out());
    }

    EXPECT_EQ(Sync(QStringLiteral("orphans-to-right")), 3) << qPrintable(Out());
    EXPECT_TRUE(errors.contains(QStringLiteral("is on another file system than at the last synchronization")))
        << qPrintable(errors);
    EXPECT_TRUE(QDir(right).isEmpty()) << "nothing was written into the mount point";
    EXPECT_EQ(Sync(QStringLiteral("orphans-to-right"), {QStringLiteral("--max-delete"), QStringLiteral("0")}), 0)
        << qPrintable(Out());
    // From then on this is the pair's file system.
    EXPECT_EQ(Sync(QStringLiteral("both-ways")), 0) << qPrintable(Out());
}

TEST_F(Undo, AJournalThatCannotBeUsedNeverStopsASynchronization)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "a", T1);
    tmp.createFolder(QStringLiteral("right"));
    {
        QFile foreign(bin + QStringLiteral("/SyncJournal.db"));
        ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
        foreign.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left")), 0) << qPrintable(Out());
    EXPECT_TRUE(QFile::exists(right + QStringLiteral("/a.txt")));
    EXPECT_TRUE(errors.contains(QStringLiteral("cannot be used: it is damaged"))) << qPrintable(errors);
    EXPECT_EQ(Run({QStringLiteral("undo")}), 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("SyncJournal.db"))) << qPrintable(errors);
    QFile foreign(bin + QStringLiteral("/SyncJournal.db"));
    ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
    EXPECT_EQ(foreign.readAll(), QByteArray(4096, 'x')) << "the file is left as it was";
}

// A new folder of many small files, copied with the files ready ahead and heard of in batches: a kill
// anywhere in it leaves the undo knowing every file that got its name.
TEST_F(Undo, AFolderCopyKilledHalfWayIsTakenBackWhole)
{
    for (int i = 0; i < 2400; ++i)
        tmp.createFileAt(QStringLiteral("left/new-tree/%1/f%2.txt").arg(i % 3).arg(i), QByteArray(200 + i, 'n'), T1 + i);
    tmp.createFileAt(QStringLiteral("right/kept.txt"), "kept", T1);
    const QStringList beforeRight = Manifest(right);

    for (const int after : {50, 1000}) {
        SCOPED_TRACE(after);
        QProcess sync;
        sync.start(bin + QStringLiteral("/parvexcmd"),
                   {QStringLiteral("sync"), QStringLiteral("--sync"), QStringLiteral("orphans-to-right"),
                    QStringLiteral("--subfolders"), left, right});
        ASSERT_TRUE(sync.waitForStarted());
        // Killed once that many files are in place.
        const QString target = right + QStringLiteral("/new-tree");
        ASSERT_TRUE(QTest::qWaitFor([&] {
            int placed = 0;
            for (const QString& sub : {QStringLiteral("/0"), QStringLiteral("/1"), QStringLiteral("/2")})
                placed += QDir(target + sub).entryList({QStringLiteral("f*")}, QDir::Files).size();
            return placed >= after || sync.state() != QProcess::Running;
        }, 60000));
        sync.kill();
        sync.waitForFinished();
        ASSERT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
        const QStringList afterRight = Manifest(right);
        EXPECT_EQ(afterRight, beforeRight) << qPrintable(ManifestDiffText(beforeRight, afterRight));
    }
}

// A replacement records the new object with the old one, before the new one is renamed over the old one.
// Killed before the rename, the name still holds the old object: the undo forgets the trash's second name
// of it and names nothing as changed; killed after it, the new object goes and the old one comes back.
TEST_F(Undo, AReplacementRecordedBeforeItsRenameIsTakenBackWhereverTheKillLanded)
{
    const QString path = tmp.createFileAt(QStringLiteral("right/old.txt"), "old", T1);
    const QString trash = Trash(home);
    tmp.createFolder(QStringLiteral("home/.local/share/Trash/files"));
    ASSERT_EQ(::link(Native(path).constData(), Native(trash + QStringLiteral("/files/old.txt")).constData()), 0);
    FileOps::Identity was;
    ASSERT_TRUE(FileOps::IdentityOf(path, was));

    SyncJournal journal(tmp.createFolder(QStringLiteral("journal")));
    const auto record = [&](const FileOps::Identity& coming) {
        const qint64 id = BeginKeptRun(journal);
        const qint64 op = journal.BeginOperation(id, 1, SyncJournal::OpKind::Copy, left + QStringLiteral("/old.txt"), path);
        journal.AddObject(op, {SyncJournal::ObjectRole::Displaced, path, was, {trash, QStringLiteral("old.txt")}, 0});
        journal.AddObject(op, {SyncJournal::ObjectRole::Created, path, coming, {}, 0});
        journal.Flush();
        return id;
    };

    // Killed before the rename.
    FileOps::Identity never = was;
    never.ino += 1000003;
    never.size = 3;
    UndoPlan plan = PlanUndo(journal, record(never));
    ASSERT_TRUE(plan.problem.isEmpty()) << qPrintable(plan.problem);
    EXPECT_TRUE(plan.left.empty()) << qPrintable(plan.left.empty() ? QString() : plan.left.front().why);
    ASSERT_EQ(plan.steps.size(), 1u);
    EXPECT_EQ(plan.steps[0].action, UndoStep::Action::ForgetLink);

    // Killed after it: the new object has the name, the old one lives on in the trash only.
    const QString fresh = tmp.createFileAt(QStringLiteral("right/.fresh"), "new contents", T1 + 60);
    FileOps::Identity coming;
    ASSERT_TRUE(FileOps::IdentityOf(fresh, coming));
    ASSERT_EQ(::rename(Native(fresh).constData(), Native(path).constData()), 0);
    plan = PlanUndo(journal, record(coming));
    ASSERT_TRUE(plan.problem.isEmpty()) << qPrintable(plan.problem);
    EXPECT_TRUE(plan.left.empty()) << qPrintable(plan.left.empty() ? QString() : plan.left.front().why);
    ASSERT_EQ(plan.steps.size(), 2u);
    EXPECT_EQ(plan.steps[0].action, UndoStep::Action::RemoveCreated);
    EXPECT_EQ(plan.steps[1].action, UndoStep::Action::RestoreKept);
}

// A deletion records where the object goes, and a new file the object it puts in place, before the object
// moves: killed in between, the object is still where it was (or the name still free), and the undo has
// nothing to do and nothing to name.
TEST_F(Undo, ADeletionOrANewFileRecordedBeforeItHappenedLeavesNothingToDo)
{
    const QString kept = tmp.createFileAt(QStringLiteral("right/kept.txt"), "still here", T1);
    const QString never = right + QStringLiteral("/never.txt");
    const QString trash = Trash(home);
    tmp.createFile(QStringLiteral("home/.local/share/Trash/info/kept.txt.trashinfo"), "[Trash Info]\nPath=x\n");
    FileOps::Identity was;
    ASSERT_TRUE(FileOps::IdentityOf(kept, was));
    FileOps::Identity made = was;
    made.ino += 1000003;

    SyncJournal journal(tmp.createFolder(QStringLiteral("journal")));
    const qint64 id = BeginKeptRun(journal);
    const qint64 del = journal.BeginOperation(id, 1, SyncJournal::OpKind::Delete, kept, QString());
    journal.AddObject(del, {SyncJournal::ObjectRole::Displaced, kept, was, {trash, QStringLiteral("kept.txt")}, 0});
    const qint64 copy = journal.BeginOperation(id, 2, SyncJournal::OpKind::Copy, left + QStringLiteral("/never.txt"), never);
    journal.AddObject(copy, {SyncJournal::ObjectRole::Created, never, made, {}, 0});
    journal.Flush();

    const UndoPlan plan = PlanUndo(journal, id);
    ASSERT_TRUE(plan.problem.isEmpty()) << qPrintable(plan.problem);
    EXPECT_TRUE(plan.left.empty()) << qPrintable(plan.left.empty() ? QString() : plan.left.front().path + QLatin1Char(' ') + plan.left.front().why);
    EXPECT_TRUE(plan.steps.empty());
    EXPECT_EQ(FileBytes(kept), "still here");
}
