#include "TestSupport.h"
#include "TreeManifest.h"
#include "VariedTree.h"
#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <atomic>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// Small files are copied into temporary files (without a name, or under a hidden one) on a second thread
// before their turn comes; these tests hold that to what a copy in its turn would have made, and to
// leaving nothing behind.

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The program's temporary files anywhere below folder.
QStringList Temporaries(const QString& folder)
{
    QStringList found;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = folder + QLatin1Char('/') + name;
        if (FileOps::IsTemporaryName(Native(name).constData()))
            found << path;
        else if (S_ISDIR(ObjectStat(path).st_mode))
            found << Temporaries(path);
    }
    return found;
}

// The inodes of the files without a name this process holds open below folder (made with O_TMPFILE: the
// kernel names them "folder/#inode (deleted)").
std::vector<ino_t> AnonymousFiles(const QString& folder)
{
    std::vector<ino_t> inodes;
    DIR* fds = ::opendir("/proc/self/fd");
    if (fds == nullptr)
        return inodes;
    QByteArray prefix = Native(folder);
    if (!prefix.endsWith('/'))
        prefix += '/';
    while (const dirent* entry = ::readdir(fds)) {
        const QByteArray path = QByteArray("/proc/self/fd/") + entry->d_name;
        char text[4096];
        const ssize_t n = ::readlink(path.constData(), text, sizeof text);
        const QByteArray link = n > 0 ? QByteArray(text, n) : QByteArray();
        if (!link.startsWith(prefix) || !link.endsWith(" (deleted)") || link.mid(link.lastIndexOf('/') + 1, 1) != "#")
            continue;
        struct stat st {};
        if (::stat(path.constData(), &st) == 0)
            inodes.push_back(st.st_ino);
    }
    ::closedir(fds);
    return inodes;
}

// Waits until count files are being prepared below folder (the second thread has begun them, with a hidden
// temporary name or none); their inodes.
std::vector<ino_t> AwaitPrepared(const QString& folder, int count)
{
    std::vector<ino_t> inodes;
    // The callers look at what was found.
    static_cast<void>(QTest::qWaitFor([&] {
        inodes = AnonymousFiles(folder);
        for (const QString& path : Temporaries(folder))
            inodes.push_back(ObjectStat(path).st_ino);
        return int(inodes.size()) >= count;
    }, 10000));
    return inodes;
}

bool Contains(const std::vector<ino_t>& inodes, ino_t ino) { return std::find(inodes.begin(), inodes.end(), ino) != inodes.end(); }

class CopyAheadTest : public ::testing::Test
{
protected:
    QString Src(const QString& relative = {}) const { return dir.file(QStringLiteral("src/") + relative); }
    QString Dst(const QString& relative = {}) const { return dir.file(QStringLiteral("dst/") + relative); }
    void SetUp() override
    {
        dir.createFolder(QStringLiteral("src"));
        dir.createFolder(QStringLiteral("dst"));
        control.memory = &memory;
        control.roots = QStringList{Src(), Dst()};
    }

    TempDir dir;
    FileOps::RunMemory memory;
    FileOps::Control control;
};

} // namespace

TEST_F(CopyAheadTest, APreparedFileIsPutInPlaceWithItsMetadataAndUnusedOnesGo)
{
    const qint64 t = 1685620800;
    dir.createFileAt(QStringLiteral("src/a.txt"), "alpha", t, 123456789);
    dir.createFileAt(QStringLiteral("src/b.txt"), "beta", t + 1);
    ASSERT_EQ(::chmod(Native(Src(QStringLiteral("a.txt"))).constData(), 0640), 0);
    dir.createFileAt(QStringLiteral("dst/a.txt"), "old alpha", t - 100);

    memory.PrepareCopy(Src(QStringLiteral("a.txt")), Dst(QStringLiteral("a.txt")), control);
    memory.PrepareCopy(Src(QStringLiteral("b.txt")), Dst(QStringLiteral("b.txt")), control);
    const std::vector<ino_t> prepared = AwaitPrepared(Dst(), 2);
    ASSERT_EQ(prepared.size(), 2u);
    // Nothing a user sees has changed yet.
    EXPECT_EQ(Bytes(Dst(QStringLiteral("a.txt"))), "old alpha");
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("b.txt"))).st_mode, 0u);

    const FileOps::Result result = FileOps::CopyAs(Src(QStringLiteral("a.txt")), Dst(QStringLiteral("a.txt")), control);
    ASSERT_TRUE(result.ok()) << qPrintable(result.errorText);
    const struct stat made = ObjectStat(Dst(QStringLiteral("a.txt")));
    EXPECT_TRUE(Contains(prepared, made.st_ino)) << "the file copied ahead was not the one put in place";
    EXPECT_EQ(Bytes(Dst(QStringLiteral("a.txt"))), "alpha");
    EXPECT_EQ(made.st_mode & 07777, 0640u);
    EXPECT_EQ(made.st_mtim.tv_sec, t);
    EXPECT_EQ(made.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(result.bytesDone, 5);

    // b was never asked for: it goes, and leaves no name behind.
    memory.DropPrepared();
    EXPECT_EQ(Temporaries(Dst()), QStringList());
    EXPECT_TRUE(AnonymousFiles(Dst()).empty());
    EXPECT_EQ(ObjectStat(Dst(QStringLiteral("b.txt"))).st_mode, 0u);
}

