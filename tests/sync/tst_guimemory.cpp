#include "../app/MainWindowFixture.h"
#include "ModalSupport.h"

#include "app/GuiCommandRegistry.h"
#include "diff/frmFileDiffs.h"
#include "settings/frmOptionsSyncTab.h"
#include "sync/GuiSyncCommands.h"
#include "sync/SyncJournal.h"
#include "sync/frmConfirmSync.h"
#include "sync/frmCustomSync.h"
#include "views/GuiCategoryPictures.h"
#include "views/frmCompareResults.h"
#include "views/frmSubDirDiffs.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>

namespace {

const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();

QStringList ModelTexts(const QAbstractItemModel* model, int column = 0)
{
    QStringList texts;
    for (int r = 0; r < model->rowCount(); ++r)
        texts << model->data(model->index(r, column)).toString();
    return texts;
}

// The picture a row shows, as an image of one size, to tell a marked picture from the plain one.
QImage Picture(const QAbstractItemModel* model, int row)
{
    return model->data(model->index(row, 0), Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
}

QImage Plain(Category category) { return CategoryIcon(category).pixmap(16, 16).toImage(); }

} // namespace

// What a window user sees of the memory of a synchronised pair: the pair is synchronised once through the
// main window ("Both ways", no confirmations), then a file is deleted on the left and two files (one at
// the top, one in a sub-folder) are changed on both sides.
class GuiMemoryTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.path()));
        left.createFileAt(U("keep.txt"), "keep", Noon);
        left.createFileAt(U("gone.txt"), "gone", Noon);
        left.createFileAt(U("both.txt"), "base", Noon);
        left.createFileAt(U("Docs/note.txt"), "base note", Noon);
        ctx->SyncSettings().SetSyncMethod(CSyncSettings::ReplaceOlderCopyOrphans);
        ctx->MainOptions().PromptForSyncMethod = false;
        ctx->MainOptions().ShowSynchronizeConfirmations = false;
        ctx->DiffOptions().SetShowOptionsDialog(false);
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
        Item("mnuFileCompareDirectories")->trigger();
        Run("mnuFileAutoSynch");
        ASSERT_EQ(Entries(right.path()), Entries(left.path())) << "the first run copies everything";
        ASSERT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text);

        ASSERT_TRUE(QFile::remove(left.file(U("gone.txt"))));
        left.createFileAt(U("both.txt"), "left edit", Noon + 100);
        right.createFileAt(U("both.txt"), "right edit!", Noon + 200);
        left.createFileAt(U("Docs/note.txt"), "left note", Noon + 100);
        right.createFileAt(U("Docs/note.txt"), "right note!", Noon + 200);
        Item("mnuFileCompareDirectories")->trigger();
        dialogs.clear();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        if (hadDataHome)
            qputenv("XDG_DATA_HOME", oldDataHome);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    void Run(const char* command) { ASSERT_TRUE(window->Commands().Run(QString::fromLatin1(command))) << command; }

    static int RowOf(const GuiResultPane* pane, const char* text)
    {
        const int row = int(Texts(pane).indexOf(U(text)));
        EXPECT_GE(row, 0) << text << " in " << qPrintable(Texts(pane).join(U(", ")));
        return row;
    }
    static QString Tip(const GuiResultPane* pane, int row)
    {
        return pane->model()->data(pane->model()->index(row, 0), Qt::ToolTipRole).toString();
    }
    static int Note(const GuiResultPane* pane, int row)
    {
        return pane->model()->data(pane->model()->index(row, 0), ResultTableModel::NoteRole).toInt();
    }

    TempDir left;
    TempDir right;
    TempDir xdg;
    QByteArray oldDataHome;
    bool hadDataHome = false;
};

TEST_F(GuiMemoryTest, RowsChangedSinceTheLastSyncCarryAMarkAndTheirSentence)
{
    // The file deleted on the left: its right row, beside an empty row.
    const int gone = RowOf(Right(), "gone.txt");
    ASSERT_GE(gone, 0);
    EXPECT_EQ(Note(Right(), gone), int(RowNote::DeletedOnLeft));
    EXPECT_EQ(Tip(Right(), gone), U("Deleted on the left since the last synchronization"));
    EXPECT_NE(Picture(Right()->model(), gone), Plain(Category::Orphan)) << "the picture carries a mark";
    EXPECT_EQ(Texts(Left())[gone], QString());

    // The pair changed on both sides: both rows.
    const int both = RowOf(Left(), "both.txt");
    ASSERT_GE(both, 0);
    for (const GuiResultPane* pane : {Left(), Right()}) {
        EXPECT_EQ(Note(pane, both), int(RowNote::Conflict));
        EXPECT_EQ(Tip(pane, both), U("Changed on both sides since the last synchronization"));
    }
    EXPECT_NE(Picture(Left()->model(), both), Plain(Category::Older));
    // The three marks differ from one another.
    EXPECT_NE(CategoryPixmap(Category::Orphan, true, 16, false, RowNote::DeletedOnLeft).toImage(),
              CategoryPixmap(Category::Orphan, true, 16, false, RowNote::MovedFrom).toImage());
    EXPECT_NE(CategoryPixmap(Category::Orphan, true, 16, false, RowNote::Conflict).toImage(),
              CategoryPixmap(Category::Orphan, true, 16, false, RowNote::MovedFrom).toImage());

    // A row nothing happened to shows what it always did.
    const int keep = RowOf(Left(), "keep.txt");
    EXPECT_EQ(Note(Left(), keep), int(RowNote::None));
    EXPECT_EQ(Tip(Left(), keep), QString());
    EXPECT_EQ(Picture(Left()->model(), keep), Plain(Category::Same));
}

