#include "compare/CSubFolderDiffs.h"
#include "fileops/SubFolderRows.h"

#include <gtest/gtest.h>

// The sub-folder window works on its differences' own rows; what it hands back for a synchronisation
// must be those rows as they stand, neither more (a selection, a placeholder's leftovers) nor less.
namespace {

ResultRow Row(const char* text, Category category, qint64 size)
{
    ResultRow row;
    row.text = QString::fromUtf8(text);
    row.icon = category;
    row.size = size;
    row.sizeText = QString::number(size);
    row.ticks = 1000 + size;
    return row;
}

} // namespace

TEST(SubFolderRowsTest, RowsOfDiffsAreAlignedAndNamedAfterEachSide)
{
    CSubFolderDiffs diffs;
    diffs.SetStrSubFolderName(QStringLiteral("Docs"));
    diffs.SetTargetSubFolderName(QStringLiteral("docs"));
    diffs.SetIncomplete(true);
    // A right list that ran short is made up with placeholders, so row i still pairs with row i.
    diffs.Assign({Row("a.txt", Category::Newer, 10), Row("b.txt", Category::Orphan, 20)}, {Row("a.txt", Category::Older, 5)});

    const SubFolderRows rows = MakeSubFolderRows(diffs, QStringLiteral("/l"), QStringLiteral("/r/"));
    EXPECT_EQ(rows.leftFolder, QStringLiteral("/l/Docs/"));
    EXPECT_EQ(rows.rightFolder, QStringLiteral("/r/docs/"));
    EXPECT_TRUE(rows.incomplete);
    ASSERT_EQ(rows.left.size(), 2u);
    ASSERT_EQ(rows.right.size(), 2u);
    EXPECT_EQ(rows.left[1].text, QStringLiteral("b.txt"));
    EXPECT_EQ(rows.left[1].ticks, 1020);
    EXPECT_TRUE(rows.right[1].IsPlaceholder());
}

TEST(SubFolderRowsTest, DiffsOfRowsCarryNoSelectionAndSkipRowsThatAreNotThere)
{
    CSubFolderDiffs diffs;
    diffs.SetStrSubFolderName(QStringLiteral("Docs"));
    diffs.Assign({Row("a.txt", Category::Newer, 10), ResultRow(), Row("c.txt", Category::Binary, 30)},
                 {Row("a.txt", Category::Older, 5), Row("b.txt", Category::Orphan, 20), Row("c.txt", Category::Binary, 31)});
    SubFolderRows rows = MakeSubFolderRows(diffs, QStringLiteral("/l"), QStringLiteral("/r"));
    rows.left[0].selected = true;
    rows.right[2].selected = true;
    // A row deleted since keeps its place as an empty row, whatever it showed before.
    rows.left[2] = ResultRow();
    rows.left[2].size = 99;

    std::vector<int> rowOf;
    const RowIndexes only{2, 7, 0, -1};
    const CSubFolderDiffs back = DiffsOfRows(rows, &only, rowOf);
    EXPECT_EQ(rowOf, (std::vector<int>{2, 0}));
    EXPECT_EQ(back.strSubFolderName(), QStringLiteral("Docs"));
    ASSERT_EQ(back.DiffOne().size(), 2u);
    ASSERT_EQ(back.DiffTwo().size(), 2u);
    EXPECT_TRUE(back.DiffOne()[0].IsPlaceholder());
    EXPECT_EQ(back.DiffOne()[0].size, 0);
    EXPECT_EQ(back.DiffTwo()[0].text, QStringLiteral("c.txt"));
    EXPECT_FALSE(back.DiffTwo()[0].selected);
    EXPECT_EQ(back.DiffOne()[1].icon, Category::Newer);
    EXPECT_EQ(back.DiffOne()[1].size, 10);
    EXPECT_FALSE(back.DiffOne()[1].selected);

    const CSubFolderDiffs all = DiffsOfRows(rows, nullptr, rowOf);
    EXPECT_EQ(rowOf, (std::vector<int>{0, 1, 2}));
    int lower = 0;
    int upper = 0;
    all.GetArrayDiffTwoDimensions(lower, upper);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 3);
}
