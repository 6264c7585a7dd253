#include "compare/ResultList.h"
#include "views/PaneRows.h"
#include "views/ResultTableModel.h"

#include <gtest/gtest.h>

namespace {

ResultRow Row(const char* text, Category category, qint64 size = 0)
{
    ResultRow row;
    row.text = QString::fromUtf8(text);
    row.icon = category;
    row.size = size;
    row.sizeText = row.text.isEmpty() ? QString() : QString::number(size);
    return row;
}

CategoryFlags AllShown()
{
    CategoryFlags flags{};
    flags.fill(true);
    return flags;
}

CategoryFlags Shown(std::initializer_list<Category> categories)
{
    CategoryFlags flags{};
    for (Category c : categories)
        flags[static_cast<size_t>(c) - 1] = true;
    return flags;
}

// A left list and a right list of one comparison: newer/older, same, a left orphan, a right orphan,
// a binary pair and a different folder.
struct Lists
{
    ResultList left;
    ResultList right;
};

Lists Sample()
{
    Lists l;
    l.left = {Row("a.txt", Category::Newer, 10), Row("b.txt", Category::Same, 20), Row("c.txt", Category::Orphan, 30),
              Row("", Category::None), Row("e.bin", Category::Binary, 50), Row("/Docs", Category::DifferentFolder, 60)};
    l.right = {Row("a.txt", Category::Older, 11), Row("b.txt", Category::Same, 20), Row("", Category::None),
               Row("d.txt", Category::Orphan, 40), Row("e.bin", Category::Binary, 51), Row("/Docs", Category::DifferentFolder, 70)};
    return l;
}

} // namespace

TEST(PaneViews, AllShowsEveryPairAsItIs)
{
    const Lists l = Sample();
    PaneRows left, right;
    FilterPanes(l.left, l.right, ViewAll, Shown({}), left, right);
    EXPECT_EQ(left, (PaneRows{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(right, (PaneRows{0, 1, 2, 3, 4, 5}));
}

TEST(PaneViews, FilteredViewsPairShownRowsWithEmptyRows)
{
    const Lists l = Sample();
    PaneRows left, right;

    // Only "Newer": the left newer row stands beside an empty row; every other pair disappears.
    FilterPanes(l.left, l.right, ViewCustom, Shown({Category::Newer}), left, right);
    EXPECT_EQ(left, (PaneRows{0}));
    EXPECT_EQ(right, (PaneRows{EmptyRow}));

    // "Orphan" hidden: the left orphan and its right placeholder both go, and the right orphan too.
    CategoryFlags noOrphans = AllShown();
    noOrphans[static_cast<size_t>(Category::Orphan) - 1] = false;
    FilterPanes(l.left, l.right, ViewCustom, noOrphans, left, right);
    EXPECT_EQ(left, (PaneRows{0, 1, 4, 5}));
    EXPECT_EQ(right, (PaneRows{0, 1, 4, 5}));

    // Only orphans: each orphan gets an empty partner; the placeholder rows of the hold lists are never
    // shown themselves.
    FilterPanes(l.left, l.right, ViewCustom, Shown({Category::Orphan}), left, right);
    EXPECT_EQ(left, (PaneRows{2, EmptyRow}));
    EXPECT_EQ(right, (PaneRows{EmptyRow, 3}));

    // Differences view with the flags it stands for.
    FilterPanes(l.left, l.right, ViewDifferent,
                Shown({Category::Newer, Category::Older, Category::Orphan, Category::Binary, Category::DifferentFolder,
                       Category::OrphanFolder}),
                left, right);
    EXPECT_EQ(left, (PaneRows{0, 2, EmptyRow, 4, 5}));
    EXPECT_EQ(right, (PaneRows{0, EmptyRow, 3, 4, 5}));
}

TEST(PaneViews, HidingSameWithOnlyIdenticalFilesEmptiesBothPanes)
{
    const ResultList left = {Row("a", Category::Same, 1), Row("b", Category::Same, 2)};
    const ResultList right = left;
    PaneRows l, r;
    CategoryFlags flags = AllShown();
    flags[static_cast<size_t>(Category::Same) - 1] = false;
    FilterPanes(left, right, ViewCustom, flags, l, r);
    EXPECT_TRUE(l.empty());
    EXPECT_TRUE(r.empty());
    const PaneTotals totals = ComputePaneTotals(left, l);
    EXPECT_EQ(totals.objects, 0);
    const auto sizeText = [](qint64) { return QStringLiteral("never used"); };
    EXPECT_EQ(PaneTotalsText(totals, sizeText), QStringLiteral("Total 0 object(s)  (0 Bytes)"));
}

TEST(PaneViews, UnevenListsCountMissingRowsAsPlaceholders)
{
    const ResultList left = {Row("a", Category::Newer), Row("b", Category::Orphan)};
    const ResultList right = {Row("a", Category::Older)};
    PaneRows l, r;
    FilterPanes(left, right, ViewCustom, AllShown(), l, r);
    EXPECT_EQ(l, (PaneRows{0, 1}));
    EXPECT_EQ(r, (PaneRows{0, EmptyRow}));
}

TEST(PaneViews, TotalsCountRealRowsAndAddSizes)
{
    const Lists l = Sample();
    PaneRows left, right;
    FilterPanes(l.left, l.right, ViewAll, AllShown(), left, right);
    const PaneTotals totals = ComputePaneTotals(l.left, left);
    EXPECT_EQ(totals.objects, 5); // the placeholder row is not an object
    EXPECT_EQ(totals.bytes, 10 + 20 + 30 + 50 + 60);
    EXPECT_FALSE(totals.noRows);
    const auto sizeText = [](qint64 bytes) { return QString::number(bytes) + QStringLiteral(" Bytes"); };
    EXPECT_EQ(PaneTotalsText(totals, sizeText), QStringLiteral("Total 5 object(s)  (170 Bytes)"));

    ResultList none;
    MakeNoResultsList(none);
    EXPECT_TRUE(IsNoResultsList(none));
    EXPECT_EQ(ComputePaneTotals(none, PaneRows{0}).objects, 0);
}

TEST(PaneViews, ViewTypeTexts)
{
    EXPECT_EQ(ViewTypeText(0), QStringLiteral("All"));
    EXPECT_EQ(ViewTypeText(1), QStringLiteral("Different"));
    EXPECT_EQ(ViewTypeText(2), QStringLiteral("Similar"));
    EXPECT_EQ(ViewTypeText(3), QStringLiteral("Custom"));
    EXPECT_EQ(ViewTypeText(7), QStringLiteral("Error"));
}

TEST(ResultTableModel, ShowsRowsByPositionAndKeepsPlaceholdersUnselectable)
{
    ResultList hold = {Row("a.txt", Category::Newer, 5), Row("", Category::None), Row("/Docs", Category::OrphanFolder)};
    ResultTableModel model(hold);
    model.Reset({0, EmptyRow, 1, 2});
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), ResultTableModel::ColumnCount);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("a.txt"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("5"));
    EXPECT_EQ(model.data(model.index(3, 0)).toString(), QStringLiteral("/Docs"));
    EXPECT_EQ(model.data(model.index(3, 0), ResultTableModel::CategoryRole).toInt(), 8);
    EXPECT_TRUE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsSelectable));
    // An empty filler row, a placeholder of the hold list: never selectable.
    EXPECT_FALSE(model.flags(model.index(1, 0)).testFlag(Qt::ItemIsSelectable));
    EXPECT_FALSE(model.flags(model.index(2, 0)).testFlag(Qt::ItemIsSelectable));
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QString());

    // While a run refills the hold list, rows past its end read as empty instead of failing.
    hold.resize(1);
    EXPECT_EQ(model.data(model.index(3, 0)).toString(), QString());
    EXPECT_EQ(model.RowAt(3), nullptr);

    ResultList none;
    MakeNoResultsList(none);
    ResultTableModel noResults(none);
    noResults.Reset({0});
    EXPECT_EQ(noResults.data(noResults.index(0, 0)).toString(), QStringLiteral("No Comparison Results"));
    EXPECT_FALSE(noResults.flags(noResults.index(0, 0)).testFlag(Qt::ItemIsSelectable));
}