TEST_F(GuiMemoryTest, TheConflictsViewShowsOnlyPairsInConflictAndTheSummaryCountsThem)
{
    const QStringList all = Texts(Left());
    QAction* conflicts = Item("mnuViewConflicts");
    ASSERT_TRUE(conflicts->isCheckable());
    EXPECT_EQ(conflicts->text(), U("&Conflicts"));
    conflicts->trigger();
    // The pair itself, and the folder whose differences hold one, so the way to it stays on view.
    EXPECT_EQ(Texts(Left()), Strings({"both.txt", "/Docs"}));
    EXPECT_EQ(Texts(Right()), Strings({"both.txt", "/Docs"}));
    EXPECT_EQ(Panel(4), U("Conflicts"));
    conflicts->trigger();
    EXPECT_EQ(Texts(Left()), all);
    EXPECT_EQ(Panel(4), U("All"));

    // A view type chosen turns the conflicts view off.
    conflicts->trigger();
    Item("mnuViewDifferences")->trigger();
    EXPECT_FALSE(conflicts->isChecked());
    EXPECT_FALSE(Texts(Left()).contains(U("keep.txt")));
    EXPECT_TRUE(Texts(Right()).contains(U("gone.txt")));

    bool seen = false;
    WhenModal<frmCompareResults>(
        [](frmCompareResults* w) {
            EXPECT_EQ(w->Counts(true).conflicts, 2) << "both.txt and Docs/note.txt";
            EXPECT_EQ(w->Counts(false).conflicts, 2);
            auto* list = In<QTreeWidget>(w, "lvwFileTypes");
            const QTreeWidgetItem* last = list->topLevelItem(list->topLevelItemCount() - 1);
            EXPECT_EQ(last->text(0), frmCompareResults::ConflictsText());
            EXPECT_EQ(last->text(1), U("2"));
        },
        &seen);
    Run("mnuViewCompareResultsSummary");
    EXPECT_TRUE(seen);
}

TEST_F(GuiMemoryTest, BothWaysFollowsTheDeletionAndLeavesTheConflictsAsTheyAre)
{
    ctx->MainOptions().ShowSynchronizeConfirmations = true;
    QStringList conflictRows;
    QString heading;
    QStringList rightRows;
    bool seen = false;
    WhenModal<frmConfirmSync>(
        [&](frmConfirmSync* w) {
            heading = In<QLabel>(w, "lblConflicts")->text();
            conflictRows = ModelTexts(In<QListView>(w, "lvwConflicts")->model());
            const QAbstractItemModel* plan = In<QTreeView>(w, "lvwFolderTwo")->model();
            for (int r = 0; r < plan->rowCount(); ++r)
                rightRows << plan->data(plan->index(r, 0)).toString() + U(" | ") + plan->data(plan->index(r, 1)).toString();
            In<QPushButton>(w, "OKButton")->click();
        },
        &seen);
    Run("mnuFileAutoSynch");
    ASSERT_TRUE(seen);
    EXPECT_EQ(heading, U("Left as they are (changed on both sides since the last synchronization):"));
    conflictRows.sort();
    EXPECT_EQ(conflictRows, Strings({"Docs/note.txt", "both.txt"}));
    EXPECT_EQ(rightRows, Strings({"gone.txt | Delete"}));

    // Followed into the right folder's trash; the pairs in conflict untouched on both sides.
    EXPECT_FALSE(QFile::exists(right.file(U("gone.txt"))));
    EXPECT_EQ(FileBytes(xdg.file(U("Trash/files/gone.txt"))), "gone");
    EXPECT_EQ(FileBytes(left.file(U("both.txt"))), "left edit");
    EXPECT_EQ(FileBytes(right.file(U("both.txt"))), "right edit!");
    EXPECT_EQ(FileBytes(left.file(U("Docs/note.txt"))), "left note");
    EXPECT_EQ(FileBytes(right.file(U("Docs/note.txt"))), "right note!");
    // The end of the run names them again.
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.last().title, U("Synchronization"));
    EXPECT_EQ(dialogs.last().text, ConflictsLeftText({U("both.txt"), U("Docs/note.txt")}))
        << qPrintable(dialogs.last().text);
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);

    // Compared again: the conflicts are still conflicts, the deletion is done.
    EXPECT_FALSE(Texts(Right()).contains(U("gone.txt")));
    const int both = RowOf(Left(), "both.txt");
    EXPECT_EQ(Note(Left(), both), int(RowNote::Conflict));
}

