#include "ModelFixture.h"

#include "model/CDir.h"
#include "model/PathCheck.h"
#include "model/PathUtils.h"
#include "platform/Volume.h"

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString Quoted(const QString& s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

// A drive whose answers a test chooses: a medium that is missing, not mounted or not ready.
class ScriptedVolumes final : public VolumeQueries
{
public:
    QString MountPointOf(const QString&, int* error) const override
    {
        if (error != nullptr)
            *error = lookupError;
        return mountPoint;
    }
    bool IsMounted(const QString&) const override { return mounted; }
    bool IsReady(const QString&, int*) const override { return ready; }

    QString mountPoint = QStringLiteral("/media/usb");
    int lookupError = 0;
    bool mounted = true;
    bool ready = false;
};

} // namespace

class CDirModel : public ModelFixture
{
};

TEST_F(CDirModel, CaseVariantsAreBothKeptAndFoundExactFirst)
{
    CDir dir(ctx->Errors());
    EXPECT_TRUE(dir.AddFile(CFile(QStringLiteral("README"), 1, 0)));
    EXPECT_TRUE(dir.AddFile(CFile(QStringLiteral("Readme"), 2, 0)));
    EXPECT_FALSE(dir.AddFile(CFile(QStringLiteral("README"), 3, 0)));
    ASSERT_EQ(dir.FileCount(), 2);
    EXPECT_EQ(dir.Files().At(0).Size(), 1); // the first stays
    EXPECT_EQ(dir.GetFile(QStringLiteral("Readme"))->Size(), 2);
    EXPECT_EQ(dir.GetFile(QStringLiteral("README"))->Size(), 1);
    EXPECT_EQ(dir.GetFile(QStringLiteral("readme"))->Size(), 1); // ignoring case: first in listing order
    EXPECT_EQ(dir.GetFile(QStringLiteral("readme.txt")), nullptr);

    const auto& files = dir.Files();
    QList<qint64> group;
    for (qsizetype i = files.FirstIndexIgnoringCase(QStringLiteral("rEADME")); i >= 0; i = files.NextIndexIgnoringCase(i))
        group << files.At(i).Size();
    EXPECT_EQ(group, (QList<qint64>{1, 2}));

    const CFile* found = nullptr;
    EXPECT_TRUE(dir.DoesFileExistInDir(QStringLiteral("README"), &found));
    EXPECT_EQ(found->Size(), 1);
    EXPECT_FALSE(dir.DoesFileExistInDir(QStringLiteral("other"), &found));
    EXPECT_EQ(found, nullptr);
}

TEST(KeyedNames, LookUpsSurviveGrowthAndFoldUnicode)
{
    CDir::SubDirList list;
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(list.Add(QStringLiteral("/Name%1").arg(i)));
        ASSERT_TRUE(list.Add(QStringLiteral("/NAME%1").arg(i)));
    }
    EXPECT_FALSE(list.Add(QStringLiteral("/Name4999")));
    ASSERT_EQ(list.Count(), 10000);
    for (int i = 0; i < 5000; i += 97) {
        EXPECT_EQ(list.IndexOf(QStringLiteral("/name%1").arg(i)), 2 * i);
        EXPECT_EQ(list.IndexOf(QStringLiteral("/NAME%1").arg(i)), 2 * i + 1);
        EXPECT_EQ(list.IndexOfExact(QStringLiteral("/name%1").arg(i)), -1);
    }
    EXPECT_EQ(list.IndexOf(QStringLiteral("/Name5000")), -1);

    ASSERT_TRUE(list.Add(QString::fromUtf8("/\xC3\x89T\xC3\x89")));          // ÉTÉ
    ASSERT_TRUE(list.Add(QString::fromUtf8("/\xF0\x90\x90\x80")));           // a Deseret capital letter
    EXPECT_EQ(list.IndexOf(QString::fromUtf8("/\xC3\xA9t\xC3\xA9")), 10000); // été
    EXPECT_EQ(list.IndexOf(QString::fromUtf8("/\xF0\x90\x90\xA8")), 10001);  // its small letter
    list.Clear();
    EXPECT_EQ(list.IndexOf(QStringLiteral("/Name1")), -1);
    EXPECT_TRUE(list.Add(QStringLiteral("/Name1")));
}

