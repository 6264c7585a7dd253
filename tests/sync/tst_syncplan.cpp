#include "FakeUserDialogs.h"
#include "SyncFixture.h"
#include "TestSupport.h"
#include "base/ErrorHandler.h"
#include "sync/SyncPlan.h"
#include "sync/SyncRun.h"

#include <gtest/gtest.h>

namespace {

using Rules = CSyncSettings::Rules;
using Icon = UserDialogs::Icon;

Rules MethodRules(int32_t method)
{
    Rules rules{};
    EXPECT_TRUE(CSyncSettings::PredefinedRules(method, &rules));
    return rules;
}

ResultRow Entry(const char* name, int result, qint64 size)
{
    ResultRow row;
    row.text = QString::fromUtf8(name);
    row.icon = static_cast<Category>(result);
    row.size = size;
    row.sizeText = QString::number(size);
    return row;
}

ResultRow Absent() { return {}; }

CSubFolderDiffs SubFolder(const char* name, ResultList left, ResultList right)
{
    CSubFolderDiffs diffs;
    diffs.SetStrSubFolderName(QString::fromUtf8(name));
    diffs.Assign(std::move(left), std::move(right));
    return diffs;
}

// One left file of size bytes that replaces a smaller right one, so that the right side needs bytes.
CSubFolderDiffs NeedsOnTheRight(const char* name, qint64 bytes)
{
    return SubFolder(name, {Entry("x.txt", 1, bytes + 10)}, {Entry("x.txt", 2, 10)});
}

// Two aligned lists with every category:
//  0 a.txt Newer 100 / Older 40      5 d.bin Binary 7 / Binary 9
//  1 b.txt Orphan 10 / -             6 e.txt Same / Same
//  2 /F OrphanFolder 500 / -         7 /D DifferentFolder / DifferentFolder
//  3 - / c.txt Orphan 20             8 /I IdenticalFolder / IdenticalFolder
//  4 - / /G OrphanFolder 300         9 f.txt Older 30 / Newer 60
struct Lists
{
    ResultList left{Row("a.txt", Category::Newer, 100), Row("b.txt", Category::Orphan, 10),
                    Row("/F", Category::OrphanFolder, 500), Placeholder(), Placeholder(),
                    Row("d.bin", Category::Binary, 7), Row("e.txt", Category::Same, 5),
                    Row("/D", Category::DifferentFolder, 1000), Row("/I", Category::IdenticalFolder, 50),
                    Row("f.txt", Category::Older, 30)};
    ResultList right{Row("a.txt", Category::Older, 40), Placeholder(), Placeholder(),
                     Row("c.txt", Category::Orphan, 20), Row("/G", Category::OrphanFolder, 300),
                     Row("d.bin", Category::Binary, 9), Row("e.txt", Category::Same, 5),
                     Row("/D", Category::DifferentFolder, 1000), Row("/I", Category::IdenticalFolder, 50),
                     Row("f.txt", Category::Newer, 60)};
};

class SyncPlanTest : public ::testing::Test
{
protected:
    void SetUp() override { drives.fakeFoldersExist = true; }

    // Left and right folder on one drive, or each on its own.
    void OneDrive(qint64 free)
    {
        drives.drivesByPrefix = {{QStringLiteral("/vol/"), QStringLiteral("/vol")}};
        drives.freeBytes = {{QStringLiteral("/vol/"), free}};
    }
    void TwoDrives(qint64 leftFree, qint64 rightFree)
    {
        drives.drivesByPrefix = {{QStringLiteral("/vol/left"), QStringLiteral("/a")},
                                 {QStringLiteral("/vol/right"), QStringLiteral("/b")}};
        drives.freeBytes = {{QStringLiteral("/a/"), leftFree}, {QStringLiteral("/b/"), rightFree}};
    }

    // The check of a synchronisation, from the bytes its plan counts.
    SpaceCheck Sync(const Rules& rules, const SubFolderDiffsList& subFolders = {}, const RowIndexes* selected = nullptr)
    {
        const QString left = QStringLiteral("/vol/left");
        const QString right = QStringLiteral("/vol/right");
        const std::vector<SyncStep> plan = PlanSync({lists.left, lists.right, left, right, subFolders, rules, selected});
        return EnoughSpaceForSync(services, left, right, BytesOfPlan(plan));
    }

