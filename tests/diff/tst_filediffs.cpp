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
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <cerrno>
#include <cmath>
#include <functional>
#include <sys/stat.h>

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
    const int number = GuiDiffGridModel::Number;
    const int text = GuiDiffGridModel::Text;
    EXPECT_EQ(left->model()->rowCount(), 4);
    EXPECT_EQ(left->model()->headerData(text, Qt::Horizontal).toString(), files.file(U("one.txt")));
    // The number has a column of its own; the text column is the line alone.
    EXPECT_EQ(right->model()->data(right->model()->index(1, text)).toString(), U("B"));
    EXPECT_EQ(right->model()->data(right->model()->index(1, number)).toString(), U("2"));
    EXPECT_EQ(left->model()->data(left->model()->index(3, text)).toString(), QString());
    EXPECT_FALSE(left->model()->data(left->model()->index(3, number)).isValid());
    EXPECT_EQ(right->model()->data(right->model()->index(3, text), Qt::BackgroundRole).value<QBrush>().color(), AdditionColour());
    EXPECT_EQ(left->model()->data(left->model()->index(1, text), Qt::BackgroundRole).value<QBrush>().color(), ChangeColour());
    // Row 1 is current in both grids and carries the arrow, beside its number; the detail boxes wait for a click.
    EXPECT_EQ(w->CurrentRow(), 1);
    EXPECT_EQ(right->currentIndex().row(), 0);
    EXPECT_EQ(w->MarkerOf(1), int(DiffPicture::Arrow));
    EXPECT_FALSE(left->model()->data(left->model()->index(0, number), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(left->model()->data(left->model()->index(0, text), Qt::DecorationRole).isValid());
    EXPECT_EQ(Box(*w, 0)->toPlainText(), frmFileDiffs::InitialDetailText());
    // Selecting in one grid selects the same row in the other; scrolling follows too.
    right->setCurrentIndex(right->model()->index(1, 0));
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_EQ(w->MarkerOf(2), int(DiffPicture::DifferArrow));
    EXPECT_EQ(w->MarkerOf(1), -1);
}

namespace {

// WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette DarkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    return dark;
}

} // namespace

TEST_F(FileDiffsTest, RowColoursReadWellInLightAndDarkThemes)
{
    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    for (const QPalette& palette : {light, DarkPalette()}) {
        for (const RowColour colour : {RowColour::Addition, RowColour::Change}) {
            const QColor back = RowBackground(colour, palette);
            EXPECT_GE(Contrast(back, palette.color(QPalette::Text)), 7.0) << back.name().toStdString();
            // Still told apart from the plain rows.
            EXPECT_GE(Contrast(back, palette.color(QPalette::Base)), 1.1) << back.name().toStdString();
        }
    }
    // The window follows its palette: texts in the palette's text colour on the mixed background.
    auto w = Open("a\nb\n", "a\nc\n");
    w->setPalette(DarkPalette());
    auto* grid = w->findChild<QTableView*>(U("grdFileOne"));
    const QModelIndex changed = grid->model()->index(1, GuiDiffGridModel::Text);
    EXPECT_EQ(grid->model()->data(changed, Qt::BackgroundRole).value<QBrush>().color(),
              RowBackground(RowColour::Change, DarkPalette()));
    EXPECT_EQ(grid->model()->data(changed, Qt::ForegroundRole).value<QBrush>().color(), QColor(230, 230, 230));
    w->SelectRow(2);
    for (QTextBlock block = Box(*w, 0)->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            EXPECT_NE(it.fragment().charFormat().foreground().color(), QColor(Qt::black));
    }
}

TEST_F(FileDiffsTest, CtrlHomeAndCtrlEndMoveTheCurrentRowToTheEnds)
{
    auto w = Open("1\n2\n3\n4\n", "1\n2\nX\n4\n5\n");
    QAction* last = w->Command(U("mnuOptionsLastRow"));
    QAction* first = w->Command(U("mnuOptionsFirstRow"));
    ASSERT_TRUE(first && last);
    EXPECT_EQ(last->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_End));
    EXPECT_EQ(first->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Home));
    EXPECT_TRUE(w->findChild<QMenu*>(U("mnuOptions"))->actions().contains(last));
    last->trigger();
    EXPECT_EQ(w->CurrentRow(), 5);
    EXPECT_EQ(w->MarkerOf(5), int(DiffPicture::Arrow)); // the left side of row 5 is a filler row
    first->trigger();
    EXPECT_EQ(w->CurrentRow(), 1);
    EXPECT_EQ(w->MarkerOf(1), int(DiffPicture::Arrow));
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

