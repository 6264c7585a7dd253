#include "ModalSupport.h"
#include "../app/MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"
#include "diff/GuiDiffGridModel.h"
#include "diff/GuiDiffPictures.h"
#include "diff/frmFileDiffs.h"
#include "diff/frmViewFileDiffOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <functional>

namespace {

// The red (and underlined) stretches of a detail box, as "text" or "_text_".
QStringList RedRuns(const QTextEdit* box)
{
    QStringList runs;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().foreground().color() == QColor(255, 0, 0))
                runs << (f.charFormat().fontUnderline() ? U("_") + f.text() + U("_") : f.text());
        }
    }
    return runs;
}

} // namespace

class FileDiffsTest : public MainWindowTest
{
protected:
    // The differences window over two files written here (visual unless told).
    std::unique_ptr<frmFileDiffs> Open(const QByteArray& one, const QByteArray& two, int format = 0)
    {
        const QString a = files.createFile(U("one.txt"), one);
        const QString b = files.createFile(U("two.txt"), two);
        DiffRunResult run = RunFileDiffs({a, b, false, false, format}, ctx->DiffEngine());
        EXPECT_TRUE(run.ShowsWindow());
        auto w = std::make_unique<frmFileDiffs>(*ctx, std::move(run), ctx->DiffEngine());
        dialogs.clear();
        return w;
    }

    static QTextEdit* Box(frmFileDiffs& w, int i)
    {
        return w.findChild<QTextEdit*>(QStringLiteral("rtfLineDiff%1").arg(i));
    }

    TempDir files;
};

TEST_F(FileDiffsTest, GridsShowTheAlignedRowsInTheirColours)
{
    auto w = Open("a\nb\nc\n", "a\nB\nc\nd\n");
    auto* left = w->findChild<QTableView*>(U("grdFileOne"));
    auto* right = w->findChild<QTableView*>(U("grdFileTwo"));
    ASSERT_TRUE(left && right);
    EXPECT_EQ(left->model()->rowCount(), 4);
    EXPECT_EQ(left->model()->headerData(0, Qt::Horizontal).toString(), files.file(U("one.txt")));
    EXPECT_EQ(right->model()->data(right->model()->index(1, 0)).toString(), U(" 2.B"));
    EXPECT_EQ(left->model()->data(left->model()->index(3, 0)).toString(), QString());
    EXPECT_EQ(right->model()->data(right->model()->index(3, 0), Qt::BackgroundRole).value<QBrush>().color(), AdditionColour());
    EXPECT_EQ(left->model()->data(left->model()->index(1, 0), Qt::BackgroundRole).value<QBrush>().color(), ChangeColour());
    // Row 1 is current in both grids and carries the arrow; the detail boxes wait for a click.
    EXPECT_EQ(w->CurrentRow(), 1);
    EXPECT_EQ(right->currentIndex().row(), 0);
    EXPECT_EQ(w->MarkerOf(1), int(DiffPicture::Arrow));
    EXPECT_EQ(Box(*w, 0)->toPlainText(), frmFileDiffs::InitialDetailText());
    // Selecting in one grid selects the same row in the other; scrolling follows too.
    right->setCurrentIndex(right->model()->index(1, 0));
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_EQ(w->MarkerOf(2), int(DiffPicture::DifferArrow));
    EXPECT_EQ(w->MarkerOf(1), -1);
}

TEST_F(FileDiffsTest, NextAndPreviousDifferenceStopAtTheEnds)
{
    auto w = Open("1\n2\n3\n4\n5\n6\n", "1\nX\n3\n4\n5\nY\n");
    w->ShowNextDiff();
    EXPECT_EQ(w->CurrentRow(), 2);
    w->ShowNextDiff();
    EXPECT_EQ(w->CurrentRow(), 6);
    w->ShowNextDiff();
    EXPECT_EQ(w->CurrentRow(), 6);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, U("No more differences"));
    EXPECT_EQ(dialogs.last().title, U("Next Difference"));
    w->ShowPreviousDiff();
    EXPECT_EQ(w->CurrentRow(), 2);
    w->ShowPreviousDiff();
    EXPECT_EQ(dialogs.last().title, U("Previous Difference"));
    EXPECT_EQ(w->CurrentRow(), 2);
}