TEST_F(CopyAheadTest, WhatChangedSincePreparingIsCopiedInItsTurn)
{
    dir.createFileAt(QStringLiteral("src/changed.txt"), "first words", 1685620800);
    dir.createFileAt(QStringLiteral("src/moved.txt"), "moved", 1685620800);
    dir.createFolder(QStringLiteral("dst/sub"));
    memory.PrepareCopy(Src(QStringLiteral("changed.txt")), Dst(QStringLiteral("changed.txt")), control);
    memory.PrepareCopy(Src(QStringLiteral("moved.txt")), Dst(QStringLiteral("sub/moved.txt")), control);
    ASSERT_EQ(AwaitPrepared(Dst(), 2).size(), 2u);

    // The source is written again (same size, same time given back): its change time tells.
    dir.createFileAt(QStringLiteral("src/changed.txt"), "final words", 1685620800);
    // The target folder is moved away and another takes its name.
    ASSERT_EQ(::rename(Native(Dst(QStringLiteral("sub"))).constData(), Native(Dst(QStringLiteral("old-sub"))).constData()), 0);
    dir.createFolder(QStringLiteral("dst/sub"));

    ASSERT_TRUE(FileOps::CopyAs(Src(QStringLiteral("changed.txt")), Dst(QStringLiteral("changed.txt")), control).ok());
    ASSERT_TRUE(FileOps::CopyAs(Src(QStringLiteral("moved.txt")), Dst(QStringLiteral("sub/moved.txt")), control).ok());
    EXPECT_EQ(Bytes(Dst(QStringLiteral("changed.txt"))), "final words");
    EXPECT_EQ(Bytes(Dst(QStringLiteral("sub/moved.txt"))), "moved");
    // What was prepared for the folder that moved away went with the copy that did not use it.
    EXPECT_EQ(Temporaries(Dst()), QStringList());
    EXPECT_EQ(QDir(Dst(QStringLiteral("old-sub"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

TEST_F(CopyAheadTest, ARunThatEndsWithoutUsingItsPreparedFilesLeavesNoneBehind)
{
    for (int i = 0; i < 20; ++i)
        dir.createFileAt(QStringLiteral("src/f%1").arg(i), QByteArray(1000 + i, 'x'), 1685620800);
    {
        FileOps::RunMemory run;
        FileOps::Control asked = control;
        asked.memory = &run;
        for (int i = 0; i < 20; ++i)
            run.PrepareCopy(Src(QStringLiteral("f%1").arg(i)), Dst(QStringLiteral("f%1").arg(i)), asked);
        AwaitPrepared(Dst(), 1);
    } // the run's end, while the second thread may still be copying
    EXPECT_EQ(Temporaries(Dst()), QStringList());
    EXPECT_TRUE(AnonymousFiles(Dst()).empty());
    EXPECT_EQ(QDir(Dst()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// A folder of many small files, copied with the second thread ahead of the first, is the source to the
// last bit; a cancelled one leaves no temporary file anywhere, however far ahead the second thread was.
TEST_F(CopyAheadTest, AFolderOfManySmallFilesIsCopiedWholeAndACancelLeavesNothingHidden)
{
    const QString left = dir.file(QStringLiteral("left"));
    MakeVariedTree(dir, left);
    for (int i = 0; i < 150; ++i) {
        const QString name = QStringLiteral("left/many/%1/file-%2").arg(i % 3).arg(i);
        dir.createFileAt(name, QByteArray(i * 37, char('a' + i % 26)), 1685620800 + i, i * 1000);
        ASSERT_EQ(::chmod(Native(dir.file(name)).constData(), i % 2 == 0 ? 0600 : 0755), 0);
    }
    ASSERT_EQ(::setxattr(Native(dir.file(QStringLiteral("left/many/1/file-7"))).constData(), "user.tag", "seven", 5, 0), 0);

    // With the run's memory, as a synchronisation copies: hard links stay links.
    FileOps::Control whole;
    FileOps::RunMemory run;
    whole.memory = &run;
    const FileOps::Result copied = FileOps::CopyAs(left, Dst(QStringLiteral("whole")), whole);
    ASSERT_TRUE(copied.ok()) << qPrintable(copied.errorText);
    EXPECT_EQ(TreeManifest(Dst(QStringLiteral("whole")), Everything()), TreeManifest(left, Everything()));
    EXPECT_EQ(Temporaries(Dst()), QStringList());

    // Cancelled after a few objects: the rest are never put in place, and nothing hidden stays.
    std::atomic<bool> cancel{false};
    FileOps::Control cancelled;
    cancelled.cancel = &cancel;
    cancelled.onProgress = [&](const FileOps::Progress& p) {
        if (p.objectsDone >= 40)
            cancel = true;
    };
    const FileOps::Result stopped = FileOps::CopyAs(left, Dst(QStringLiteral("part")), cancelled);
    EXPECT_TRUE(stopped.aborted);
    EXPECT_EQ(Temporaries(Dst()), QStringList());
    EXPECT_TRUE(AnonymousFiles(Dst()).empty());
}
