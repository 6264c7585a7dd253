#include "CompareFixture.h"

#include "compare/SubFolderCompare.h"
#include "model/CDir.h"

#include <QFile>
#include <unistd.h>

namespace {
QString Pair(const char* l, const char* lk, const char* r, const char* rk)
{
    return QStringList{QString::fromUtf8(l), QString::fromUtf8(lk), QString::fromUtf8(r), QString::fromUtf8(rk)}
        .join(QLatin1Char('|'));
}

// "name|category number" of every row of one side (-1 for a placeholder).
QStringList Entries(const ResultList& side)
{
    QStringList out;
    for (const ResultRow& row : side)
        out << row.text + QLatin1Char('|') + QString::number(row.IsPlaceholder() ? -1 : int(row.icon));
    return out;
}
} // namespace

class SubFolderTest : public CompareFixture
{
};

TEST_F(SubFolderTest, FolderRowsIdenticalDifferentAndOrphan)
{
    // Same files, names differing in case at both levels: equal contents, but the spelling inside is a
    // difference a mirror carries over, so the folders differ.
    L(QStringLiteral("Docs/a.txt"), "12345", T0);
    R(QStringLiteral("DOCS/A.TXT"), "12345", T0);
    // One file newer by 10 seconds two levels down, one only on the right.
    L(QStringLiteral("Work/Old/b.txt"), "b", T0 + 10);
    R(QStringLiteral("Work/Old/b.txt"), "b", T0);
    R(QStringLiteral("Work/extra.txt"), "e", T0);
    L(QStringLiteral("Work/same.txt"), "s", T0);
    R(QStringLiteral("Work/same.txt"), "s", T0);
    L(QStringLiteral("Lonely/x/y.bin"), "1234567", T0);
    L(QStringLiteral("Lonely/z.bin"), "123", T0);
    L(QStringLiteral("top.txt"), "t", T0);
    R(QStringLiteral("top.txt"), "t", T0);

    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (QStringList{Pair("top.txt", "Same", "top.txt", "Same"),
                                   Pair("/Docs", "DifferentFolder", "/DOCS", "DifferentFolder"),
                                   Pair("/Lonely", "OrphanFolder", "", ""),
                                   Pair("/Work", "DifferentFolder", "/Work", "DifferentFolder")}));
    const ResultRow& lonely = results->holdSource[2];
    EXPECT_EQ(lonely.size, 10) << "an orphan folder shows the total size of its whole subtree";
    EXPECT_TRUE(lonely.dateText.isEmpty());
    EXPECT_TRUE(results->holdTarget[2].IsPlaceholder());

    ASSERT_EQ(results->allSubFolderDiffs.size(), 2u);
    EXPECT_EQ(Entries(results->allSubFolderDiffs[0].DiffOne()), QStringList{QStringLiteral("a.txt|3")});
    EXPECT_EQ(Entries(results->allSubFolderDiffs[0].DiffTwo()), QStringList{QStringLiteral("A.TXT|3")});
    const CSubFolderDiffs& work = results->allSubFolderDiffs[1];
    EXPECT_EQ(work.strSubFolderName(), QStringLiteral("Work"));
    EXPECT_EQ(Entries(work.DiffOne()), (QStringList{QStringLiteral("|-1"), QStringLiteral("Old/b.txt|1")}));
    EXPECT_EQ(Entries(work.DiffTwo()), (QStringList{QStringLiteral("extra.txt|4"), QStringLiteral("Old/b.txt|2")}));
    int lower = 0;
    int upper = 0;
    work.GetArrayDiffOneDimensions(lower, upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 2);
}

