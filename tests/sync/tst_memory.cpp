#include "SyncCommandFixture.h"
#include "TestSupport.h"
#include "TreeManifest.h"
#include "VariedTree.h"

#include "sync/SyncMemory.h"

#include "base/Path.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

// Two-way synchronisation with the memory of the pair, through parvexcmd on real folders: deletions since
// the last run are carried to the other side, a pair changed on both sides is left and reported, an object
// renamed on one side is renamed on the other (the same inode), and without a usable memory everything is
// as it always was.
namespace {

constexpr qint64 T1 = 1685620800;

QByteArray Native(const QString& path) { return EncodeFileName(path); }

ino_t Inode(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The page size of a database file; 0 when it cannot be read.
int PageSize(const QString& path)
{
    sqlite3* db = nullptr;
    int size = 0;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open_v2(Native(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        size = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return size;
}

// Rewrites a database with pages of pageSize, as journals were made before theirs became smaller.
bool Repage(const QString& path, int pageSize)
{
    sqlite3* db = nullptr;
    const QByteArray sql = "PRAGMA journal_mode=DELETE; PRAGMA page_size=" + QByteArray::number(pageSize)
                           + "; VACUUM; PRAGMA journal_mode=WAL;";
    const bool ok = sqlite3_open_v2(Native(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                    && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool Exists(const QString& path)
{
    struct stat st {};
    return ::lstat(Native(path).constData(), &st) == 0;
}

// A tree as both-ways leaves it alike on both sides: everything but the times of folders, which only a
// mirror gives the other side.
QStringList Shape(const QString& root)
{
    QStringList lines = TreeManifest(root);
    for (QString& line : lines)
        if (line.contains(QStringLiteral("\tdir ")))
            line.truncate(line.indexOf(QStringLiteral(" mtime=")));
    return lines;
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class Memory : public SyncCommandTest
{
protected:
    void SetUp() override
    {
        SyncCommandTest::SetUp();
        home = tmp.createFolder(QStringLiteral("home"));
        qputenv("XDG_DATA_HOME", EncodeFileName(home + QStringLiteral("/.local/share")));
    }

    QString L(const QString& name) const { return left + QLatin1Char('/') + name; }
    QString R(const QString& name) const { return right + QLatin1Char('/') + name; }
    QString Trashed(const QString& name) const { return home + QStringLiteral("/.local/share/Trash/files/") + name; }
    QString Journal() const { return bin + QStringLiteral("/SyncJournal.db"); }

    // Both ways, with the memory, allowing any number of deletions (the guard has tests of its own).
    int BothWays(const QStringList& extra = {})
    {
        return Sync(QStringLiteral("both-ways"), QStringList{QStringLiteral("--max-delete"), QStringLiteral("100%")} + extra);
    }

    QString home;
};

TEST_F(Memory, DeletionsAndEditsOnEitherSideAreCarriedAndConflictsLeft)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "Docs/d.txt", "Docs/e.txt", "Docs/Deep/f.txt", "Gone/g.txt"})
        tmp.createFileAt(QStringLiteral("left/") + QLatin1String(name), QByteArray(name) + " as it was", T1);
    ASSERT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(Shape(left), Shape(right));

    // Left: a.txt, the folder Gone and the folder Docs/Deep deleted, b.txt edited. Right: Docs/d.txt deleted,
    // Docs/e.txt edited. Both: c.txt edited.
    ASSERT_EQ(::unlink(Native(L(QStringLiteral("a.txt"))).constData()), 0);
    ASSERT_EQ(::unlink(Native(L(QStringLiteral("Gone/g.txt"))).constData()), 0);
    ASSERT_EQ(::rmdir(Native(L(QStringLiteral("Gone"))).constData()), 0);
    ASSERT_EQ(::unlink(Native(L(QStringLiteral("Docs/Deep/f.txt"))).constData()), 0);
    ASSERT_EQ(::rmdir(Native(L(QStringLiteral("Docs/Deep"))).constData()), 0);
    ASSERT_EQ(::unlink(Native(R(QStringLiteral("Docs/d.txt"))).constData()), 0);
    tmp.createFileAt(QStringLiteral("left/b.txt"), "b, edited on the left", T1 + 60);
    tmp.createFileAt(QStringLiteral("right/Docs/e.txt"), "e, edited on the right", T1 + 60);
    tmp.createFileAt(QStringLiteral("left/c.txt"), "c, the left's edit", T1 + 60);
    tmp.createFileAt(QStringLiteral("right/c.txt"), "c, the right's edit", T1 + 120);

    // The comparison says so in a seventh column.
    ASSERT_EQ(Run({QStringLiteral("compare"), QStringLiteral("--details"), QStringLiteral("--subfolders"), left, right}), 1)
        << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("\t\t\ta.txt\t15\tOrphan\tDeleted on the left since the last synchronization")))
        << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("Docs/d.txt\t20\tOrphan\t\t\t\tDeleted on the right since the last synchronization")))
        << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("c.txt\t18\tOlder\tc.txt\t19\tNewer\tChanged on both sides since the last synchronization")))
        << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("b.txt\t21\tNewer\tb.txt\t15\tOlder\t"))) << qPrintable(Out());

    // A dry run says what will happen, conflicts included, and changes nothing.
    EXPECT_EQ(BothWays({QStringLiteral("--dry-run")}), 1) << qPrintable(Out());
    EXPECT_EQ(errors, QStringLiteral("conflict\tc.txt\n"));
    EXPECT_TRUE(Exists(R(QStringLiteral("a.txt"))));

    EXPECT_EQ(BothWays(), 1) << qPrintable(Out());
    EXPECT_EQ(errors, QStringLiteral("conflict\tc.txt\n"));
    for (const char* line : {"delete-right\ta.txt", "delete-right\t/Gone", "delete-left\tDocs/d.txt",
                             "delete-right\tDocs/Deep/f.txt", "delete-right\tDocs/Deep/", "copy-to-right\tb.txt",
                             "copy-to-left\tDocs/e.txt"})
        EXPECT_TRUE(lines.contains(QLatin1String(line))) << line << "\n" << qPrintable(Out());
    EXPECT_EQ(lines.size(), 7) << qPrintable(Out());
    // Carried deletions go to the trash; the conflict stays as it was on both sides.
    EXPECT_EQ(Bytes(Trashed(QStringLiteral("a.txt"))), "a.txt as it was");
    EXPECT_EQ(Bytes(Trashed(QStringLiteral("d.txt"))), "Docs/d.txt as it was");
    EXPECT_EQ(Bytes(L(QStringLiteral("c.txt"))), "c, the left's edit");
    EXPECT_EQ(Bytes(R(QStringLiteral("c.txt"))), "c, the right's edit");
    QStringList l = Shape(left);
    QStringList r = Shape(right);
    l.removeIf([](const QString& line) { return line.startsWith(QStringLiteral("c.txt")); });
    r.removeIf([](const QString& line) { return line.startsWith(QStringLiteral("c.txt")); });
    EXPECT_EQ(l, r);

    // The conflict is still one at the next run (nothing else to do), and ends once the sides agree.
    EXPECT_EQ(BothWays(), 1) << qPrintable(Out());
    EXPECT_EQ(errors, QStringLiteral("conflict\tc.txt\n"));
    EXPECT_TRUE(lines.isEmpty()) << qPrintable(Out());
    tmp.createFileAt(QStringLiteral("left/c.txt"), "c, the right's edit", T1 + 120);
    EXPECT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_TRUE(lines.isEmpty()) << qPrintable(Out());
    EXPECT_EQ(errors, QString());
}

