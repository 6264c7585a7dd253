#include "ModelFixture.h"

#include "base/ProgressSink.h"
#include "model/CDir.h"

#include <QFile>
#include <algorithm>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QStringList FileNames(const CDir& dir)
{
    QStringList names;
    for (const CFile& f : dir.Files())
        names << f.FileName();
    names.sort();
    return names;
}

QStringList SubDirNames(const CDir& dir)
{
    QStringList names;
    for (const QString& s : dir.SubDirs())
        names << s;
    names.sort();
    return names;
}

QStringList Sorted(const std::vector<const char*>& texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    list.sort();
    return list;
}

class CountingPump final : public EventPump
{
public:
    CountingPump(std::atomic<bool>& cancel, int cancelAfter) : m_cancel(cancel), m_cancelAfter(cancelAfter) {}
    void Pump() override
    {
        if (++pumps == m_cancelAfter)
            m_cancel = true;
    }
    int pumps = 0;

private:
    std::atomic<bool>& m_cancel;
    int m_cancelAfter;
};

class RecordingProgress final : public ProgressSink
{
public:
    void SetRange(qint64 maximum) override { range = maximum; }
    void SetValue(qint64 v) override { value = v; }
    void SetText(const QString&) override {}
    qint64 range = -1;
    qint64 value = -1;
};

} // namespace

// A folder with a little of everything the filters look at.
class FolderScan : public ModelFixture
{
protected:
    void SetUp() override
    {
        ModelFixture::SetUp();
        for (const char* f : {"a.txt", "B.TXT", "c.doc", "old.bak", ".hidden.txt", "README", "Readme"})
            work.createFile(QString::fromUtf8(f), "x");
        for (const char* d : {"Docs", "Temp", "src", ".git"})
            work.createFolder(QString::fromUtf8(d));
    }

    ScanResult Scan(CDir& dir, const QString& include, const QString& exclude, bool sysFiles = false,
                    bool hiddenFiles = false, bool hiddenFolders = false, const ScanContext& scan = {})
    {
        dir.SetPath(work.path());
        return dir.PopulateSelfWithFiles(include, exclude, sysFiles, hiddenFiles, false, hiddenFolders, scan);
    }
};

TEST_F(FolderScan, NoFiltersKeepsEverything)
{
    CDir dir(ctx->Errors());
    QString status;
    ScanContext scan;
    scan.filterStatus = &status;
    const ScanResult r = Scan(dir, QString(), QString(), false, false, false, scan);
    EXPECT_EQ(status, QStringLiteral("No Filters"));
    EXPECT_EQ(FileNames(dir), Sorted({".hidden.txt", "B.TXT", "README", "Readme", "a.txt", "c.doc", "old.bak"}));
    EXPECT_EQ(SubDirNames(dir), Sorted({"/.git", "/Docs", "/Temp", "/src"}));
    EXPECT_EQ(r.fileEntries, 7);
    EXPECT_FALSE(r.cancelled || r.failed || r.listError != 0);
    EXPECT_EQ(dir.Path(), work.path()); // the path stays
}

TEST_F(FolderScan, FilterRules)
{
    const struct
    {
        const char* label;
        const char* include;
        const char* exclude;
        std::vector<const char*> files;
        std::vector<const char*> folders;
    } cases[] = {
        {"file-include-keeps-every-folder", "*.txt", "", {".hidden.txt", "B.TXT", "a.txt"}, {"/.git", "/Docs", "/Temp", "/src"}},
        {"folder-include-limits-folders", "*.txt, \\docs", "", {".hidden.txt", "B.TXT", "a.txt"}, {"/Docs"}},
        {"slash-folder-include", "*.txt,/Docs", "", {".hidden.txt", "B.TXT", "a.txt"}, {"/Docs"}},
        {"exclude-files-and-folder", "", "*.bak, \\temp", {".hidden.txt", "B.TXT", "README", "Readme", "a.txt", "c.doc"}, {"/.git", "/Docs", "/src"}},
        {"folder-include-alone-keeps-no-file", "\\Docs", "", {}, {"/Docs"}},
        {"star-include-with-exclude", "*", "readme", {".hidden.txt", "B.TXT", "a.txt", "c.doc", "old.bak"}, {"/.git", "/Docs", "/Temp", "/src"}},
    };
    for (const auto& c : cases) {
        CDir dir(ctx->Errors());
        QString status;
        ScanContext scan;
        scan.filterStatus = &status;
        Scan(dir, QString::fromUtf8(c.include), QString::fromUtf8(c.exclude), false, false, false, scan);
        EXPECT_EQ(FileNames(dir), Sorted(c.files)) << c.label;
        EXPECT_EQ(SubDirNames(dir), Sorted(c.folders)) << c.label;
        EXPECT_EQ(status, QStringLiteral("Filters")) << c.label;
    }
}