TEST_F(CDirModel, SubDirsKeepOrderAndSkipExactDuplicates)
{
    CDir dir(ctx->Errors());
    dir.AddSubDir(QStringLiteral("/Docs"));
    dir.AddSubDir(QStringLiteral("/DOCS"));
    dir.AddSubDir(QStringLiteral("/Docs"));
    dir.AddSubDir(QStringLiteral("/a"));
    ASSERT_EQ(dir.SubDirCount(), 3);
    EXPECT_EQ(dir.SubDirs().At(0), QStringLiteral("/Docs"));
    EXPECT_EQ(dir.SubDirs().At(1), QStringLiteral("/DOCS"));
    EXPECT_EQ(dir.GetSubDir(QStringLiteral("/docs")), QStringLiteral("/Docs"));
    EXPECT_EQ(dir.GetSubDir(QStringLiteral("/DOCS")), QStringLiteral("/DOCS"));
    EXPECT_EQ(dir.GetSubDir(QStringLiteral("/missing")), QString());
    EXPECT_TRUE(dir.DoesSubDirExistInDir(QStringLiteral("/A")));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(CDirModel, PathNameDriveAndClear)
{
    CDir dir(ctx->Errors());
    dir.SetPath(QStringLiteral("/data"));
    EXPECT_EQ(dir.Path(), QStringLiteral("/data/"));
    dir.SetPath(work.path());
    EXPECT_EQ(dir.Path(), work.path());
    EXPECT_EQ(dir.DriveName(), Volume::MountPointOf(work.path()));
    EXPECT_FALSE(dir.DriveName().isEmpty());
    dir.SetName(QStringLiteral("left"));
    dir.AddSubDir(QStringLiteral("/x"));
    dir.AddFile(CFile(QStringLiteral("f"), 0, 0));
    dir.Clear();
    EXPECT_EQ(dir.Path(), QString());
    EXPECT_EQ(dir.Name(), QString());
    EXPECT_EQ(dir.DriveName(), QString());
    EXPECT_EQ(dir.FileCount(), 0);
    EXPECT_EQ(dir.SubDirCount(), 0);
    dir.SetPath(QString());
    EXPECT_EQ(dir.Path(), QString());
}

TEST(CFileRecord, TimeStampHalvesRoundTrip)
{
    // 2024-01-01 00:00:00.1234567 UTC
    const qint64 ticks = UnixToFileTime(1704067200, 123456789);
    EXPECT_EQ(ticks, 133485408001234567LL);
    CFile f(QStringLiteral("a"), 0, ticks);
    EXPECT_EQ(f.ModifiedDateHigh(), static_cast<qint32>(ticks >> 32));
    EXPECT_EQ(static_cast<quint32>(f.ModifiedDateLow()), static_cast<quint32>(ticks & 0xFFFFFFFF));
    CFile g;
    g.SetModifiedDateLow(f.ModifiedDateLow());
    g.SetModifiedDateHigh(f.ModifiedDateHigh());
    EXPECT_EQ(g.ModifiedDate(), ticks);
    EXPECT_TRUE(g.CanBeOpened());
    g.SetIsDanglingLink(true);
    EXPECT_FALSE(g.CanBeOpened());
    g.SetIsDanglingLink(false);
    g.SetIsSpecial(true);
    EXPECT_FALSE(g.CanBeOpened());
}

TEST(PathUtilities, TrailingSlashAndParent)
{
    EXPECT_EQ(AddTrailingBackslash(QString()), QString());
    EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(AddTrailingBackslash(QStringLiteral("/a/")), QStringLiteral("/a/"));
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/a/")), QStringLiteral("/a"));
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/a")), QStringLiteral("/a"));
    EXPECT_EQ(RemoveTrailingBackslash(QString()), QString());

    const struct
    {
        const char* in;
        const char* out;
    } parents[] = {
        {"/a/b", "/a"}, {"/a/b/", "/a"}, {"/a", "/"}, {"/", "/"}, {"", ""}, {"name", "name"}, {"rel/dir", "rel"},
        {"//", "/"},
    };
    for (const auto& p : parents)
        EXPECT_EQ(CDir::GetParentDir(QString::fromUtf8(p.in)), QString::fromUtf8(p.out)) << p.in;
}

TEST_F(CDirModel, CreateNestedFoldersCountsEveryLevel)
{
    const QString target = work.path() + QStringLiteral("A/B");
    const int expected = QDir::cleanPath(work.path()).split(QLatin1Char('/'), Qt::SkipEmptyParts).size() + 3;
    EXPECT_EQ(CDir::CreateNestedFoldersByPath(target), expected);
    EXPECT_TRUE(QFileInfo(work.path() + QStringLiteral("A")).isDir());
    EXPECT_TRUE(QFileInfo(target).isDir());
    // Existing levels are passed over; the count stays.
    EXPECT_EQ(CDir::CreateNestedFoldersByPath(target + QLatin1Char('/')), expected);
    EXPECT_EQ(CDir::CreateNestedFoldersByPath(QStringLiteral("/")), 1);
    EXPECT_EQ(CDir::CreateNestedFoldersByPath(QString()), 0);
}

TEST_F(CDirModel, FolderExistsAndDrives)
{
    EXPECT_TRUE(FolderExists(ctx->Lib(), ctx->Errors(), work.path()));
    EXPECT_TRUE(FolderExists(ctx->Lib(), ctx->Errors(), RemoveTrailingBackslash(work.path())));
    EXPECT_FALSE(FolderExists(ctx->Lib(), ctx->Errors(), work.path() + QStringLiteral("missing")));
    EXPECT_FALSE(FolderExists(ctx->Lib(), ctx->Errors(), work.createFile(QStringLiteral("plain"), "x")));
    EXPECT_FALSE(FolderExists(ctx->Lib(), ctx->Errors(), work.path() + QStringLiteral("bad") + QChar(0) + QStringLiteral("name")));
    EXPECT_TRUE(APIDriveExists(QStringLiteral("/")));
    EXPECT_FALSE(APIDriveExists(QStringLiteral("/no/such/mount")));
    EXPECT_FALSE(APIDriveExists(QString()));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

class ValidPath : public ModelFixture
{
};

TEST_F(ValidPath, OneCharacterPathIsRefusedButRootIsFine)
{
    CDir dir(ctx->Errors());
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), QStringLiteral("C")));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, Quoted(QStringLiteral("C")) + QStringLiteral(" is not a valid path.") + CrLf + CrLf
                                       + QStringLiteral("Paths must contain at least two characters.") + CrLf
                                       + QStringLiteral("ex)  C:"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Invalid Path"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);

    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), QString()));
    EXPECT_EQ(dialogs.messages.size(), 2);

    dialogs.clear();
    EXPECT_TRUE(IsValidPath(dir, ctx->PathCheck(), QStringLiteral("/")));
    EXPECT_TRUE(IsValidPath(dir, ctx->PathCheck(), work.path()));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ValidPath, MissingFolderAndPathUnderAFile)
{
    CDir dir(ctx->Errors());
    const QString missing = work.path() + QStringLiteral("missing/deeper");
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), missing));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("An error occurred while processing ") + Quoted(missing) + QStringLiteral(".")
                                       + CrLf + CrLf
                                       + QStringLiteral("Make sure that the folder exists and that you have permission to access it."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Compare Failed"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);

    const QString underFile = work.createFile(QStringLiteral("plain.txt"), "x") + QStringLiteral("/sub");
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), underFile));
    EXPECT_TRUE(dialogs.last().text.contains(Quoted(underFile)));
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(ValidPath, RelativePathIsShownAbsolute)
{
    CDir dir(ctx->Errors());
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), QStringLiteral("no-such-folder-here")));
    EXPECT_TRUE(dialogs.last().text.contains(Quoted(QDir::currentPath() + QStringLiteral("/no-such-folder-here"))));
}