TEST_F(Memory, ARenameOnEitherSideIsARenameOnTheOther)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "a file to rename", T1);
    for (const char* name : {"Photos/1.jpg", "Photos/2.jpg", "Photos/Trip/3.jpg"})
        tmp.createFileAt(QStringLiteral("left/") + QLatin1String(name), QByteArray(4096, name[7]), T1);
    ASSERT_EQ(BothWays(), 0) << qPrintable(Out());
    const ino_t rightA = Inode(R(QStringLiteral("a.txt")));
    const ino_t leftPhotos = Inode(L(QStringLiteral("Photos")));
    ASSERT_EQ(::rename(Native(L(QStringLiteral("a.txt"))).constData(), Native(L(QStringLiteral("renamed.txt"))).constData()), 0);
    ASSERT_EQ(::rename(Native(R(QStringLiteral("Photos"))).constData(), Native(R(QStringLiteral("Pictures"))).constData()), 0);

    ASSERT_EQ(Run({QStringLiteral("compare"), QStringLiteral("--details"), QStringLiteral("--subfolders"), left, right}), 1);
    EXPECT_TRUE(lines.contains(QStringLiteral("renamed.txt\t16\tOrphan\t\t\t\tMoved from a.txt"))) << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("\t\t\t/Pictures\t12288\tOrphanFolder\tMoved from Photos"))) << qPrintable(Out());

    EXPECT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("move-right\ta.txt\trenamed.txt"),
                                  QStringLiteral("move-left\t/Photos\t/Pictures")}))
        << qPrintable(Out());
    EXPECT_EQ(Inode(R(QStringLiteral("renamed.txt"))), rightA);
    EXPECT_EQ(Inode(L(QStringLiteral("Pictures"))), leftPhotos);
    EXPECT_EQ(Shape(left), Shape(right));

    // The undo renames them back.
    ASSERT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
    EXPECT_EQ(Inode(R(QStringLiteral("a.txt"))), rightA);
    EXPECT_EQ(Inode(L(QStringLiteral("Photos"))), leftPhotos);
    EXPECT_FALSE(Exists(R(QStringLiteral("renamed.txt"))));
    EXPECT_FALSE(Exists(L(QStringLiteral("Pictures"))));
}