TEST_F(FileDiffsTest, BookmarksToggleStepAndClear)
{
    auto w = Open("1\n2\n3\n4\n5\n", "1\n2\nX\n4\n5\n");
    QAction* next = w->Command(U("mnuOptionsNextBookmark"));
    EXPECT_FALSE(next->isEnabled());
    w->SelectRow(4);
    w->ToggleBookmark();
    EXPECT_EQ(w->MarkerOf(4), int(DiffPicture::BookmarkArrow));
    EXPECT_TRUE(next->isEnabled());
    EXPECT_TRUE(w->Command(U("mnuOptionsClearAllBookmarks"))->isEnabled());
    w->SelectRow(2);
    w->ToggleBookmark();
    EXPECT_EQ(w->MarkerOf(4), int(DiffPicture::Bookmark));
    EXPECT_EQ(w->Navigator().Bookmarks(), (std::vector<int32_t>{2, 4}));
    w->ShowNextBookmark();
    EXPECT_EQ(w->CurrentRow(), 4);
    w->ShowNextBookmark();
    EXPECT_EQ(dialogs.last().text, U("No more bookmarks"));
    EXPECT_EQ(dialogs.last().title, U("Next Bookmark"));
    w->ShowPreviousBookmark();
    EXPECT_EQ(w->CurrentRow(), 2);
    // Twice on one row leaves no bookmark and the arrow of the row's colour.
    w->ToggleBookmark();
    EXPECT_EQ(w->MarkerOf(2), int(DiffPicture::Arrow));
    w->ClearAllBookmarks();
    EXPECT_TRUE(w->Navigator().Bookmarks().empty());
    EXPECT_EQ(w->MarkerOf(4), -1);
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_FALSE(w->Command(U("mnuOptionsPreviousBookmark"))->isEnabled());
}

TEST_F(FileDiffsTest, FindSearchesNextToTheCurrentRowLeftThenRight)
{
    auto w = Open("apple\nbanana\ncherry\n", "apple\nBanana split\ncherry pie\n");
    // Row 1 itself is never searched.
    dialogs.inputs.push_back(U("APPLE"));
    w->FindCommand();
    EXPECT_EQ(dialogs.last().text, U("Search text was not found."));
    EXPECT_EQ(dialogs.last().title, U("Find"));
    EXPECT_FALSE(w->Command(U("mnuOptionsFindNext"))->isEnabled());
    // Case does not matter; the row number is part of the text; the right side is searched after the left.
    dialogs.inputs.push_back(U("3.cherry P"));
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 3);
    EXPECT_EQ(w->SearchHistory(), QStringList{U("3.cherry P")});
    EXPECT_TRUE(w->Command(U("mnuOptionsFindPrevious"))->isEnabled());
    dialogs.clear();
    w->FindNext();
    EXPECT_EQ(dialogs.last().text, U("Search text not found"));
    // From another row the message suggests starting again.
    dialogs.inputs.push_back(U("nothing like it"));
    w->FindCommand();
    EXPECT_EQ(dialogs.last().text, U("Search text was not found.  Try searching from the beginning of the file."));
    // Previous finds the left row above first.
    w->SelectRow(3);
    dialogs.inputs.push_back(U("an"));
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 2);
    // An empty answer or Cancel does nothing.
    dialogs.inputs.push_back(QString());
    dialogs.inputs.push_back(std::nullopt);
    w->FindCommand();
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 2);
}

TEST_F(FileDiffsTest, TheSelectedLinePairMarksItsDifferingCharacters)
{
    auto w = Open("abcXef\nabc\nx-y\nsame\nonly left\n", "abcYef\nabcde\nx y\nsame\n");
    struct Case
    {
        int row;
        QStringList left, right;
    };
    const Case cases[] = {
        {1, {U("X")}, {U("Y")}},
        {2, {}, {U("de")}},
        {3, {U("-")}, {U("_ _")}}, // a run of exactly one blank is underlined as well
        {4, {}, {}},
    };
    for (const Case& c : cases) {
        w->SelectRow(c.row);
        EXPECT_EQ(RedRuns(Box(*w, 0)), c.left) << c.row;
        EXPECT_EQ(RedRuns(Box(*w, 1)), c.right) << c.row;
    }
    w->SelectRow(4);
    EXPECT_EQ(Box(*w, 0)->toPlainText(), U("same"));
    // A line beside a filler row is red as a whole; the box beside it is empty.
    w->SelectRow(5);
    EXPECT_EQ(RedRuns(Box(*w, 0)), QStringList{U("only left")});
    EXPECT_EQ(Box(*w, 1)->toPlainText(), QString());
}