TEST_F(FolderScan, HiddenAndSystemExclusions)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(work.file(QStringLiteral("pipe"))).constData(), 0600), 0);
    CDir dir(ctx->Errors());
    Scan(dir, QString(), QString());
    ASSERT_NE(dir.GetFile(QStringLiteral("pipe")), nullptr);
    EXPECT_TRUE(dir.GetFile(QStringLiteral("pipe"))->IsSpecial());
    EXPECT_FALSE(dir.GetFile(QStringLiteral("pipe"))->CanBeOpened());
    EXPECT_FALSE(dir.GetFile(QStringLiteral("a.txt"))->IsSpecial());

    Scan(dir, QString(), QString(), true, true, true);
    EXPECT_EQ(FileNames(dir), Sorted({"B.TXT", "README", "Readme", "a.txt", "c.doc", "old.bak"}));
    EXPECT_EQ(SubDirNames(dir), Sorted({"/Docs", "/Temp", "/src"}));

    // Hidden files excluded, hidden folders kept; a hidden file that a filter drops too is simply gone.
    Scan(dir, QString(), QStringLiteral("*.txt"), false, true, false);
    EXPECT_EQ(FileNames(dir), Sorted({"README", "Readme", "c.doc", "old.bak", "pipe"}));
    EXPECT_TRUE(SubDirNames(dir).contains(QStringLiteral("/.git")));
}

TEST_F(FolderScan, SymbolicLinks)
{
    const QString target = work.createFile(QStringLiteral("Docs/inside.dat"), QByteArray(1234, 'z'));
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(work.file(QStringLiteral("tofile"))).constData()), 0);
    ASSERT_EQ(::symlink("Docs", QFile::encodeName(work.file(QStringLiteral("tofolder"))).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(work.file(QStringLiteral("dangling"))).constData()), 0);
    ASSERT_EQ(::symlink("loop", QFile::encodeName(work.file(QStringLiteral("loop"))).constData()), 0);

    CDir dir(ctx->Errors());
    const ScanResult r = Scan(dir, QString(), QString());
    EXPECT_FALSE(r.failed);
    // A link to a file is a link too: its own size (the length of its target text), never read.
    const CFile* toFile = dir.GetFile(QStringLiteral("tofile"));
    ASSERT_NE(toFile, nullptr);
    EXPECT_EQ(toFile->Size(), QFile::encodeName(target).size());
    EXPECT_TRUE(toFile->IsLinkObject());
    EXPECT_FALSE(toFile->CanBeOpened());

    // A link to a folder is an entry of its own, never a folder to enter.
    const CFile* toFolder = dir.GetFile(QStringLiteral("tofolder"));
    ASSERT_NE(toFolder, nullptr);
    EXPECT_TRUE(toFolder->IsLinkObject());
    EXPECT_FALSE(toFolder->CanBeOpened());
    EXPECT_TRUE(dir.GetSubDir(QStringLiteral("/tofolder")).isEmpty());

    for (const char* name : {"dangling", "loop"}) {
        const CFile* link = dir.GetFile(QString::fromUtf8(name));
        ASSERT_NE(link, nullptr) << name;
        EXPECT_TRUE(link->IsDanglingLink()) << name;
        EXPECT_FALSE(link->CanBeOpened()) << name;
    }
}

TEST_F(FolderScan, TimeStampAndLargeSize)
{
    work.createFileAt(QStringLiteral("stamped"), "abc", 1704067200, 123456789);
    const QString big = work.file(QStringLiteral("big.img"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const qint64 fiveGb = 5LL * 1024 * 1024 * 1024;
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), fiveGb), 0);

    CDir dir(ctx->Errors());
    Scan(dir, QString(), QString());
    const CFile* stamped = dir.GetFile(QStringLiteral("stamped"));
    ASSERT_NE(stamped, nullptr);
    EXPECT_EQ(stamped->ModifiedDate(), 133485408001234567LL);
    EXPECT_EQ(stamped->Size(), 3);
    EXPECT_EQ(dir.GetFile(QStringLiteral("big.img"))->Size(), fiveGb);
}

TEST_F(FolderScan, CancelKeepsWhatWasFound)
{
    for (int i = 0; i < 20; ++i)
        work.createFile(QStringLiteral("n%1.dat").arg(i), "x");
    std::atomic<bool> cancel{false};
    CountingPump pump(cancel, 5);
    RecordingProgress progress;
    std::atomic<bool> slow{false};
    ScanContext scan;
    scan.pump = &pump;
    scan.cancel = &cancel;
    scan.progress = &progress;
    scan.slowConnectionDetected = &slow;
    scan.clockMs = [n = qint64(0)]() mutable { return n += 20000; };
    CDir dir(ctx->Errors());
    const ScanResult r = Scan(dir, QString(), QString(), false, false, false, scan);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(pump.pumps, 5);
    EXPECT_EQ(progress.range, 27);
    EXPECT_EQ(progress.value, 5);
    EXPECT_EQ(dir.FileCount(), 4); // the fifth file was counted, then the scan stopped
    EXPECT_FALSE(slow.load()); // a cancelled scan does not judge the connection
}