// The first run of a pair knows no memory: an object of one side only is the same as one of the other side
// when kind, size, time and contents are equal, and a mirror renames it instead of copying and deleting.
TEST_F(Memory, TheFirstRunFindsARenameByItsContents)
{
    tmp.createFileAt(QStringLiteral("left/new name.txt"), "the same bytes", T1);
    tmp.createFileAt(QStringLiteral("right/old name.txt"), "the same bytes", T1);
    tmp.createFileAt(QStringLiteral("left/other.txt"), "AAAA", T1);
    tmp.createFileAt(QStringLiteral("right/decoy.txt"), "BBBB", T1); // same size and time, other bytes
    for (const char* name : {"Album/x", "Album/Sub/y"}) {
        tmp.createFileAt(QStringLiteral("left/Album/") + QLatin1String(name + 6), name, T1);
        tmp.createFileAt(QStringLiteral("right/Old Album/") + QLatin1String(name + 6), name, T1);
    }
    const ino_t old = Inode(R(QStringLiteral("old name.txt")));
    const ino_t oldAlbum = Inode(R(QStringLiteral("Old Album")));

    EXPECT_EQ(Sync(QStringLiteral("right-same-as-left"), {QStringLiteral("--max-delete"), QStringLiteral("100%")}), 0)
        << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("move-right\told name.txt\tnew name.txt"))) << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("move-right\t/Old Album\t/Album"))) << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("delete-right\tdecoy.txt"))) << qPrintable(Out());
    EXPECT_TRUE(lines.contains(QStringLiteral("copy-to-right\tother.txt"))) << qPrintable(Out());
    EXPECT_EQ(Inode(R(QStringLiteral("new name.txt"))), old);
    EXPECT_EQ(Inode(R(QStringLiteral("Album"))), oldAlbum);
    EXPECT_EQ(TreeManifest(left), TreeManifest(right));
}

// A journal that is missing is a first run; one that is damaged is said once, left as it is, and the run
// goes ahead as without memory: the deletion comes back.
TEST_F(Memory, WithoutAUsableMemoryADeletionComesBackAsBefore)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "a", T1);
    tmp.createFileAt(QStringLiteral("left/b.txt"), "b", T1);
    ASSERT_EQ(BothWays(), 0) << qPrintable(Out());
    ASSERT_EQ(::unlink(Native(L(QStringLiteral("a.txt"))).constData()), 0);
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(Journal() + QLatin1String(suffix));
    EXPECT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(lines, QStringList{QStringLiteral("copy-to-left\ta.txt")});
    EXPECT_EQ(errors, QString());

    ASSERT_EQ(::unlink(Native(L(QStringLiteral("a.txt"))).constData()), 0);
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(Journal() + QLatin1String(suffix));
    const QByteArray damaged(8192, 'x');
    {
        QFile f(Journal());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    EXPECT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(lines, QStringList{QStringLiteral("copy-to-left\ta.txt")});
    EXPECT_EQ(errors.count(QStringLiteral("cannot be used")), 1) << qPrintable(errors);
    EXPECT_EQ(Bytes(Journal()), damaged);
}

// "Follow the deletion" belongs to both ways; a method that only adds orphans copies the deleted object
// back as it always did, and the memory keeps the deletion for a later run that follows it.
TEST_F(Memory, OnlyTheRuleFollowsADeletion)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "a", T1);
    ASSERT_EQ(BothWays(), 0) << qPrintable(Out());
    ASSERT_EQ(::unlink(Native(R(QStringLiteral("a.txt"))).constData()), 0);
    EXPECT_EQ(Sync(QStringLiteral("orphans-to-left")), 0) << qPrintable(Out());
    EXPECT_TRUE(lines.isEmpty()) << qPrintable(Out());
    EXPECT_EQ(BothWays({QStringLiteral("--no-follow-deletions")}), 0) << qPrintable(Out());
    EXPECT_EQ(lines, QStringList{QStringLiteral("copy-to-right\ta.txt")});
    ASSERT_EQ(::unlink(Native(R(QStringLiteral("a.txt"))).constData()), 0);
    EXPECT_EQ(Sync(QStringLiteral("custom"), {QStringLiteral("--rules"), QStringLiteral("1,2,1,0,1,2,1,0"),
                                              QStringLiteral("--follow-deletions")}),
              0)
        << qPrintable(Out());
    EXPECT_EQ(lines, QStringList{QStringLiteral("delete-left\ta.txt")});
}