    void ExpectMessage(const char* text, const char* title)
    {
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(text));
        EXPECT_EQ(dialogs.messages[0].title, QString::fromUtf8(title));
        EXPECT_EQ(dialogs.messages[0].icon, Icon::Error);
    }

    Lists lists;
    FakeUserDialogs dialogs;
    ErrorHandler errors{dialogs};
    FakeDrives drives;
    PlanServices services{dialogs, errors, drives};
};

} // namespace

TEST_F(SyncPlanTest, TheFourListsFollowTheRulesOfEachSideAndOrphanFoldersFollowTheOrphanRule)
{
    const SyncLists addRight = GetListOfFilesAffectedBySync(lists.left, lists.right,
                                                            MethodRules(CSyncSettings::AddOrphansToRight), nullptr);
    EXPECT_EQ(addRight.copyLeftToRight, RowIndexes({1, 2}));
    EXPECT_EQ(RowNames(lists.left, addRight.copyLeftToRight), Strings({"b.txt", "/F"}));
    EXPECT_TRUE(addRight.deleteFromLeft.empty());
    EXPECT_TRUE(addRight.copyRightToLeft.empty());
    EXPECT_TRUE(addRight.deleteFromRight.empty());

    // Replace is no pass of its own: the partner's Copy carries it. Same and the identical and different
    // folders are never in a list.
    const SyncLists mirror = GetListOfFilesAffectedBySync(lists.left, lists.right,
                                                          MethodRules(CSyncSettings::MakeRightSameAsLeft), nullptr);
    EXPECT_EQ(mirror.copyLeftToRight, RowIndexes({0, 1, 2, 5, 9}));
    EXPECT_EQ(mirror.deleteFromRight, RowIndexes({3, 4}));
    EXPECT_TRUE(mirror.deleteFromLeft.empty());
    EXPECT_TRUE(mirror.copyRightToLeft.empty());

    const SyncLists both = GetListOfFilesAffectedBySync(lists.left, lists.right,
                                                        MethodRules(CSyncSettings::ReplaceOlderCopyOrphans), nullptr);
    EXPECT_EQ(both.copyLeftToRight, RowIndexes({0, 1, 2}));
    EXPECT_EQ(both.copyRightToLeft, RowIndexes({3, 4, 9}));
    EXPECT_EQ(RowNames(lists.right, both.copyRightToLeft), Strings({"c.txt", "/G", "f.txt"}));

    const RowIndexes selected{2, 9};
    const SyncLists some = GetListOfFilesAffectedBySync(lists.left, lists.right,
                                                        MethodRules(CSyncSettings::ReplaceOlderCopyOrphans), &selected);
    EXPECT_EQ(some.copyLeftToRight, RowIndexes({2}));
    EXPECT_EQ(some.copyRightToLeft, RowIndexes({9}));
}

TEST_F(SyncPlanTest, SelectionTakesRowsByPositionNeverPlaceholdersAndDefaultsToTheDifferingCategories)
{
    // Two names of one folder that differ only in case are two rows: selecting one takes only that one.
    const ResultList cased{Row("README", Category::Orphan, 1), Row("Readme", Category::Orphan, 2)};
    SyncCategoryFlags orphans;
    orphans.orphan = true;
    const RowIndexes second{1};
    EXPECT_EQ(SelectFileTypesForSync(cased, &second, orphans), RowIndexes({1}));
    const RowIndexes first{0};
    EXPECT_EQ(SelectFileTypesForSync(cased, &first, orphans), RowIndexes({0}));
    EXPECT_EQ(SelectFileTypesForSync(cased, nullptr, orphans), RowIndexes({0, 1}));

    // Unsorted, repeated and out-of-range positions give each row once, in list order.
    const RowIndexes messy{9, 1, -1, 0, 1, 42, 2};
    EXPECT_EQ(SelectFileTypesForSync(lists.left, &messy, {}), RowIndexes({0, 1, 2, 9}));

    // No flag: Newer, Older, Orphan, Binary, OrphanFolder; never a placeholder, never Same or the folders.
    EXPECT_EQ(SelectFileTypesForSync(lists.left, nullptr, {}), RowIndexes({0, 1, 2, 5, 9}));
    EXPECT_EQ(SelectFileTypesForSync(lists.right, nullptr, {}), RowIndexes({0, 3, 4, 5, 9}));
    SyncCategoryFlags all;
    all.newer = all.older = all.orphan = all.binary = true;
    all.same = all.identicalFolder = all.differentFolder = all.orphanFolder = true;
    const RowIndexes placeholders{3, 4};
    EXPECT_TRUE(SelectFileTypesForSync(lists.left, &placeholders, all).empty());
    EXPECT_EQ(SelectFileTypesForSync(lists.left, nullptr, all), RowIndexes({0, 1, 2, 5, 6, 7, 8, 9}));
}