TEST_F(FileDiffsTest, UnixFormatShowsDiffsTextAndNoGridCommands)
{
    auto w = Open("a\nb\n", "a\nc\nd\n", 1);
    auto* text = w->findChild<QPlainTextEdit*>(U("rtfUnixDiffs"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), U("2c2,3\n< b\n---\n> c\n> d"));
    EXPECT_EQ(w->findChild<QTableView*>(U("grdFileOne")), nullptr);
    EXPECT_TRUE(w->findChild<QToolBar*>(U("Toolbar1"))->isHidden());
    EXPECT_TRUE(w->findChild<QCheckBox*>(U("chkTooltip"))->isHidden());
    EXPECT_FALSE(w->Command(U("mnuOptionsShowNextDiff"))->isEnabled());
}

TEST_F(FileDiffsTest, TooltipsFollowTheCheckBox)
{
    auto w = Open(QByteArray(300, 'x') + "\n", "y\n");
    auto* grid = w->findChild<QTableView*>(U("grdFileOne"));
    const QModelIndex first = grid->model()->index(0, 0);
    EXPECT_FALSE(grid->model()->data(first, Qt::ToolTipRole).isValid());
    w->findChild<QCheckBox*>(U("chkTooltip"))->setChecked(true);
    EXPECT_EQ(grid->model()->data(first, Qt::ToolTipRole).toString().size(), 255);
    w->findChild<QCheckBox*>(U("chkTooltip"))->setChecked(false);
    EXPECT_FALSE(grid->model()->data(first, Qt::ToolTipRole).isValid());
}

class ShowFileDiffsTest : public FileDiffsTest
{
protected:
    void SetUp() override
    {
        FileDiffsTest::SetUp();
        left.createFileAt(U("notes.txt"), "one\ntwo\n", 1700000060);
        right.createFileAt(U("notes.txt"), "one\n2\n", 1700000000);
        left.createFileAt(U("same.txt"), "text\n", 1700000060);
        right.createFileAt(U("same.txt"), "text\n", 1700000000);
        left.createFileAt(U("orphan.txt"), "alone\n", 1700000000);
        left.createFolder(U("Sub"));
        right.createFolder(U("Sub"));
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
        Item("mnuFileCompareDirectories")->trigger();
        ctx->DiffOptions().SetShowOptionsDialog(false);
        dialogs.clear();
    }

