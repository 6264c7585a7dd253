#include "CompareFixture.h"

#include "compare/SubFolderCompare.h"

#include <QFile>

// A folder row's total comes from the walk that compares the folder; it has to agree with what the
// helper library's own walk of the folder counts, whatever the walk passed over or followed.
class FolderTotalTest : public CompareFixture
{
};

TEST_F(FolderTotalTest, TotalsFromTheComparisonWalkMatchTheLibrarysCount)
{
    L(QStringLiteral("Sub/a.txt"), "12345", T0);
    L(QStringLiteral("Sub/deep/b.tmp"), "1234567", T0);
    L(QStringLiteral("Sub/.cache/inner/c"), "123", T0);   // skipped by the hidden-folder filter, still counted
    L(QStringLiteral("Sub/.hiddenfile"), "12", T0);        // skipped by the hidden-file filter, still counted
    L(QStringLiteral("Outside/big"), "0123456789012345678901234567890123456789", T0);
    R(QStringLiteral("Sub/a.txt"), "12345", T0);
    R(QStringLiteral("Other/x"), "x", T0);
    // A link to a file counts as its target, a dangling link as nothing, and a link to a folder not at
    // all (the walk follows it for the comparison, the total never does).
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("left/Sub/a.txt")), tmp.file(QStringLiteral("left/Sub/alias"))));
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("left/nowhere")), tmp.file(QStringLiteral("left/Sub/dangling"))));
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("left/Outside")), tmp.file(QStringLiteral("left/Sub/out"))));
    CCompare& c = ctx->Compare();
    c.SetExcludeHiddenFolders(true);
    c.SetExcludeHiddenFiles(true);
    c.SetExcludeFilters(QStringLiteral("*.tmp"));

    ASSERT_EQ(Run(), CompareOutcome::Completed);
    ASSERT_EQ(results->holdSource.size(), 3u);
    const qint64 expected = 5 + 7 + 3 + 2 + 5;
    ASSERT_EQ(results->holdSource[2].text, QStringLiteral("/Sub"));
    EXPECT_EQ(results->holdSource[2].size, expected);
    EXPECT_EQ(ctx->Lib().GetFolderSize(tmp.file(QStringLiteral("left/Sub"))), expected);
    EXPECT_EQ(results->holdTarget[2].size, 5);
    EXPECT_EQ(results->holdSource[1].size, 40) << "the walk's total reaches no further than the folder";

    // The walk itself, asked directly: the hidden folder is left to the caller by name.
    CDir tree(ctx->Errors());
    TreeTotal total;
    PopulateDirTree(tree, tmp.file(QStringLiteral("left/Sub")), QString(), MakeTreeFilters(c), nullptr, {}, nullptr,
                    &total);
    EXPECT_EQ(total.bytes, 5 + 7 + 2 + 5);
    EXPECT_EQ(total.uncounted, QStringList{tmp.file(QStringLiteral("left/Sub/.cache"))});
}