TEST_F(SyncPlanTest, SubFolderBytesAreWhatEachSideCopiesLessWhatItReplacesAndMayBeNegative)
{
    const Rules rules = MethodRules(CSyncSettings::ReplaceOlderCopyOrphans); // new and orphans copy, binary left
    const CSubFolderDiffs diffs = SubFolder(
        "Sub",
        {Entry("new.txt", 1, 1500), Entry("orphan.txt", 4, 300), Entry("old.txt", 2, 200), Absent(),
         Entry("bin.dat", 5, 70)},
        {Entry("new.txt", 2, 500), Absent(), Entry("old.txt", 1, 900), Entry("theirs.txt", 4, 50),
         Entry("bin.dat", 5, 80)});
    EXPECT_EQ(GetSizeOfFilesInSubFolderToBeCopiedMinusCompliment(diffs, CSyncSettings::Left, rules), 1000 + 300);
    EXPECT_EQ(GetSizeOfFilesInSubFolderToBeCopiedMinusCompliment(diffs, CSyncSettings::Right, rules), 700 + 50);

    // A smaller file over a larger one frees room; entries of categories no rule names never count.
    const Rules copyAll{1, 1, 1, 1, 1, 1, 1, 1};
    const CSubFolderDiffs shrinking = SubFolder("Sub", {Entry("a", 1, 100), Entry("same", 3, 400), Entry("dir", 6, 400)},
                                                {Entry("a", 2, 900), Entry("same", 3, 1), Entry("dir", 6, 1)});
    EXPECT_EQ(GetSizeOfFilesInSubFolderToBeCopiedMinusCompliment(shrinking, CSyncSettings::Left, copyAll), -800);
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied({shrinking}, CSyncSettings::Left, copyAll, lists.left, nullptr), -800);
}

TEST_F(SyncPlanTest, SubFoldersCountTogetherOrOnlyWhenTheirFolderRowIsSelected)
{
    const Rules rules = MethodRules(CSyncSettings::MakeRightSameAsLeft);
    const SubFolderDiffsList all{NeedsOnTheRight("Sub", 1000), NeedsOnTheRight("Other", 1000)};
    const ResultList left{Row("/Sub", Category::DifferentFolder, 0), Row("/Other", Category::DifferentFolder, 0),
                          Row("Sub", Category::Newer, 5)};
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied(all, CSyncSettings::Left, rules, left, nullptr), 2000);
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied({}, CSyncSettings::Left, rules, left, nullptr), 0);
    // Nothing comes back from the right in this method.
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied(all, CSyncSettings::Right, rules, left, nullptr), 0);

    const RowIndexes sub{0};
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied(all, CSyncSettings::Left, rules, left, &sub), 1000);
    const RowIndexes both{0, 1};
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied(all, CSyncSettings::Left, rules, left, &both), 2000);
    // The file "Sub" is not the folder "/Sub"; an empty selection takes no sub-folder.
    const RowIndexes file{2};
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied(all, CSyncSettings::Left, rules, left, &file), 0);
    const RowIndexes none;
    EXPECT_EQ(GetSizeOfFilesInSubFoldersToBeCopied(all, CSyncSettings::Left, rules, left, &none), 0);
}