TEST_F(SubFolderTest, FiltersApplyToFilesInsideButNotToFolderSizes)
{
    L(QStringLiteral("Docs/keep.txt"), "k", T0);
    R(QStringLiteral("Docs/keep.txt"), "k", T0);
    L(QStringLiteral("Docs/deep/junk.tmp"), "left junk", T0);
    R(QStringLiteral("Docs/deep/junk.tmp"), "different junk", T0 + 50);
    L(QStringLiteral("Temp/a"), "a", T0);
    ctx->Compare().SetExcludeFilters(QStringLiteral("*.tmp, /Temp"));
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (QStringList{Pair("/Docs", "IdenticalFolder", "/Docs", "IdenticalFolder")}));
    EXPECT_EQ(results->holdSource[0].size, 1 + 9);
    EXPECT_EQ(results->holdTarget[0].size, 1 + 14);

    // A folder include pattern alone keeps no top-level file but compares every file inside.
    ctx->Compare().SetExcludeFilters(QString());
    ctx->Compare().SetIncludeFilters(QStringLiteral("/Docs"));
    L(QStringLiteral("top"), "t", T0);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (QStringList{Pair("/Docs", "DifferentFolder", "/Docs", "DifferentFolder")}));
}

TEST_F(SubFolderTest, ManyDifferencesAreAllStored)
{
    for (int i = 0; i < 45; ++i)
        L(QStringLiteral("Many/f%1").arg(i, 2, 10, QLatin1Char('0')), "x", T0);
    tmp.createFolder(QStringLiteral("right/Many"));
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->allSubFolderDiffs.size(), 1u);
    EXPECT_EQ(results->allSubFolderDiffs[0].DiffOne().size(), 45u);
    EXPECT_EQ(results->allSubFolderDiffs[0].DiffTwo().size(), 45u);
    QString name;
    QString size;
    QString time;
    int16_t result = 0;
    ASSERT_TRUE(results->allSubFolderDiffs[0].GetUDTFromArrayDiffOne(45, name, size, time, result));
    EXPECT_EQ(name, QStringLiteral("f44"));
    EXPECT_EQ(result, 4);
    ASSERT_TRUE(results->allSubFolderDiffs[0].GetUDTFromArrayDiffTwo(45, name, size, time, result));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(results->allSubFolderDiffs[0].GetUDTFromArrayDiffOne(46, name, size, time, result));
}

TEST_F(SubFolderTest, SymbolicLinkLoopsEnd)
{
    L(QStringLiteral("Sub/a"), "a", T0);
    R(QStringLiteral("Sub/a"), "a", T0);
    L(QStringLiteral("t"), "t", T0);
    R(QStringLiteral("t"), "t", T0);
    // A link back to the folder itself and one to the top folder: each would lead round for ever if it
    // were followed. Links are entries of their own, compared by target text; these name each side's
    // own folders, so they differ.
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("left/Sub")), tmp.file(QStringLiteral("left/Sub/self"))));
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("right/Sub")), tmp.file(QStringLiteral("right/Sub/self"))));
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("left")), tmp.file(QStringLiteral("left/Sub/up"))));
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("right")), tmp.file(QStringLiteral("right/Sub/up"))));
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (QStringList{Pair("t", "Same", "t", "Same"), Pair("/Sub", "DifferentFolder", "/Sub", "DifferentFolder")}));

    CDir tree(ctx->Errors());
    PopulateDirTree(tree, tmp.file(QStringLiteral("left/Sub")), QString(), MakeTreeFilters(ctx->Compare()), nullptr);
    QStringList keys;
    for (const CFile& f : tree.Files())
        keys << f.FileName();
    keys.sort();
    // Neither link is entered.
    EXPECT_EQ(keys, (Strings({"a", "self", "up"})));
}

TEST_F(SubFolderTest, CancelWhileComparingSubFolders)
{
    for (int i = 0; i < 20; ++i) {
        L(QStringLiteral("S%1/f").arg(i), "x", T0);
        R(QStringLiteral("S%1/f").arg(i), "x", T0 + 100);
    }
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->allSubFolderDiffs.size(), 20u);
    const int full = pump->count;
    pump->count = 0;
    pump->CancelAt(full - 10);
    EXPECT_EQ(Run(), CompareOutcome::Cancelled);
    EXPECT_TRUE(results->holdSource.empty());
    EXPECT_TRUE(results->holdTarget.empty());
}