TEST_F(FileDiffsTest, FindMatchesTheTextNeverTheNumberAndWrapsAround)
{
    auto w = Open("apple\nbanana\ncherry\n", "apple\nBanana split\ncherry pie\n");
    // The line numbers are not searched.
    dialogs.inputs.push_back(U("3."));
    w->FindCommand();
    EXPECT_EQ(dialogs.last().text, U("Search text was not found."));
    EXPECT_EQ(dialogs.last().title, U("Find"));
    EXPECT_FALSE(w->Command(U("mnuOptionsFindNext"))->isEnabled());
    // Case does not matter; the right side is searched as well.
    dialogs.inputs.push_back(U("cherry P"));
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 3);
    EXPECT_EQ(w->SearchHistory(), QStringList{U("cherry P")});
    EXPECT_TRUE(w->Command(U("mnuOptionsFindPrevious"))->isEnabled());
    EXPECT_EQ(w->StatusText(), QString());
    // Past the last row the search goes on from the first and says so; on the only hit it stays there.
    dialogs.clear();
    w->FindNext();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(w->CurrentRow(), 3);
    EXPECT_EQ(w->StatusText(), U("Find passed the last line and went on from the first."));
    dialogs.inputs.push_back(U("APPLE"));
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 1);
    EXPECT_EQ(w->StatusText(), U("Find passed the last line and went on from the first."));
    // Previous, from the first row, goes round to the last row that holds the text.
    dialogs.inputs.push_back(U("an"));
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_EQ(w->StatusText(), QString());
    w->SelectRow(1);
    w->FindPrevious();
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_EQ(w->StatusText(), U("Find passed the first line and went on from the last."));
    // Text nowhere: the message, and the row stays.
    dialogs.inputs.push_back(U("nothing like it"));
    w->FindCommand();
    EXPECT_EQ(dialogs.last().text, U("Search text was not found."));
    EXPECT_EQ(w->CurrentRow(), 2);
    // An empty answer or Cancel does nothing.
    dialogs.inputs.push_back(QString());
    dialogs.inputs.push_back(std::nullopt);
    w->FindCommand();
    w->FindCommand();
    EXPECT_EQ(w->CurrentRow(), 2);
    // Ctrl+F is the menu's key.
    EXPECT_EQ(w->Command(U("mnuOptionsFind"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
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
    const QModelIndex first = grid->model()->index(0, GuiDiffGridModel::Text);
    EXPECT_FALSE(grid->model()->data(first, Qt::ToolTipRole).isValid());
    w->findChild<QCheckBox*>(U("chkTooltip"))->setChecked(true);
    EXPECT_EQ(grid->model()->data(first, Qt::ToolTipRole).toString().size(), 255);
    w->findChild<QCheckBox*>(U("chkTooltip"))->setChecked(false);
    EXPECT_FALSE(grid->model()->data(first, Qt::ToolTipRole).isValid());
}

TEST_F(FileDiffsTest, MergeCommandsCopyBlocksUndoRedoAndFollowTheCurrentRow)
{
    auto w = Open("same\nleft\nsame\n", "same\nright\nsame\nextra\n");
    QAction* toLeft = w->Command(U("mnuMergeCopyBlockToLeft"));
    QAction* toRight = w->Command(U("mnuMergeCopyBlockToRight"));
    QAction* undo = w->Command(U("mnuMergeUndo"));
    QAction* redo = w->Command(U("mnuMergeRedo"));
    ASSERT_TRUE(toLeft && toRight && undo && redo);
    EXPECT_EQ(toLeft->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left));
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    // Row 1 is in no block.
    EXPECT_FALSE(toLeft->isEnabled());
    EXPECT_FALSE(undo->isEnabled());
    w->SelectRow(2);
    ASSERT_TRUE(toLeft->isEnabled());
    toLeft->trigger();
    EXPECT_EQ(w->Merge().Buffer(DiffSide::Left).Contents(), "same\nright\nsame\n");
    EXPECT_EQ(w->Navigator().Colour(DiffSide::Left, 2), RowColour::Default);
    EXPECT_EQ(w->CurrentRow(), 2);
    EXPECT_FALSE(toLeft->isEnabled());
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(w->windowTitle(), U("View File Differences - left file changed"));
    EXPECT_TRUE(w->Command(U("mnuMergeSaveLeft"))->isEnabled());
    EXPECT_FALSE(w->Command(U("mnuMergeSaveRight"))->isEnabled());
    // The addition at the end, copied to the right: the right loses "extra".
    w->ShowNextDiff();
    EXPECT_EQ(w->CurrentRow(), 4);
    w->CopyBlockToRight();
    EXPECT_EQ(w->Merge().Buffer(DiffSide::Right).Contents(), "same\nright\nsame\n");
    EXPECT_EQ(w->Navigator().RowCount(), 4);
    EXPECT_EQ(w->CurrentRow(), 3); // kept within the rows there are now
    EXPECT_EQ(w->windowTitle(), U("View File Differences - both files changed"));
    // Back twice, and forward once.
    undo->trigger();
    undo->trigger();
    EXPECT_EQ(w->Merge().Buffer(DiffSide::Left).Contents(), "same\nleft\nsame\n");
    EXPECT_EQ(w->Navigator().RowCount(), 5);
    EXPECT_EQ(w->windowTitle(), U("View File Differences"));
    EXPECT_FALSE(undo->isEnabled());
    redo->trigger();
    EXPECT_EQ(w->Merge().Buffer(DiffSide::Left).Contents(), "same\nright\nsame\n");
    EXPECT_TRUE(redo->isEnabled());
    // The grids show the new rows, numbers and all.
    auto* left = w->findChild<QTableView*>(U("grdFileOne"));
    EXPECT_EQ(left->model()->data(left->model()->index(1, GuiDiffGridModel::Text)).toString(), U("right"));
    EXPECT_EQ(left->model()->data(left->model()->index(1, GuiDiffGridModel::Number)).toString(), U("2"));
    // Outside a block the command says why it did nothing.
    w->SelectRow(1);
    w->CopyBlockToLeft();
    EXPECT_EQ(w->StatusText(), U("The current line is not in a difference block."));
}

TEST_F(FileDiffsTest, F2AndADoubleClickOnTheTextEditTheLineInPlace)
{
    auto w = Open("one\ntwo\n", "one\n2\n");
    w->show();
    auto* right = w->findChild<QTableView*>(U("grdFileTwo"));
    auto* left = w->findChild<QTableView*>(U("grdFileOne"));
    EXPECT_EQ(w->Command(U("mnuMergeEditLine"))->shortcut(), QKeySequence(Qt::Key_F2));
    // Choosing a row in the right grid gives the right side the focus for editing.
    right->setCurrentIndex(right->model()->index(1, 0));
    EXPECT_EQ(w->FocusSide(), DiffSide::Right);
    w->Command(U("mnuMergeEditLine"))->trigger();
    auto* editor = right->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), U("2"));
    editor->setText(U("two"));
    // The edit lands once the editor has closed.
    QSignalSpy changed(w.get(), &frmFileDiffs::MergeChanged);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(w->Merge().Buffer(DiffSide::Right).Contents(), "one\ntwo\n");
    EXPECT_TRUE(w->Merge().Alignment().differences.empty());
    EXPECT_EQ(w->StatusText(), U("Changed a line of the right file."));

    // A double-click on the number toggles the bookmark; on the text it opens the editor.
    w->SelectRow(1);
    Q_EMIT left->doubleClicked(left->model()->index(0, GuiDiffGridModel::Number));
    EXPECT_TRUE(w->Navigator().IsRowBookmarked(1));
    Q_EMIT left->doubleClicked(left->model()->index(0, GuiDiffGridModel::Text));
    editor = left->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    // Escape drops the edit and leaves the window open.
    editor->setText(U("dropped"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Merge().Buffer(DiffSide::Left).Contents(), "one\ntwo\n");
    dialogs.answers.push_back(UserDialogs::Answer::No);
    w->reject();
}