TEST_F(SyncPlanTest, SyncOnOneDriveSumsBothDirectionsAgainstOneFreeFigure)
{
    // Right receives 100 + 10 + 500 less the 40 it loses; left receives 20 + 300 + 60 less 30: 570 + 350.
    const Rules rules = MethodRules(CSyncSettings::ReplaceOlderCopyOrphans);
    OneDrive(919);
    SpaceCheck check = Sync(rules);
    EXPECT_FALSE(check.enough);
    EXPECT_FALSE(check.reported);
    EXPECT_EQ(check.required, 920);
    EXPECT_EQ(check.available, 919);
    EXPECT_EQ(check.drive, QStringLiteral("/vol"));
    EXPECT_EQ(drives.freeAsked, Strings({"/vol/"}));

    OneDrive(920);
    EXPECT_TRUE(Sync(rules).enough);

    // The sub-folder part adds to what the right receives.
    OneDrive(920 + 1999);
    check = Sync(rules, {NeedsOnTheRight("D", 1000), NeedsOnTheRight("I", 1000)});
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.required, 920 + 2000);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SyncPlanTest, SyncOnTwoDrivesChecksEachAgainstItsOwnAndReportsTheShortOne)
{
    const Rules rules = MethodRules(CSyncSettings::ReplaceOlderCopyOrphans);
    TwoDrives(350, 570);
    EXPECT_TRUE(Sync(rules).enough);
    EXPECT_EQ(drives.freeAsked, Strings({"/a/", "/b/"}));

    TwoDrives(350, 569);
    SpaceCheck check = Sync(rules);
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.drive, QStringLiteral("/b"));
    EXPECT_EQ(check.required, 570);
    EXPECT_EQ(check.available, 569);

    // Both short: the left one is said.
    TwoDrives(349, 0);
    check = Sync(rules);
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.drive, QStringLiteral("/a"));
    EXPECT_EQ(check.required, 350);
    EXPECT_EQ(check.available, 349);

    // Deletions free nothing in advance: the right still needs 647 - 109 although 320 bytes go.
    const Rules mirror = MethodRules(CSyncSettings::MakeRightSameAsLeft);
    TwoDrives(0, 537);
    check = Sync(mirror);
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.required, 538);
    TwoDrives(0, 538);
    EXPECT_TRUE(Sync(mirror).enough);

    // A selected-only run: the smaller f.txt over the larger one needs less than nothing; the selected
    // folder row /D brings its sub-folder.
    const RowIndexes older{9};
    TwoDrives(0, 0);
    check = Sync(mirror, {NeedsOnTheRight("D", 1000)}, &older);
    EXPECT_TRUE(check.enough);
    const RowIndexes folder{7};
    TwoDrives(0, 999);
    check = Sync(mirror, {NeedsOnTheRight("D", 1000), NeedsOnTheRight("I", 1000)}, &folder);
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.required, 1000);
}

TEST_F(SyncPlanTest, UnreadableFreeSpaceLetsEveryCheckPass)
{
    drives.drivesByPrefix = {{QStringLiteral("/vol/"), QStringLiteral("/vol")}, {QStringLiteral("/t"), QStringLiteral("/t")}};
    drives.freeBytes = {{QStringLiteral("/vol/"), -1}, {QStringLiteral("/t/"), -1}};
    EXPECT_EQ(GetAvailableDriveSpace(drives, QStringLiteral("/vol")), UnknownFreeSpace);
    EXPECT_EQ(drives.freeAsked, Strings({"/vol/"}));

    const qint64 terabyte = qint64(1) << 40;
    EXPECT_TRUE(Sync(MethodRules(CSyncSettings::MakeRightSameAsLeft), {NeedsOnTheRight("D", terabyte)}).enough);
    const ResultList big{Row("huge", Category::Orphan, terabyte), Row("/Huge", Category::OrphanFolder, terabyte)};
    const RowIndexes rows{0, 1};
    const ResultList none{Placeholder(), Placeholder()};
    const RowSource source{big, rows, QStringLiteral("/vol/left")};
    EXPECT_TRUE(EnoughSpaceForCopyLvwToLvw(services, source, none, QStringLiteral("/t/r")).enough);
    EXPECT_TRUE(EnoughSpaceForMoveLvwToLvw(services, source, none, QStringLiteral("/t/r")).enough);
    EXPECT_TRUE(EnoughSpaceForCopyLvwToSpecificDir(services, source, QStringLiteral("/t/x")).enough);
    EXPECT_TRUE(EnoughSpaceForMoveLvwToSpecificDir(services, source, QStringLiteral("/t/x")).enough);
    EXPECT_TRUE(EnoughSpaceForDroppedObjects(services, {{QStringLiteral("huge"), terabyte}}, QStringLiteral("/t/x"),
                                             QStringLiteral("Copy"))
                    .enough);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SyncPlanTest, CopyToTheOtherFolderNeedsOnlyTheRowsWithoutACounterpart)
{
    // Two newer files over older ones need nothing: the drive is not even asked.
    const ResultList newer{Row("one", Category::Newer, 400), Row("two", Category::Newer, 600)};
    const ResultList older{Row("one", Category::Older, 100), Row("two", Category::Older, 100)};
    const RowIndexes both{0, 1};
    drives.freeMustNotBeAsked = true;
    SpaceCheck check = EnoughSpaceForCopyLvwToLvw(services, {newer, both, QStringLiteral("/vol/left")}, older,
                                                  QStringLiteral("/vol/right"));
    EXPECT_TRUE(check.enough);
    EXPECT_EQ(check.required, 0);
    EXPECT_TRUE(drives.folderAsked.isEmpty());

    // Orphans need their whole size on the drive of the other folder; a selected placeholder adds nothing.
    drives.freeMustNotBeAsked = false;
    drives.drivesByPrefix = {{QStringLiteral("/vol/right"), QStringLiteral("/r")}};
    drives.freeBytes = {{QStringLiteral("/r/"), 509}};
    const RowIndexes orphans{1, 2, 3};
    check = EnoughSpaceForCopyLvwToLvw(services, {lists.left, orphans, QStringLiteral("/vol/left")}, lists.right,
                                       QStringLiteral("/vol/right"));
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.required, 510);
    EXPECT_EQ(check.available, 509);
    EXPECT_EQ(check.drive, QStringLiteral("/r"));
    drives.freeBytes = {{QStringLiteral("/r/"), 510}};
    EXPECT_TRUE(EnoughSpaceForCopyLvwToLvw(services, {lists.left, orphans, QStringLiteral("/vol/left")}, lists.right,
                                           QStringLiteral("/vol/right"))
                    .enough);
}