TEST_F(SubFolderTest, SwitchingOffDropsPreviousDifferences)
{
    L(QStringLiteral("S/f"), "x", T0);
    R(QStringLiteral("S/f"), "y", T0 + 5);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->allSubFolderDiffs.size(), 1u);
    CleanupPreviousSubFolderResults(ctx->Errors(), results->allSubFolderDiffs);
    EXPECT_TRUE(results->allSubFolderDiffs.empty());

    ctx->Compare().SetCompareSubFolders(false);
    ASSERT_EQ(Run(), CompareOutcome::Completed);
    EXPECT_TRUE(Rows().isEmpty()) << "no folder rows without sub-folder comparison";
}

TEST(CSubFolderDiffsTest, RedimKeepsEntriesByIndex)
{
    CSubFolderDiffs d;
    int lower = 0;
    int upper = 0;
    d.GetArrayDiffOneDimensions(lower, upper);
    EXPECT_EQ(upper - lower + 1, 0);
    d.RedimArrayDiffOne(1, 2);
    EXPECT_TRUE(d.AddUDTToArrayDiffOne(2, QStringLiteral("b"), QStringLiteral("1"), QStringLiteral("t"), 1));
    EXPECT_FALSE(d.AddUDTToArrayDiffOne(3, QStringLiteral("c"), QString(), QString(), 4));
    d.RedimArrayDiffOne(1, 40);
    QString name;
    QString size;
    QString time;
    int16_t result = 0;
    ASSERT_TRUE(d.GetUDTFromArrayDiffOne(2, name, size, time, result));
    EXPECT_EQ(name, QStringLiteral("b"));
    EXPECT_EQ(result, 1);
    d.GetArrayDiffOneDimensions(lower, upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 40);
    d.GetArrayDiffTwoDimensions(lower, upper);
    EXPECT_EQ(upper - lower + 1, 0) << "the two arrays are sized separately";
}

// The index operations address the same rows that DiffOne/DiffTwo walk, whatever the lower bound.
TEST(CSubFolderDiffsTest, IndexOperationsStayWithinTheirBounds)
{
    CSubFolderDiffs d;
    QString name;
    QString size;
    QString time;
    int16_t result = 7;
    EXPECT_FALSE(d.GetUDTFromArrayDiffOne(1, name, size, time, result)) << "never sized: no row 1";
    EXPECT_FALSE(d.AddUDTToArrayDiffTwo(0, QStringLiteral("x"), QString(), QString(), 4));

    d.RedimArrayDiffOne(-1, 1);
    EXPECT_TRUE(d.AddUDTToArrayDiffOne(-1, QStringLiteral("first"), QStringLiteral("1"), QStringLiteral("t"), 4));
    EXPECT_TRUE(d.AddUDTToArrayDiffOne(1, QStringLiteral("last"), QStringLiteral("2"), QStringLiteral("u"), 5));
    EXPECT_FALSE(d.AddUDTToArrayDiffOne(-2, QStringLiteral("below"), QString(), QString(), 4));
    EXPECT_FALSE(d.AddUDTToArrayDiffOne(2, QStringLiteral("above"), QString(), QString(), 4));
    ASSERT_EQ(d.DiffOne().size(), 3u);
    EXPECT_EQ(d.DiffOne()[0].text, QStringLiteral("first"));
    EXPECT_EQ(d.DiffOne()[0].icon, Category::Orphan);
    EXPECT_TRUE(d.DiffOne()[1].IsPlaceholder());
    EXPECT_EQ(d.DiffOne()[2].dateText, QStringLiteral("u"));

    // An unset row reads back as a placeholder: empty texts and -1.
    ASSERT_TRUE(d.GetUDTFromArrayDiffOne(0, name, size, time, result));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_TRUE(size.isEmpty());
    EXPECT_EQ(result, -1);

    // Moving the lower bound keeps each row at its index and drops those that fall outside.
    d.RedimArrayDiffOne(1, 3);
    ASSERT_TRUE(d.GetUDTFromArrayDiffOne(1, name, size, time, result));
    EXPECT_EQ(name, QStringLiteral("last"));
    EXPECT_EQ(result, 5);
    EXPECT_FALSE(d.GetUDTFromArrayDiffOne(0, name, size, time, result));
    EXPECT_EQ(d.DiffOne().size(), 3u);

    // A whole row keeps what the four texts cannot carry.
    d.RedimArrayDiffTwo(1, 1);
    ResultRow row;
    row.text = QStringLiteral("sized");
    row.size = 12345;
    row.ticks = 42;
    row.icon = Category::Newer;
    EXPECT_TRUE(d.AddUDTToArrayDiffTwo(1, row));
    EXPECT_FALSE(d.AddUDTToArrayDiffTwo(2, row));
    EXPECT_EQ(d.DiffTwo()[0].size, 12345);
    EXPECT_EQ(d.DiffTwo()[0].ticks, 42);
    ASSERT_TRUE(d.GetUDTFromArrayDiffTwo(1, name, size, time, result));
    EXPECT_EQ(result, 1);

    d.RedimArrayDiffTwo(1, 0);
    EXPECT_TRUE(d.DiffTwo().empty());
    EXPECT_FALSE(d.GetUDTFromArrayDiffTwo(1, name, size, time, result));
}