TEST_F(GuiMemoryTest, WithoutTheRuleTheDeletedFileIsCopiedBack)
{
    ctx->SyncSettings().SetSyncMethod(CSyncSettings::Custom);
    ctx->SyncSettings().SetFollowDeletions(false);
    Run("mnuFileAutoSynch");
    EXPECT_EQ(FileBytes(left.file(U("gone.txt"))), "gone");
    EXPECT_TRUE(QFile::exists(right.file(U("gone.txt"))));
}

TEST_F(GuiMemoryTest, ADoubleClickOnAPairInConflictOpensItsDifferences)
{
    const int both = RowOf(Left(), "both.txt");
    ASSERT_GE(both, 0);
    Select(Left(), {"both.txt"});
    bool seen = false;
    WhenModal<frmFileDiffs>([](frmFileDiffs*) {}, &seen);
    Q_EMIT Left()->RowDoubleClicked(both);
    EXPECT_TRUE(seen) << "the differences window, without the double-click menu";

    // The same in the sub-folder window, whose rows carry their notes as well.
    frmSubDirDiffs sub(*ctx, *window, window->AllSubFolderDiffs().front());
    auto* one = In<GuiResultPane>(&sub, "lvwDirOneDiffs");
    auto* two = In<GuiResultPane>(&sub, "lvwDirTwoDiffs");
    const int note = int(Texts(one).indexOf(U("note.txt")));
    ASSERT_GE(note, 0) << qPrintable(Texts(one).join(U(", ")));
    EXPECT_EQ(Tip(two, note), U("Changed on both sides since the last synchronization"));
    EXPECT_NE(Picture(two->model(), note), Plain(Category::Older));
    one->selectionModel()->setCurrentIndex(one->model()->index(note, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Q_EMIT one->FocusTaken();
    seen = false;
    WhenModal<frmFileDiffs>([](frmFileDiffs*) {}, &seen);
    Q_EMIT one->RowDoubleClicked(note);
    EXPECT_TRUE(seen);
}

// A memory that cannot be read: the comparison goes on as without one, and says so once.
TEST_F(MainWindowTest, AJournalThatCannotBeReadIsSaidOnceAndTheComparisonGoesOn)
{
    TempDir left;
    TempDir right;
    left.createFileAt(U("a.txt"), "a", Noon);
    QFile journal(appFolder.file(SyncJournal::FileName()));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.write(QByteArray(8192, 'x'));
    journal.close();
    Child<QComboBox>("cboSourcePath")->setEditText(left.path());
    Child<QComboBox>("cboTargetPath")->setEditText(right.path());
    Item("mnuFileCompareDirectories")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, U("Synchronization Memory"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);
    EXPECT_TRUE(dialogs.last().text.startsWith(frmMain::MemoryProblemText(QString()))) << qPrintable(dialogs.last().text);
    EXPECT_EQ(Texts(Left()), Strings({"a.txt"}));

    Item("mnuFileCompareDirectories")->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1) << "said once while the program runs";
    EXPECT_EQ(Texts(Left()), Strings({"a.txt"}));
}

// The rule "follow the deletion" where the rules are edited.
class FollowDeletionsRuleTest : public ::testing::Test
{
protected:
    TempDir appFolder;
    FakeUserDialogs dialogs;
    AppContext ctx{appFolder.path(), dialogs};
};

TEST_F(FollowDeletionsRuleTest, TheCustomWindowShowsAndStoresTheRule)
{
    CSyncSettings& sync = ctx.SyncSettings();
    sync.SetSyncMethod(CSyncSettings::Custom);
    sync.SetFollowDeletions(false);
    {
        frmCustomSync editor(sync, ctx.Errors());
        auto* box = In<QCheckBox>(&editor, "chkFollowDeletions");
        EXPECT_EQ(box->text(), U("&Follow deletions: delete on the other side what was deleted since the last synchronization"));
        EXPECT_FALSE(box->isChecked());
        EXPECT_TRUE(box->isEnabled());
        box->setChecked(true);
        In<QPushButton>(&editor, "OKButton")->click();
    }
    EXPECT_TRUE(sync.FollowDeletions());
    {
        frmCustomSync editor(sync, ctx.Errors());
        auto* box = In<QCheckBox>(&editor, "chkFollowDeletions");
        EXPECT_TRUE(box->isChecked()) << "read back as stored";
        box->setChecked(false);
        In<QPushButton>(&editor, "CancelButton")->click();
    }
    EXPECT_TRUE(sync.FollowDeletions()) << "Cancel stores nothing";
}

TEST_F(FollowDeletionsRuleTest, TheOptionsTabShowsTheMethodsRuleAndStoresOnlyCustom)
{
    CSyncSettings& sync = ctx.SyncSettings();
    sync.SetSyncMethod(CSyncSettings::ReplaceOlderCopyOrphans);
    frmOptionsSyncTab tab(ctx);
    auto* box = In<QCheckBox>(&tab, "chkFollowDeletions");
    auto* method = In<QComboBox>(&tab, "cboSyncMethod");
    const auto choose = [method](int32_t value) {
        const int index = method->findData(value);
        ASSERT_GE(index, 0);
        method->setCurrentIndex(index);
        Q_EMIT method->activated(index);
    };
    EXPECT_TRUE(box->isChecked()) << "Both ways follows deletions";
    EXPECT_FALSE(box->isEnabled());
    choose(CSyncSettings::MakeRightSameAsLeft);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(box->isEnabled());
    choose(CSyncSettings::Custom);
    EXPECT_TRUE(box->isEnabled());
    box->setChecked(true);
    tab.Apply();
    EXPECT_EQ(sync.SyncMethod(), CSyncSettings::Custom);
    EXPECT_TRUE(sync.FollowDeletions());

    choose(CSyncSettings::AddOrphansToRight);
    tab.Apply();
    EXPECT_FALSE(sync.FollowDeletions()) << "a predefined method has its own";
}

// The confirmation names a move once, on the side where it happens.
TEST(ConfirmSyncMoves, AMoveIsOneRowOnItsSideAndCountsAsAMove)
{
    SyncStep move{};
    move.action = SyncStep::Action::MoveRight;
    move.text = U("photo.jpg");
    move.movedTo = U("Pictures/2023.jpg");
    move.category = Category::Orphan;
    const std::vector<SyncStep> plan{move};
    frmConfirmSync window(plan, U("/l/"), U("/r/"), nullptr, QString(), {U("both.txt")});
    const QAbstractItemModel* right = In<QTreeView>(&window, "lvwFolderTwo")->model();
    ASSERT_EQ(right->rowCount(), 1);
    EXPECT_EQ(right->data(right->index(0, 0)).toString(), U("Move photo.jpg to Pictures/2023.jpg"));
    EXPECT_EQ(right->data(right->index(0, 1)).toString(), U("Move"));
    EXPECT_EQ(In<QTreeView>(&window, "lvwFolderOne")->model()->rowCount(), 0);
    EXPECT_EQ(frmConfirmSync::TotalsText(plan, 1), U("1 move"));
    EXPECT_EQ(ModelTexts(In<QListView>(&window, "lvwConflicts")->model()), Strings({"both.txt"}));

    // Without conflicts there is no such section.
    frmConfirmSync plain(plan, U("/l/"), U("/r/"));
    EXPECT_EQ(plain.findChild<QListView*>(U("lvwConflicts")), nullptr);
}

// A row whose contents could not be read and that changed on both sides says both.
TEST(RowTips, TheNoteAndTheUnreadableTipShareTheTooltip)
{
    ResultList hold{TestRow("a.txt", Category::Newer), TestRow("b.txt", Category::Orphan)};
    hold[0].unreadable = true;
    hold[0].note = RowNote::Conflict;
    hold[1].note = RowNote::MovedFrom;
    hold[1].noteName = U("old/b.txt");
    ResultTableModel model(hold);
    model.Reset(PaneRows{0, 1});
    EXPECT_EQ(model.data(model.index(0, 0), Qt::ToolTipRole).toString(),
              U("Changed on both sides since the last synchronization\n") + ResultTableModel::UnreadableTip());
    EXPECT_EQ(model.data(model.index(1, 2), Qt::ToolTipRole).toString(), U("Moved from old/b.txt"));
    // Pictures of noted rows are drawn once per kind.
    int drawn = 0;
    model.SetNotePictures([&drawn](Category, bool, RowNote) {
        ++drawn;
        return QVariant(QStringLiteral("marked"));
    });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(model.data(model.index(1, 0), Qt::DecorationRole).toString(), U("marked"));
    EXPECT_EQ(drawn, 1);
}