TEST_F(SyncPlanTest, MovesWithinOneDrivePassAndOnlyTheMoveToTheOtherFolderIgnoresTheCaseOfDriveNames)
{
    const RowIndexes orphans{1, 2};
    const RowSource source{lists.left, orphans, QStringLiteral("/media/USB/left")};
    drives.drivesByPrefix = {{QStringLiteral("/media/USB"), QStringLiteral("/media/USB")},
                             {QStringLiteral("/media/usb"), QStringLiteral("/media/usb")}};
    drives.freeBytes = {{QStringLiteral("/media/usb/"), 0}, {QStringLiteral("/media/USB/"), 0}};

    drives.freeMustNotBeAsked = true;
    EXPECT_TRUE(EnoughSpaceForMoveLvwToLvw(services, source, lists.right, QStringLiteral("/media/USB/right")).enough);
    EXPECT_TRUE(EnoughSpaceForMoveLvwToLvw(services, source, lists.right, QStringLiteral("/media/usb/right")).enough);
    EXPECT_TRUE(EnoughSpaceForMoveLvwToSpecificDir(services, source, QStringLiteral("/media/USB/elsewhere")).enough);
    drives.freeMustNotBeAsked = false;

    SpaceCheck check = EnoughSpaceForMoveLvwToSpecificDir(services, source, QStringLiteral("/media/usb/elsewhere"));
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.required, 510);
    EXPECT_EQ(check.drive, QStringLiteral("/media/usb"));

    // A drive that cannot be named is no proof of one drive.
    drives.drivesByPrefix = {{QStringLiteral("/"), QString()}};
    drives.freeBytes = {{QStringLiteral("/"), 0}};
    EXPECT_FALSE(EnoughSpaceForMoveLvwToLvw(services, source, lists.right, QStringLiteral("/media/USB/right")).enough);
    EXPECT_FALSE(EnoughSpaceForMoveLvwToSpecificDir(services, source, QStringLiteral("/media/USB/x")).enough);
}