TEST_F(SubFolderTest, AnUnreadableFolderIsLoggedAndItsCounterpartNotTakenForOrphans)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    L(QStringLiteral("S/Secret/a"), "a", T0);
    R(QStringLiteral("S/Secret/a"), "a", T0);
    R(QStringLiteral("S/Secret/b"), "b", T0);
    L(QStringLiteral("S/open"), "o", T0);
    R(QStringLiteral("S/open"), "o", T0);
    R(QStringLiteral("S/extra"), "e", T0);
    const QString secret = tmp.file(QStringLiteral("left/S/Secret"));
    ASSERT_TRUE(QFile::setPermissions(secret, QFileDevice::Permissions()));
    const CompareOutcome outcome = Run();
    QFile::setPermissions(secret, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(outcome, CompareOutcome::Completed);
    EXPECT_EQ(Rows(), (QStringList{Pair("/S", "DifferentFolder", "/S", "DifferentFolder")}));
    // The right Secret's files are no orphans; what was seen of S is kept, marked as not seen whole.
    ASSERT_EQ(results->allSubFolderDiffs.size(), 1u);
    const CSubFolderDiffs& s = results->allSubFolderDiffs.front();
    EXPECT_TRUE(s.Incomplete());
    ASSERT_EQ(s.DiffTwo().size(), 1u);
    EXPECT_EQ(s.DiffTwo().front().text, QStringLiteral("extra"));
    EXPECT_TRUE(ctx->Compare().ErrorsDuringCompare());
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Errors Occurred"));
}

// Content reads of one folder's small pairs run on two threads when the run may use them; the stored
// differences must come out the same, in the same order, as when every pair is read in turn.
TEST_F(SubFolderTest, ContentReadsOnTwoThreadsGiveTheSameDifferences)
{
    ctx->Compare().SetCompareMethod(CCompare::ThoroughString);
    ctx->Compare().SetChunkSize(8);
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("Data/d%1/f%2").arg(i % 3).arg(i, 2, 10, QLatin1Char('0'));
        L(name, "abcdef", T0);
        R(name, i % 7 == 0 ? "abcxef" : "abcdef", T0); // same size and time, contents differ
    }
    L(QStringLiteral("Data/empty"), "", T0);
    R(QStringLiteral("Data/empty"), "", T0);
    // Longer than one chunk: read on the window thread, differing only in the second chunk.
    L(QStringLiteral("Data/long"), "0123456789abcdef", T0);
    R(QStringLiteral("Data/long"), "0123456789abcdeX", T0);
    L(QStringLiteral("Data/newer"), "same", T0 + 100);
    R(QStringLiteral("Data/newer"), "sane", T0);

    ASSERT_EQ(Run(false), CompareOutcome::Completed);
    ASSERT_EQ(results->allSubFolderDiffs.size(), 1u);
    const QStringList one = Entries(results->allSubFolderDiffs[0].DiffOne());
    const QStringList two = Entries(results->allSubFolderDiffs[0].DiffTwo());
    const QStringList expected{QStringLiteral("d0/f00|5"), QStringLiteral("d0/f21|5"), QStringLiteral("d1/f07|5"),
                               QStringLiteral("d1/f28|5"), QStringLiteral("d2/f14|5"), QStringLiteral("d2/f35|5"),
                               QStringLiteral("long|5"), QStringLiteral("newer|1")};
    QStringList sorted = one;
    sorted.sort();
    EXPECT_EQ(sorted, expected);

    pump->count = 0;
    ASSERT_EQ(Run(true), CompareOutcome::Completed);
    ASSERT_EQ(results->allSubFolderDiffs.size(), 1u);
    EXPECT_EQ(Entries(results->allSubFolderDiffs[0].DiffOne()), one);
    EXPECT_EQ(Entries(results->allSubFolderDiffs[0].DiffTwo()), two);

    // A cancellation while the threads read ends the run as cancelled, with nothing shown.
    const int full = pump->count;
    pump->count = 0;
    pump->CancelAt(full / 2);
    EXPECT_EQ(Run(true), CompareOutcome::Cancelled);
    EXPECT_TRUE(results->holdSource.empty());
}