TEST(ResultTableModel, ARowWhoseContentsCouldNotBeReadHasItsMarkAndTip)
{
    ResultList hold = {Row("locked", Category::Same, 4), Row("plain", Category::Same, 4)};
    hold[0].unreadable = true;
    ResultTableModel model(hold);
    std::array<QVariant, CategoryCount + 1> plain;
    std::array<QVariant, CategoryCount + 1> marked;
    plain[size_t(Category::Same)] = QStringLiteral("same");
    marked[size_t(Category::Same)] = QStringLiteral("same, unread");
    model.SetCategoryPictures(plain);
    model.Reset({0, 1});
    // Without marked pictures the category's own picture is shown all the same.
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DecorationRole).toString(), QStringLiteral("same"));
    model.SetUnreadablePictures(marked);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DecorationRole).toString(), QStringLiteral("same, unread"));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DecorationRole).toString(), QStringLiteral("same"));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::ToolTipRole).toString(), ResultTableModel::UnreadableTip());
    EXPECT_EQ(model.data(model.index(0, 2), Qt::ToolTipRole).toString(), ResultTableModel::UnreadableTip());
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::ToolTipRole).isValid());
    EXPECT_TRUE(model.data(model.index(0, 0), ResultTableModel::UnreadableRole).toBool());
    EXPECT_FALSE(model.data(model.index(1, 0), ResultTableModel::UnreadableRole).toBool());
    // The category stays what size and time said.
    EXPECT_EQ(model.data(model.index(0, 0), ResultTableModel::CategoryRole).toInt(), int(Category::Same));
}

TEST(PaneCommands, RowPaths)
{
    EXPECT_EQ(RowObjectPath(QStringLiteral("/data"), Row("x.txt", Category::Same)), QStringLiteral("/data/x.txt"));
    EXPECT_EQ(RowObjectPath(QStringLiteral("/data/"), Row("/Docs", Category::OrphanFolder)), QStringLiteral("/data/Docs"));
    EXPECT_EQ(RowObjectPath(QStringLiteral("/data/"), Row("", Category::None)), QString());
    EXPECT_EQ(RowObjectPath(QStringLiteral("/data/"), Row("No Comparison Results", Category::None)), QString());
}