    void Select(GuiResultPane* pane, const QString& text)
    {
        Q_EMIT pane->FocusTaken();
        pane->clearSelection();
        const int row = int(Texts(pane).indexOf(text));
        ASSERT_GE(row, 0) << text.toStdString();
        pane->setCurrentIndex(pane->model()->index(row, 0));
        pane->selectionModel()->select(pane->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    TempDir left;
    TempDir right;
};

TEST_F(ShowFileDiffsTest, RowsThatHaveNothingToShowSaySo)
{
    const QString title = U("Show File Differences");
    Q_EMIT Left()->FocusTaken();
    Left()->clearSelection();
    Item("mnuFileShowFileDiffs")->trigger();
    EXPECT_EQ(dialogs.last().text, U("No file is selected"));
    EXPECT_EQ(dialogs.last().title, title);
    Select(Left(), U("/Sub"));
    Item("mnuFileShowFileDiffs")->trigger();
    EXPECT_EQ(dialogs.last().text, U("Selected object is not a file"));
    Select(Left(), U("orphan.txt"));
    Item("mnuFileShowFileDiffs")->trigger();
    EXPECT_EQ(dialogs.last().text, U("The selected file has no counterpart"));
    // Same contents under different times: diff finds nothing, no window opens.
    Select(Left(), U("same.txt"));
    Item("mnuFileShowFileDiffs")->trigger();
    EXPECT_EQ(dialogs.last().text, U("The files are identical"));
    EXPECT_EQ(dialogs.last().title, U("Compare Files"));
}

TEST_F(ShowFileDiffsTest, FileOneIsAlwaysTheSideTheUserClicked)
{
    bool seen = false;
    Select(Right(), U("notes.txt"));
    WhenModal<frmFileDiffs>(
        [](frmFileDiffs* w) {
            EXPECT_EQ(w->Navigator().RowText(DiffNavigator::Side::Left, 2), U(" 2.2"));
            EXPECT_EQ(w->Navigator().RowText(DiffNavigator::Side::Right, 2), U(" 2.two"));
        },
        &seen);
    window->Commands().Run(U("mnuFileShowFileDiffs"));
    EXPECT_TRUE(seen);
    EXPECT_EQ(ctx->DiffOptions().FileOne(), right.file(U("notes.txt")));
    EXPECT_EQ(ctx->DiffOptions().FileTwo(), left.file(U("notes.txt")));
    EXPECT_TRUE(window->MenusEnabled());
}

TEST_F(ShowFileDiffsTest, TheOptionsWindowChecksStoresAndStarts)
{
    ctx->DiffOptions().SetShowOptionsDialog(true);
    Item("mnuOptionsViewFileDiffsPromptForOptions")->setChecked(true);
    Select(Left(), U("notes.txt"));
    // A missing file two: its path in quotes, two blanks, and nothing stored.
    bool seen = false;
    WhenModal<frmViewFileDiffOptions>(
        [this](frmViewFileDiffOptions* o) {
            EXPECT_EQ(o->findChild<QLineEdit*>(U("txtFileOne"))->text(), left.file(U("notes.txt")));
            o->findChild<QLineEdit*>(U("txtFileTwo"))->setText(U("/no/such/file"));
            o->findChild<QCheckBox*>(U("chkIgnoreCase"))->setChecked(true);
            o->Ok();
        },
        &seen);
    window->Commands().Run(U("mnuFileShowFileDiffs"));
    ASSERT_TRUE(seen);
    EXPECT_EQ(dialogs.last().text, U("\"/no/such/file\"  is not an existing file."));
    EXPECT_EQ(dialogs.last().title, U("File Not Found"));
    EXPECT_FALSE(ctx->DiffOptions().IgnoreCase());

    // Unix, and not again: the menu's marks follow; the differences window opens.
    seen = false;
    bool shown = false;
    WhenModal<frmViewFileDiffOptions>(
        [&shown](frmViewFileDiffOptions* o) {
            o->findChild<QRadioButton*>(U("optFormat1"))->setChecked(true);
            o->findChild<QCheckBox*>(U("chkShowOptionsDialog"))->setChecked(false);
            WhenModal<frmFileDiffs>(
                [](frmFileDiffs* w) { EXPECT_NE(w->findChild<QPlainTextEdit*>(U("rtfUnixDiffs")), nullptr); }, &shown);
            o->Ok();
        },
        &seen);
    window->Commands().Run(U("mnuFileShowFileDiffs"));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(ctx->DiffOptions().ShowOptionsDialog());
    EXPECT_EQ(ctx->DiffOptions().Format(), 1);
    EXPECT_FALSE(Item("mnuOptionsViewFileDiffsPromptForOptions")->isChecked());
    EXPECT_TRUE(Item("mnuOptionsViewFileDiffsOutputFormatUnix")->isChecked());
    EXPECT_FALSE(Item("mnuOptionsViewFileDiffsOutputFormatVisual")->isChecked());
}

TEST(PickerStart, FolderOfTheTextThenTheCallersThenTheRoot)
{
    TempDir dir;
    const QString file = dir.createFile(U("x/a.txt"), "a");
    EXPECT_EQ(PickerStartFolder(file, U("/tmp")), dir.file(U("x")));
    EXPECT_EQ(PickerStartFolder(U("/no/such/a.txt"), dir.path()), dir.path());
    EXPECT_EQ(PickerStartFolder(QString(), U("/no/such")), U("/"));
}