TEST_F(FolderScan, SlowConnectionRule)
{
    const auto scanWith = [this](int files) {
        TempDir folder;
        for (int i = 0; i < files; ++i)
            folder.createFile(QStringLiteral("f%1").arg(i), QByteArray());
        std::atomic<bool> slow{false};
        ScanContext scan;
        scan.slowConnectionDetected = &slow;
        qint64 calls = 0;
        scan.clockMs = [&calls] { return calls++ == 0 ? 1000 : 13000; }; // 12 s pass
        CDir dir(ctx->Errors());
        dir.SetPath(folder.path());
        const ScanResult r = dir.PopulateSelfWithFiles(QString(), QString(), false, false, false, false, scan);
        EXPECT_EQ(r.elapsedMs, 12000);
        EXPECT_EQ(dir.FileCount(), files);
        return slow.load();
    };
    EXPECT_TRUE(scanWith(100));
    EXPECT_FALSE(scanWith(800));
}

TEST_F(FolderScan, FolderThatCannotBeListedIsNotAnEmptyFolder)
{
    CDir dir(ctx->Errors());
    dir.AddFile(CFile(QStringLiteral("stale"), 1, 1));
    dir.SetPath(work.path() + QStringLiteral("missing"));
    const ScanResult r = dir.PopulateSelfWithFiles(QString(), QString(), false, false, false, false);
    EXPECT_EQ(r.listError, ENOENT);
    EXPECT_EQ(dir.FileCount(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FolderScan, FailureOnAWorkerIsHandedBackNotShown)
{
    // Readable but not searchable: the names can be listed, the entries cannot be examined.
    OpenToEveryone(work.path());
    const QString folder = work.createFolder(QStringLiteral("noexec"));
    work.createFile(QStringLiteral("noexec/f"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0444), 0);
    const int failed = RunWithoutPrivileges([&] {
        std::optional<Failure> failure;
        ScanContext scan;
        scan.failure = &failure;
        CDir dir(ctx->Errors());
        dir.SetPath(folder);
        const ScanResult r = dir.PopulateSelfWithFiles(QString(), QString(), false, false, false, false, scan);
        if (!r.failed)
            return 1;
        if (!failure || failure->number() != Failure::PermissionDenied)
            return 2;
        if (!dialogs.messages.isEmpty())
            return 3;
        // Without a place to hand it back, the scan reports it under its own label.
        dir.PopulateSelfWithFiles(QString(), QString(), false, false, false, false);
        if (dialogs.messages.size() != 1 || !dialogs.last().text.contains(QStringLiteral("Source: CDir.PopulateSelfWithFiles\r\n")))
            return 4;
        return 0;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    EXPECT_EQ(failed, 0);
}

TEST_F(FolderScan, TwoSidesOnTwoThreads)
{
    TempDir other;
    for (int i = 0; i < 500; ++i) {
        work.createFile(QStringLiteral("l%1.txt").arg(i), "x");
        other.createFile(QStringLiteral("r%1.txt").arg(i), "yy");
    }
    CDir left(ctx->Errors());
    CDir right(ctx->Errors());
    left.SetPath(work.path());
    right.SetPath(other.path());
    std::atomic<bool> cancel{false};
    std::optional<Failure> leftFailure;
    std::optional<Failure> rightFailure;
    ScanResult leftResult;
    ScanResult rightResult;
    std::thread t([&] {
        ScanContext scan;
        scan.cancel = &cancel;
        scan.failure = &leftFailure;
        leftResult = left.PopulateSelfWithFiles(QStringLiteral("*.txt"), QString(), false, false, false, false, scan);
    });
    ScanContext scan;
    scan.cancel = &cancel;
    scan.failure = &rightFailure;
    rightResult = right.PopulateSelfWithFiles(QStringLiteral("*.txt"), QString(), false, false, false, false, scan);
    t.join();
    EXPECT_FALSE(leftFailure || rightFailure);
    EXPECT_EQ(left.FileCount(), 500 + 3); // a.txt, B.TXT and .hidden.txt of the fixture
    EXPECT_EQ(right.FileCount(), 500);
    EXPECT_EQ(right.GetFile(QStringLiteral("R7.TXT"))->Size(), 2);
}