TEST_F(ValidPath, UnreadableFolderNamesThePermission)
{
    OpenToEveryone(work.path());
    const QString locked = work.createFolder(QStringLiteral("locked"));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    const QString expected = QStringLiteral("An error occurred while processing ") + Quoted(locked) + QStringLiteral(".")
                           + CrLf + CrLf
                           + QStringLiteral("You do not have permission to access this folder.  Please see your Network Administrator.");
    const int failed = RunWithoutPrivileges([&] {
        CDir dir(ctx->Errors());
        if (IsValidPath(dir, ctx->PathCheck(), locked))
            return 1;
        if (dialogs.messages.size() != 1)
            return 2;
        if (dialogs.last().text != expected)
            return 3;
        if (dialogs.last().title != QStringLiteral("Compare Failed") || dialogs.last().icon != UserDialogs::Icon::Warning)
            return 4;
        return 0;
    });
    ::chmod(QFile::encodeName(locked).constData(), 0700);
    EXPECT_EQ(failed, 0);
}

TEST_F(ValidPath, DriveNotReadyOffersRetryUntilCancel)
{
    ScriptedVolumes volumes;
    CDir dir(ctx->Errors());
    dir.SetVolumeQueries(&volumes);
    dialogs.answers = {UserDialogs::Answer::Retry, UserDialogs::Answer::Retry, UserDialogs::Answer::Cancel};
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), QStringLiteral("/media/usb/photos")));
    ASSERT_EQ(dialogs.messages.size(), 3);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.text, QStringLiteral("Drive \"/media/usb\" is not ready."));
        EXPECT_EQ(m.title, QStringLiteral("Compare Failed"));
        EXPECT_EQ(m.buttons, UserDialogs::Buttons::RetryCancel);
        EXPECT_EQ(m.icon, UserDialogs::Icon::Warning);
    }

    // The medium arrives: the next Retry finds the drive ready, the folder still missing.
    dialogs.clear();
    dialogs.answers = {UserDialogs::Answer::Retry};
    struct Arriving final : VolumeQueries
    {
        QString MountPointOf(const QString&, int* e) const override { *e = 0; return QStringLiteral("/media/usb"); }
        bool IsMounted(const QString&) const override { return true; }
        bool IsReady(const QString&, int*) const override { return ++asked > 1; }
        mutable int asked = 0;
    } arriving;
    dir.SetVolumeQueries(&arriving);
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), QStringLiteral("/media/usb/photos")));
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("An error occurred while processing \"/media/usb/photos\".")));
}

