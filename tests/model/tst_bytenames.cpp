#include "ModelFixture.h"
#include "RawNames.h"

#include "base/Path.h"
#include "model/CDir.h"
#include "model/FolderListing.h"

#include <cerrno>
#include <memory>

namespace {

void CreateRaw(const QString& folder, const QByteArray& name, const QByteArray& data)
{
    CreateRawFile(folder, name, data);
}

QStringList Names(const FolderListing& listing)
{
    QStringList names;
    for (qsizetype i = 0; i < listing.Count(); ++i)
        names << listing.Name(i);
    names.sort();
    return names;
}

} // namespace

class ByteNames : public ModelFixture
{
protected:
    RawTreeCleanup cleanup{work.path()};
};

// Names in an old encoding are listed as they are: each stays itself, two that differ only in such bytes
// stay two, and each one's text gives back its bytes to stat or open it with.
TEST_F(ByteNames, ListingKeepsEveryNameReversibly)
{
    CreateRaw(work.path(), "caf\xe9", "1");
    CreateRaw(work.path(), "caf\xe8", "22");
    CreateRaw(work.path(), "\xff\xfe", "333");
    CreateRaw(work.path(), "caf\xc3\xa9", "4444");
    ASSERT_EQ(::mkdir((EncodeFileName(work.path()) + "/dir\xff").constData(), 0755), 0);

    const FolderListing listing(work.path());
    ASSERT_TRUE(listing.IsOpen());
    ASSERT_EQ(listing.Count(), 5);
    for (qsizetype i = 0; i < listing.Count(); ++i) {
        EXPECT_EQ(EncodeFileName(listing.Name(i)), QByteArray(listing.RawName(i), listing.RawNameLength(i)));
        FolderListing::Details details;
        int error = 0;
        EXPECT_TRUE(listing.Stat(i, details, &error)) << error;
    }
    QStringList expected{DecodeFileName(QByteArray("\xff\xfe")), DecodeFileName(QByteArray("caf\xe8")),
                         DecodeFileName(QByteArray("caf\xe9")), QString::fromUtf8("caf\xc3\xa9"),
                         DecodeFileName(QByteArray("dir\xff"))};
    expected.sort();
    EXPECT_EQ(Names(listing), expected);
}

// The scan keeps such names among its files and sub-folders; filters match them like any other.
TEST_F(ByteNames, ScanKeepsNamesThatAreNotUtf8)
{
    CreateRaw(work.path(), "caf\xe9", "1");
    CreateRaw(work.path(), "\xff\xfe", "22");
    ASSERT_EQ(::mkdir((EncodeFileName(work.path()) + "/dir\xff").constData(), 0755), 0);

    CDir dir(ctx->Errors());
    dir.SetPath(work.path());
    const ScanResult all = dir.PopulateSelfWithFiles(QString(), QString(), false, false, false, false);
    EXPECT_FALSE(all.failed);
    ASSERT_EQ(dir.FileCount(), 2);
    const CFile* cafe = dir.GetFile(DecodeFileName(QByteArray("caf\xe9")));
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(cafe->Size(), 1);
    EXPECT_NE(dir.GetFile(DecodeFileName(QByteArray("\xff\xfe"))), nullptr);
    EXPECT_EQ(dir.GetFile(DecodeFileName(QByteArray("caf\xe8"))), nullptr);
    EXPECT_TRUE(dir.DoesSubDirExistInDir(QLatin1Char('/') + DecodeFileName(QByteArray("dir\xff"))));

    dir.PopulateSelfWithFiles(QStringLiteral("caf*"), QString(), false, false, false, false);
    ASSERT_EQ(dir.FileCount(), 1);
    EXPECT_EQ(EncodeFileName(dir.Files().begin()->FileName()), QByteArray("caf\xe9"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// A tree deeper than the longest path the system takes in one call is listed and walked like any other.
TEST_F(ByteNames, DeepTreesAreListedThroughDescriptors)
{
    const QString bottom = MakeDeepTree(work.path(), 26, "at the bottom");
    ASSERT_GT(EncodeFileName(bottom).size(), 5000);

    // Whole, by its path: opened a stretch at a time.
    CDir dir(ctx->Errors());
    dir.SetPath(bottom);
    const ScanResult result = dir.PopulateSelfWithFiles(QString(), QString(), false, false, false, false);
    EXPECT_EQ(result.listError, 0);
    EXPECT_FALSE(result.failed);
    ASSERT_EQ(dir.FileCount(), 1);
    EXPECT_EQ(dir.Files().begin()->Size(), 13);

    // Level by level from the top, each sub-folder opened from its parent's listing.
    auto listing = std::make_unique<FolderListing>(work.path());
    for (int level = 0; level < 26; ++level) {
        ASSERT_EQ(listing->Count(), 1) << level;
        EXPECT_EQ(EncodeFileName(listing->Name(0)), DeepLevelName(level));
        auto next = std::make_unique<FolderListing>(*listing, 0);
        ASSERT_TRUE(next->IsOpen()) << level << ": " << next->Error();
        listing = std::move(next);
    }
    EXPECT_EQ(Names(*listing), QStringList{QStringLiteral("deep.txt")});

    // A folder that cannot be reached says why.
    const FolderListing missing(bottom + QStringLiteral("/gone"));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Error(), ENOENT);
}

// Opening a sub-folder from its parent never goes through a link, even one put there since the listing.
TEST_F(ByteNames, SubFolderIsNeverOpenedThroughALink)
{
    const QString inside = work.createFolder(QStringLiteral("inside"));
    work.createFile(QStringLiteral("inside/secret"), "x");
    ASSERT_EQ(::symlink(EncodeFileName(inside).constData(), EncodeFileName(work.file(QStringLiteral("link"))).constData()), 0);
    const FolderListing top(work.path());
    for (qsizetype i = 0; i < top.Count(); ++i) {
        if (top.Name(i) != QLatin1String("link"))
            continue;
        const FolderListing through(top, i);
        EXPECT_FALSE(through.IsOpen());
        EXPECT_TRUE(through.Error() == ELOOP || through.Error() == ENOTDIR) << through.Error();
    }
}