// With parallel reading, the next pair of sub-folders is walked while this one is judged: the rows,
// the folder totals and the stored differences must be those of a run that walks each pair in turn,
// whatever mix of identical, different and orphan folders comes between; a cancellation in the middle
// leaves nothing shown.
TEST_F(SubFolderTest, WalkingTheNextPairAheadGivesTheSameResults)
{
    for (int i = 0; i < 14; ++i) {
        const QString dir = QStringLiteral("F%1/").arg(i, 2, 10, QLatin1Char('0'));
        switch (i % 5) {
        case 0: // identical
            L(dir + QStringLiteral("a/x"), "xx", T0);
            R(dir + QStringLiteral("a/x"), "xx", T0);
            break;
        case 1: // newer on the left, deeper down
            L(dir + QStringLiteral("b/c/y"), "yyy", T0 + 10);
            R(dir + QStringLiteral("b/c/y"), "yyy", T0);
            break;
        case 2: // left only
            L(dir + QStringLiteral("z"), "zzzz", T0);
            break;
        case 3: // orphan file inside, right only folder next to it
            L(dir + QStringLiteral("k"), "k", T0);
            R(dir + QStringLiteral("k"), "k", T0);
            R(dir + QStringLiteral("extra"), "12345", T0);
            R(QStringLiteral("G%1/r").arg(i), "r", T0);
            break;
        default: // same size, different contents and time
            L(dir + QStringLiteral("s"), "abc", T0);
            R(dir + QStringLiteral("s"), "abd", T0 + 3600);
            break;
        }
    }
    const auto snapshot = [this] {
        QStringList out = Rows();
        for (size_t k = 0; k < results->holdSource.size(); ++k)
            out << QString::number(results->holdSource[k].size) + QLatin1Char('/') + QString::number(results->holdTarget[k].size);
        for (const CSubFolderDiffs& d : results->allSubFolderDiffs)
            out << d.strSubFolderName() + QLatin1Char(':') + Entries(d.DiffOne()).join(QLatin1Char(','))
                       + QLatin1Char(':') + Entries(d.DiffTwo()).join(QLatin1Char(','));
        return out;
    };
    ASSERT_EQ(Run(false), CompareOutcome::Completed);
    const QStringList inTurn = snapshot();
    ASSERT_EQ(results->allSubFolderDiffs.size(), 8u);
    pump->count = 0;
    ASSERT_EQ(Run(true), CompareOutcome::Completed);
    EXPECT_EQ(snapshot(), inTurn);

    const int full = pump->count;
    pump->count = 0;
    pump->CancelAt(full / 2);
    EXPECT_EQ(Run(true), CompareOutcome::Cancelled);
    EXPECT_TRUE(results->holdSource.empty());
}