// A carried deletion is never a deletion for good: inside a differing sub-folder too, and when the run keeps
// nothing for undo, it goes to the trash.
TEST_F(Memory, ACarriedDeletionAlwaysGoesToTheTrash)
{
    tmp.createFileAt(QStringLiteral("left/Docs/keep.txt"), "keep", T1);
    tmp.createFileAt(QStringLiteral("left/Docs/old.txt"), "deleted on the right", T1);
    {
        QFile ini(bin + QStringLiteral("/parvex.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Options]\r\nKeepForUndo=False\r\n");
    }
    ASSERT_EQ(BothWays(), 0) << qPrintable(Out());
    ASSERT_EQ(::unlink(Native(R(QStringLiteral("Docs/old.txt"))).constData()), 0);
    tmp.createFileAt(QStringLiteral("right/Docs/new.txt"), "new on the right", T1);
    EXPECT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("delete-left\tDocs/old.txt"), QStringLiteral("copy-to-left\tDocs/new.txt")}));
    EXPECT_EQ(Bytes(Trashed(QStringLiteral("old.txt"))), "deleted on the right");
}

// A journal is made with small pages (a run commits a few small records per file); one made with larger pages
// before keeps them, and its memory and its runs serve as they did.
TEST_F(Memory, AJournalFromBeforeWithLargerPagesServesAsItDid)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "a", T1);
    tmp.createFileAt(QStringLiteral("left/b.txt"), "b", T1);
    ASSERT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(PageSize(Journal()), 1024);

    ASSERT_TRUE(Repage(Journal(), 4096));
    ASSERT_EQ(PageSize(Journal()), 4096);
    ASSERT_EQ(::unlink(Native(R(QStringLiteral("a.txt"))).constData()), 0);
    tmp.createFileAt(QStringLiteral("left/c.txt"), "c", T1);
    EXPECT_EQ(BothWays(), 0) << qPrintable(Out());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("delete-left\ta.txt"), QStringLiteral("copy-to-right\tc.txt")}));
    EXPECT_EQ(errors, QString());
    EXPECT_EQ(Bytes(Trashed(QStringLiteral("a.txt"))), "a");
    EXPECT_EQ(PageSize(Journal()), 4096);
    // The run went into that journal too: it is the one the next undo takes back.
    EXPECT_EQ(Run({QStringLiteral("undo")}), 0) << qPrintable(Out());
    EXPECT_EQ(Bytes(L(QStringLiteral("a.txt"))), "a");
    EXPECT_FALSE(Exists(R(QStringLiteral("c.txt"))));
}

// A walk on two threads (after a run, when the other side was walked during it) sees exactly what a walk
// on one does: every object with the same state, in the same order, whatever thread took which folder.
TEST(MemoryWalk, TwoThreadsSeeWhatOneSees)
{
    TempDir tmp;
    const QString left = tmp.createFolder(QStringLiteral("left"));
    MakeVariedTree(tmp, left);
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j <= i; ++j)
            tmp.createFileAt(QStringLiteral("left/top%1/sub%2/f%3").arg(i).arg(j % 3).arg(j), QByteArray::number(j), T1 + j);
    tmp.createFolder(QStringLiteral("left/empty-top"));
    const auto lines = [](const SideWalk& walk) {
        QStringList out;
        for (const auto& [path, s] : walk.objects)
            out << path + QLatin1Char('|') + QString::number(int(s.kind)) + QLatin1Char('|') + QString::number(s.size)
                       + QLatin1Char('|') + QString::number(s.mtimeNs) + QLatin1Char('|') + QString::number(s.mode)
                       + QLatin1Char('|') + QString::number(s.ino) + QLatin1Char('|') + QString::fromUtf8(s.link.toHex());
        return out;
    };
    const SideWalk one = WalkSide(left);
    ASSERT_GT(one.objects.size(), 60u);
    EXPECT_TRUE(one.incomplete.empty());
    for (int round = 0; round < 5; ++round) {
        const SideWalk two = WalkSide(left, nullptr, true);
        EXPECT_EQ(lines(two), lines(one));
        EXPECT_TRUE(two.incomplete.empty());
    }
}