TEST_F(FileDiffsTest, SaveWritesTheSideWithTheFocusAndAsksBeforeReplacingAChangedFile)
{
    auto w = Open("a\r\nb\r\n", "a\r\nc\r\n");
    const QString one = files.file(U("one.txt"));
    const QString two = files.file(U("two.txt"));
    ASSERT_EQ(::chmod(two.toLocal8Bit().constData(), 0600), 0);
    QAction* save = w->Command(U("mnuMergeSave"));
    EXPECT_EQ(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    w->SelectRow(2);
    w->CopyBlockToRight();
    // The focus is on the left: nothing to save there.
    EXPECT_EQ(w->FocusSide(), DiffSide::Left);
    EXPECT_FALSE(save->isEnabled());
    w->SetFocusSide(DiffSide::Right);
    w->SelectRow(1);
    ASSERT_TRUE(save->isEnabled());
    save->trigger();
    EXPECT_EQ(FileBytes(two), "a\r\nb\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(two.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(w->StatusText(), U("Saved ") + two);
    EXPECT_EQ(w->windowTitle(), U("View File Differences"));
    EXPECT_TRUE(Leftovers(files.path()).isEmpty());

    // The left file changes on disk after it was loaded: the save asks, No keeps theirs.
    w->EditLine(DiffSide::Left, 1, U("A"));
    files.createFileAt(U("one.txt"), "theirs\n", 1700000000);
    dialogs.clear();
    dialogs.answers.push_back(UserDialogs::Answer::No);
    EXPECT_FALSE(w->Save(DiffSide::Left));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, one + U(" changed on disk since it was loaded. Replace it?"));
    EXPECT_EQ(dialogs.last().title, U("Save"));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_EQ(FileBytes(one), "theirs\n");
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_TRUE(w->Save(DiffSide::Left));
    EXPECT_EQ(FileBytes(one), "A\r\nb\r\n");
}

TEST_F(FileDiffsTest, ClosingWithUnsavedChangesAsksToSaveDiscardOrStay)
{
    auto w = Open("x\n", "y\n");
    w->show();
    w->SelectRow(1);
    w->CopyBlockToLeft();
    // Cancel: the window stays.
    dialogs.clear();
    dialogs.answers.push_back(UserDialogs::Answer::Cancel);
    w->close();
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNoCancel);
    EXPECT_TRUE(dialogs.last().text.contains(files.file(U("one.txt"))));
    EXPECT_EQ(FileBytes(files.file(U("one.txt"))), "x\n");
    // Yes: saved, then closed.
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    w->reject();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(FileBytes(files.file(U("one.txt"))), "y\n");
    // No: closed, the file left as it was.
    w->show();
    w->Undo();
    dialogs.answers.push_back(UserDialogs::Answer::No);
    w->reject();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(FileBytes(files.file(U("one.txt"))), "y\n");
}