TEST_F(SyncPlanTest, CopyToAChosenFolderCreditsTheNamesakesAlreadyThere)
{
    const RowIndexes rows{1, 2, 3}; // b.txt 10, /F 500, a placeholder
    const RowSource source{lists.left, rows, QStringLiteral("/vol/left")};
    drives.objectSizes = {{QStringLiteral("/vol/t/b.txt"), 4}, {QStringLiteral("/vol/t/F"), 100}};
    drives.drivesByPrefix = {{QStringLiteral("/vol/t"), QStringLiteral("/vol")}};
    for (const QString& target : {QStringLiteral("/vol/t"), QStringLiteral("/vol/t/")}) {
        drives.sizeAsked.clear();
        EXPECT_EQ(GetSizeCurrencyOfComplimentFilesInSpecificDir(drives, source, target), 104);
        EXPECT_EQ(drives.sizeAsked, Strings({"/vol/t/b.txt", "/vol/t/F"})) << qPrintable(target);
    }
    drives.freeBytes = {{QStringLiteral("/vol/"), 405}};
    const SpaceCheck check = EnoughSpaceForCopyLvwToSpecificDir(services, source, QStringLiteral("/vol/t/"));
    EXPECT_FALSE(check.enough);
    EXPECT_EQ(check.required, 406);
    EXPECT_EQ(check.available, 405);
    EXPECT_EQ(check.drive, QStringLiteral("/vol"));
    drives.freeBytes = {{QStringLiteral("/vol/"), 406}};
    EXPECT_TRUE(EnoughSpaceForCopyLvwToSpecificDir(services, source, QStringLiteral("/vol/t/")).enough);

    // Dropped objects likewise: 50 + 70 less the 20 of the file of the same name.
    drives.objectSizes = {{QStringLiteral("/vol/t/x"), 20}};
    drives.freeBytes = {{QStringLiteral("/vol/"), 99}};
    const std::vector<DroppedObject> dropped{{QStringLiteral("x"), 50}, {QStringLiteral("/Y"), 70}};
    const SpaceCheck drop = EnoughSpaceForDroppedObjects(services, dropped, QStringLiteral("/vol/t"), QStringLiteral("Copy"));
    EXPECT_FALSE(drop.enough);
    EXPECT_EQ(drop.required, 100);
}

TEST_F(SyncPlanTest, AMissingReceivingFolderIsSaidOnceWithTheOperationsTitleAndPermissionDeniedPasses)
{
    const RowIndexes orphans{1, 2};
    const RowSource source{lists.left, orphans, QStringLiteral("/vol/left")};
    const QString target = QStringLiteral("/vol/gone");
    drives.folderStates = {{target, ENOENT}, {QStringLiteral("/vol/right"), ENOENT}};
    drives.drivesByPrefix = {{QStringLiteral("/vol/left"), QStringLiteral("/a")}, {QStringLiteral("/vol/"), QStringLiteral("/b")}};
    drives.freeBytes = {{QStringLiteral("/a/"), 0}, {QStringLiteral("/b/"), 0}};
    const auto expectReported = [&](const SpaceCheck& check, const char* text, const char* title) {
        EXPECT_FALSE(check.enough) << title;
        EXPECT_TRUE(check.reported) << title;
        ExpectMessage(text, title);
        dialogs.clear();
    };
    expectReported(EnoughSpaceForCopyLvwToLvw(services, source, lists.right, target),
                   "Problems accessing the target drive.", "Copy");
    expectReported(EnoughSpaceForCopyLvwToSpecificDir(services, source, target), "Problems accessing the target drive.", "Copy");
    expectReported(EnoughSpaceForMoveLvwToLvw(services, source, lists.right, target),
                   "Problems accessing the target drive.", "Move");
    expectReported(EnoughSpaceForMoveLvwToSpecificDir(services, source, target), "Problems accessing the target drive.", "Move");
    expectReported(EnoughSpaceForDroppedObjects(services, {{QStringLiteral("x"), 5}}, target, QStringLiteral("Move")),
                   "Problems accessing drive.", "Move");
    expectReported(Sync(MethodRules(CSyncSettings::AddOrphansToRight)), "Problems accessing drive.", "Sync");
    // Not a folder at all counts as missing.
    drives.folderStates = {{QStringLiteral("/vol/right"), ENOTDIR}};
    expectReported(Sync(MethodRules(CSyncSettings::AddOrphansToRight)), "Problems accessing drive.", "Sync");

    // A folder the user may not look into: the check passes without a word.
    drives.folderStates = {{target, EACCES}, {QStringLiteral("/vol/right"), EACCES}};
    EXPECT_TRUE(EnoughSpaceForCopyLvwToLvw(services, source, lists.right, target).enough);
    EXPECT_TRUE(EnoughSpaceForMoveLvwToSpecificDir(services, source, target).enough);
    EXPECT_TRUE(Sync(MethodRules(CSyncSettings::AddOrphansToRight)).enough);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Anything else is unexpected: the error handler says it and the check lets the operation go on.
    drives.folderStates = {{target, EIO}};
    const SpaceCheck odd = EnoughSpaceForCopyLvwToSpecificDir(services, source, target);
    EXPECT_TRUE(odd.enough);
    EXPECT_FALSE(odd.reported);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].title.startsWith(QStringLiteral("Unexpected Error"))) << qPrintable(dialogs.messages[0].title);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("modParvex.EnoughSpaceForCopyLvwToSpecificDir")));
}