TEST_F(ValidPath, DriveMissingMessages)
{
    ScriptedVolumes volumes;
    CDir dir(ctx->Errors());
    dir.SetVolumeQueries(&volumes);
    const QString path = QStringLiteral("/media/usb/photos");

    volumes.mounted = false;
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), path));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Drive \"/media/usb\" was not found.") + CrLf + CrLf
                                       + QStringLiteral("Click the folder icon with three dots in it to select an existing path."));

    volumes.mountPoint.clear();
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), path));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("An error occurred while processing \"/media/usb/photos\".") + CrLf + CrLf
                                       + QStringLiteral("Make sure that the drive exists and that you have permission to access it."));

    volumes.lookupError = 5;
    EXPECT_FALSE(IsValidPath(dir, ctx->PathCheck(), path));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Error Number: 5") + CrLf + CrLf
                                       + QStringLiteral("An unexpected error occurred while accessing /media/usb/photos"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Compare Failed"));
    EXPECT_EQ(dialogs.messages.size(), 3);
}

TEST(VolumeQueries, MountTableAnswers)
{
    EXPECT_EQ(Volume::MountPointOf(QStringLiteral("/")), QStringLiteral("/"));
    // A missing path is answered for its nearest existing ancestor.
    EXPECT_EQ(Volume::MountPointOf(QDir::tempPath() + QStringLiteral("/no/such/thing")), Volume::MountPointOf(QDir::tempPath()));
    EXPECT_TRUE(Volume::IsMounted(QStringLiteral("/")));
    EXPECT_TRUE(Volume::IsReady(QStringLiteral("/")));
    int error = 0;
    EXPECT_FALSE(Volume::IsReady(QStringLiteral("/no/such/mount"), &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_GE(Volume::FreeBytesForUser(QDir::tempPath()), 0);
    EXPECT_EQ(Volume::FreeBytesForUser(QStringLiteral("/no/such/mount")), -1);
    EXPECT_FALSE(Volume::FileSystemName(QDir::tempPath()).isEmpty());
    EXPECT_TRUE(Volume::MountPoints().contains(QStringLiteral("/")));
}

TEST(VolumeQueries, FileSystemNamesAndNetworkTypes)
{
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("vfat")), QStringLiteral("FAT"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("exfat")), QStringLiteral("FAT"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("msdos")), QStringLiteral("FAT"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("ntfs3")), QStringLiteral("NTFS"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("fuseblk"), QStringLiteral("ntfs")), QStringLiteral("NTFS"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("fuseblk"), QStringLiteral("exfat")), QStringLiteral("FAT"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("fuseblk"), QStringLiteral("xyz")), QStringLiteral("fuseblk"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("fuseblk")), QStringLiteral("fuseblk"));
    EXPECT_EQ(Volume::MapFileSystemName(QStringLiteral("ext4")), QStringLiteral("ext4"));
    EXPECT_TRUE(Volume::IsNetworkFileSystemType(QStringLiteral("fuse.sshfs")));
    EXPECT_TRUE(Volume::IsNetworkFileSystemType(QStringLiteral("cifs")));
    EXPECT_FALSE(Volume::IsNetworkFileSystemType(QStringLiteral("ext4")));
}