TEST_F(FileDiffsTest, TheHelpCommandOpensTheDifferencesTopic)
{
    auto w = Open("a\n", "b\n");
    QAction* help = w->Command(U("mnuOptionsHelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
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
    // An orphan has nothing to compare with: the item is off for it rather than answering.
    Select(Left(), U("orphan.txt"));
    EXPECT_FALSE(Item("mnuFileShowFileDiffs")->isEnabled());
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

TEST_F(ShowFileDiffsTest, SavingAMergedFileLeavesTheResultsOutdated)
{
    ctx->MainOptions().AutoCompareAfterSync = false;
    Select(Left(), U("notes.txt"));
    bool seen = false;
    WhenModal<frmFileDiffs>(
        [](frmFileDiffs* w) {
            w->SelectRow(2);
            w->CopyBlockToLeft();
            EXPECT_TRUE(w->Save(DiffSide::Left));
        },
        &seen);
    window->Commands().Run(U("mnuFileShowFileDiffs"));
    EXPECT_TRUE(seen);
    EXPECT_EQ(FileBytes(left.file(U("notes.txt"))), "one\n2\n");
    EXPECT_FALSE(Texts(Left()).contains(U("notes.txt")));
    EXPECT_TRUE(Texts(Left()).contains(U("No Comparison Results")));
}

TEST(PickerStart, FolderOfTheTextThenTheCallersThenTheRoot)
{
    TempDir dir;
    const QString file = dir.createFile(U("x/a.txt"), "a");
    EXPECT_EQ(PickerStartFolder(file, U("/tmp")), dir.file(U("x")));
    EXPECT_EQ(PickerStartFolder(U("/no/such/a.txt"), dir.path()), dir.path());
    EXPECT_EQ(PickerStartFolder(QString(), U("/no/such")), U("/"));
}
