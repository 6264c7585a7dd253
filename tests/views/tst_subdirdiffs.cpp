#include "../app/MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"
#include "sync/GuiSyncCommands.h"
#include "fileops/frmFileOpProgress.h"
#include "views/frmSubFolderChoice.h"
#include "views/frmSubDirDiffs.h"
#include "compare/CCompare.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <deque>

namespace {

const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();

class Answers final : public ConfirmationAsker
{
public:
    bool Confirm(const QString& caption, const QString& prompt, const QString&, const QStringList& objects,
                 const QString&, const QString&) override
    {
        asked << caption + QLatin1Char('|') + prompt;
        this->objects = objects;
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QStringList asked;
    QStringList objects;
    std::deque<bool> answers;
};

} // namespace

// A comparison with two differing sub-folders, Work and Other, and the window on Work.
class SubDirDiffsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        left.createFileAt(U("Work/a.txt"), "newer", Noon + 60);
        right.createFileAt(U("Work/a.txt"), "old", Noon);
        left.createFileAt(U("Work/Old/b.txt"), "left only", Noon);
        right.createFileAt(U("Work/c.txt"), "right only", Noon);
        left.createFileAt(U("Other/x.txt"), "other newer", Noon + 60);
        right.createFileAt(U("Other/x.txt"), "other", Noon);
        ctx->MainOptions().PromptForSyncMethod = false;
        ctx->MainOptions().ShowSynchronizeConfirmations = false;
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
        Item("mnuFileCompareDirectories")->trigger();
        dialogs.clear();
        Open(U("Work"));
    }

    void Open(const QString& name)
    {
        const auto& all = window->SubFolderDifferences();
        const auto it = std::find_if(all.begin(), all.end(), [&](const CSubFolderDiffs& d) { return d.strSubFolderName() == name; });
        ASSERT_NE(it, all.end());
        sub = std::make_unique<frmSubDirDiffs>(*ctx, *window, *it);
        sub->SetConfirmation(&confirm);
        sub->SetRunner(&runner);
    }

    GuiResultPane* One() const { return sub->findChild<GuiResultPane*>(U("lvwDirOneDiffs")); }
    GuiResultPane* Two() const { return sub->findChild<GuiResultPane*>(U("lvwDirTwoDiffs")); }

    void Select(GuiResultPane* pane, const QStringList& texts)
    {
        Q_EMIT pane->FocusTaken();
        pane->clearSelection();
        const QStringList rows = Texts(pane);
        for (const QString& text : texts) {
            const int row = int(rows.indexOf(text));
            ASSERT_GE(row, 0) << qPrintable(text);
            pane->selectionModel()->select(pane->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    // As the user's click: the item or button of that name.
    void Run(const char* name)
    {
        QAction* action = sub->Commands().Action(U(name));
        ASSERT_NE(action, nullptr) << name;
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
    }
    QString Icons(const ResultList& rows) const
    {
        QString out;
        for (const ResultRow& r : rows)
            out += QString::number(int(r.icon));
        return out;
    }

    TempDir left;
    TempDir right;
    Answers confirm;
    DirectFileOpRunner runner;
    std::unique_ptr<frmSubDirDiffs> sub;
};

TEST_F(SubDirDiffsTest, TheListsShowTheSubFoldersDifferencesRowByRow)
{
    EXPECT_EQ(sub->windowTitle(), U("View Sub-Folder Differences"));
    EXPECT_EQ(sub->findChild<QLabel*>(U("lblFolderOne"))->text(), left.file(U("Work")) + U("/"));
    EXPECT_EQ(sub->findChild<QLabel*>(U("lblFolderTwo"))->text(), right.file(U("Work")) + U("/"));
    EXPECT_EQ(Texts(One()), (QStringList{U("a.txt"), QString(), U("Old/b.txt")}));
    EXPECT_EQ(Texts(Two()), (QStringList{U("a.txt"), U("c.txt"), QString()}));
    EXPECT_EQ(Icons(sub->Rows().left), U("104"));
    EXPECT_EQ(Icons(sub->Rows().right), U("240"));
    EXPECT_TRUE(sub->findChild<QLabel*>(U("StatusBar1Panel1"))->text().startsWith(U("Total 2 object(s)")));
    EXPECT_EQ(One()->font(), Left()->font());
}

TEST_F(SubDirDiffsTest, CopyWithAndWithoutConfirmationMakesTheFoldersAndPairsTheRows)
{
    // Nothing selected.
    One()->clearSelection();
    Q_EMIT One()->FocusTaken();
    Run("mnuFileCopy");
    EXPECT_EQ(dialogs.last().title, U("Unable to Copy"));
    EXPECT_EQ(dialogs.last().text, U("No files selected.  Please select some files and try again. "));

    ctx->MainOptions().ShowCopyConfirmations = true;
    Select(One(), {U("a.txt"), U("Old/b.txt")});
    confirm.answers = {false};
    Run("mnuFileCopy");
    ASSERT_EQ(confirm.asked.size(), 1);
    EXPECT_EQ(confirm.asked[0], U("Confirm Copy|You are about to copy 2 file(s).\r\n\r\nDo you wish to continue?"));
    EXPECT_EQ(FileBytes(right.file(U("Work/a.txt"))), "old");
    EXPECT_FALSE(sub->Changed());

    ctx->MainOptions().ShowCopyConfirmations = false;
    dialogs.clear();
    Run("tbrCopy");
    EXPECT_EQ(confirm.asked.size(), 1); // not asked again
    EXPECT_EQ(FileBytes(right.file(U("Work/a.txt"))), "newer");
    // The nested file lands in its folder, made first; never at the top of the sub-folder.
    EXPECT_EQ(FileBytes(right.file(U("Work/Old/b.txt"))), "left only");
    EXPECT_FALSE(QFile::exists(right.file(U("Work/b.txt"))));
    EXPECT_EQ(dialogs.last().title, U("Copy Status"));
    EXPECT_EQ(dialogs.last().text, U("Copy complete."));
    EXPECT_EQ(Texts(Two()), (QStringList{U("a.txt"), U("c.txt"), U("Old/b.txt")}));
    EXPECT_EQ(Icons(sub->Rows().left), U("303"));
    EXPECT_EQ(Icons(sub->Rows().right), U("343"));
    EXPECT_TRUE(sub->Changed());
    // The other sub-folder is untouched.
    EXPECT_EQ(FileBytes(right.file(U("Other/x.txt"))), "other");
}

TEST_F(SubDirDiffsTest, MoveDeleteAndTrashFollowTheirConfirmationsAndEmptyTheRows)
{
    ctx->MainOptions().ShowMoveConfirmations = true;
    ctx->MainOptions().ShowDeleteConfirmations = true;
    Select(Two(), {U("c.txt")});
    confirm.answers = {true};
    Run("mnuFileMove");
    EXPECT_EQ(confirm.asked.last(), U("Confirm Move|You are about to move 1 file(s).\r\n\r\nDo you wish to continue?"));
    EXPECT_EQ(FileBytes(left.file(U("Work/c.txt"))), "right only");
    EXPECT_FALSE(QFile::exists(right.file(U("Work/c.txt"))));
    EXPECT_EQ(Texts(One())[1], U("c.txt"));
    EXPECT_EQ(Texts(Two())[1], QString());
    EXPECT_EQ(sub->Rows().left[1].icon, Category::Orphan);
    EXPECT_EQ(dialogs.last().text, U("Move complete."));

    // A left orphan deleted: an empty row beside an empty row.
    Select(One(), {U("Old/b.txt")});
    confirm.answers = {true};
    Run("mnuFileDeletePermanently");
    EXPECT_EQ(confirm.asked.last(),
              U("Confirm Delete|You are about to permanently delete 1 file(s).\r\n\r\nDo you wish to continue?"));
    EXPECT_FALSE(QFile::exists(left.file(U("Work/Old/b.txt"))));
    EXPECT_EQ(Texts(One())[2], QString());
    EXPECT_EQ(Texts(Two())[2], QString());
    EXPECT_EQ(dialogs.last().title, U("Delete Status"));

    // Confirmation off: the trash at once; the counterpart becomes an orphan.
    ctx->MainOptions().ShowDeleteConfirmations = false;
    const qsizetype asked = confirm.asked.size();
    Select(Two(), {U("a.txt")});
    Run("mnuFileDeleteRecycle");
    EXPECT_EQ(confirm.asked.size(), asked);
    EXPECT_FALSE(QFile::exists(right.file(U("Work/a.txt"))));
    EXPECT_TRUE(QFile::exists(left.file(U("Work/a.txt"))));
    EXPECT_EQ(sub->Rows().left[0].icon, Category::Orphan);
}

TEST_F(SubDirDiffsTest, ClosingAfterAChangeComparesAgainOrClears)
{
    ctx->MainOptions().ShowCopyConfirmations = false;
    sub.reset();
    // Through the modal road: the window is driven once it shows.
    ctx->MainOptions().AutoCompareAfterFileOp = true;
    QTimer::singleShot(0, [this] {
        auto* w = qobject_cast<frmSubDirDiffs*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        DirectFileOpRunner direct;
        w->SetRunner(&direct);
        auto* pane = w->findChild<GuiResultPane*>(U("lvwDirOneDiffs"));
        Q_EMIT pane->FocusTaken();
        pane->selectAll();
        w->Commands().Run(U("mnuFileCopy"));
        w->Commands().Run(U("mnuFileClose"));
    });
    ASSERT_TRUE(frmSubDirDiffs::ShowSubFolderDifferences(*ctx, *window, U("work")));
    EXPECT_EQ(FileBytes(right.file(U("Work/Old/b.txt"))), "left only");
    // Compared again: Work differs only by the right orphan now.
    EXPECT_TRUE(Texts(Left()).contains(U("/Work")));

    ctx->MainOptions().AutoCompareAfterFileOp = false;
    QTimer::singleShot(0, [] {
        auto* w = qobject_cast<frmSubDirDiffs*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        auto* pane = w->findChild<GuiResultPane*>(U("lvwDirTwoDiffs"));
        Q_EMIT pane->FocusTaken();
        pane->selectAll();
        DirectFileOpRunner direct;
        w->SetRunner(&direct);
        w->Commands().Run(U("mnuFileCopy"));
        w->close();
    });
    ASSERT_TRUE(frmSubDirDiffs::ShowSubFolderDifferences(*ctx, *window, U("Work")));
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
}

TEST_F(SubDirDiffsTest, SynchronisingActsOnThisSubFolderOnly)
{
    ctx->SyncSettings().SetSyncMethod(CSyncSettings::MakeRightSameAsLeft);
    // Selected only: a.txt alone.
    Select(One(), {U("a.txt")});
    Run("mnuFileSynchronizeSelectedFiles");
    EXPECT_EQ(FileBytes(right.file(U("Work/a.txt"))), "newer");
    EXPECT_TRUE(QFile::exists(right.file(U("Work/c.txt"))));
    EXPECT_FALSE(QFile::exists(right.file(U("Work/Old/b.txt"))));
    EXPECT_EQ(Icons(sub->Rows().left), U("304"));

    Run("tbrSync");
    EXPECT_FALSE(QFile::exists(right.file(U("Work/c.txt"))));
    EXPECT_EQ(FileBytes(right.file(U("Work/Old/b.txt"))), "left only");
    EXPECT_EQ(Texts(Two()), (QStringList{U("a.txt"), QString(), U("Old/b.txt")}));
    EXPECT_EQ(Icons(sub->Rows().left), U("303"));
    // The other sub-folder and the main window's rows are left alone.
    EXPECT_EQ(FileBytes(right.file(U("Other/x.txt"))), "other");
    EXPECT_TRUE(Texts(Left()).contains(U("/Other")));
    EXPECT_TRUE(sub->Changed());
}

TEST_F(SubDirDiffsTest, AnIncompleteSubFolderNeverDeletesOnTheOtherSide)
{
    ctx->SyncSettings().SetSyncMethod(CSyncSettings::MakeRightSameAsLeft);
    CSubFolderDiffs diffs = window->SubFolderDifferences().front();
    for (const CSubFolderDiffs& d : window->SubFolderDifferences())
        if (d.strSubFolderName() == U("Work"))
            diffs = d;
    diffs.SetIncomplete(true);
    sub = std::make_unique<frmSubDirDiffs>(*ctx, *window, diffs);
    Run("mnuFileSynchronizeSubFolders");
    EXPECT_TRUE(QFile::exists(right.file(U("Work/c.txt"))));
    EXPECT_EQ(FileBytes(right.file(U("Work/Old/b.txt"))), "left only");
    EXPECT_EQ(dialogs.last().title, U("Synchronization"));
}

TEST_F(SubDirDiffsTest, ShowDifferencesSelectionPrintAndDrop)
{
    One()->clearSelection();
    Q_EMIT One()->FocusTaken();
    Run("mnuFileShowDifferences");
    EXPECT_EQ(dialogs.last().text, U("No file is selected"));
    // A file on one side only has nothing to compare with: the item, its pop-up and double-click entries
    // are off while it is the current row, and on again for a pair.
    Select(One(), {U("Old/b.txt")});
    One()->selectionModel()->setCurrentIndex(One()->model()->index(2, 0), QItemSelectionModel::NoUpdate);
    for (const char* name : {"mnuFileShowDifferences", "mnuPopupShowFileDiffs", "mnuDblClickShowFileDiffs"})
        EXPECT_FALSE(sub->Commands().Action(U(name))->isEnabled()) << name;
    Select(One(), {U("a.txt")});
    One()->selectionModel()->setCurrentIndex(One()->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    EXPECT_TRUE(sub->Commands().Action(U("mnuFileShowDifferences"))->isEnabled());

    Q_EMIT Two()->FocusTaken();
    Run("mnuSelectOrphans");
    EXPECT_EQ(Two()->SelectedHoldRows(), (std::vector<int>{1}));
    Run("mnuSelectInvert");
    EXPECT_EQ(Two()->SelectedHoldRows(), (std::vector<int>{0}));
    Run("mnuSelectDeselectAll");
    EXPECT_TRUE(Two()->SelectedHoldRows().empty());
    Run("mnuSelectAll");
    EXPECT_EQ(Two()->SelectedHoldRows(), (std::vector<int>{0, 1}));

    // Dragging the left rows onto the right list copies them, after the copy confirmation.
    ctx->MainOptions().ShowCopyConfirmations = true;
    Select(One(), {U("Old/b.txt")});
    confirm.answers = {true};
    sub->ProcessDragDrop(One(), Two());
    EXPECT_EQ(confirm.asked.last().section(QLatin1Char('|'), 0, 0), U("Confirm Copy"));
    EXPECT_EQ(FileBytes(right.file(U("Work/Old/b.txt"))), "left only");
}

TEST_F(SubDirDiffsTest, TheChooserListsTheDifferingSubFolders)
{
    {
        frmSpecifySubFolder chooser(ctx->Dialogs(), *window);
        chooser.Load();
        auto* list = chooser.findChild<QListWidget*>(U("lstSubFolders"));
        ASSERT_EQ(list->count(), 2);
        chooser.findChild<QPushButton*>(U("cmdOK"))->click();
        EXPECT_EQ(dialogs.last().title, U("No Folder Selected"));
        EXPECT_EQ(dialogs.last().text, U("Please select a folder before pressing the OK button"));
        list->setCurrentRow(list->row(list->findItems(U("/Work"), Qt::MatchExactly).front()));
        chooser.findChild<QPushButton*>(U("cmdOK"))->click();
        EXPECT_EQ(chooser.Chosen(), U("/Work"));
        EXPECT_EQ(Left()->ResultModel()->RowAt(Left()->currentIndex().row())->text, U("/Work"));
    }
    window->RemoveListItemsAndShowNoCompareMsg();
    dialogs.clear();
    frmSpecifySubFolder chooser(ctx->Dialogs(), *window);
    chooser.Load();
    EXPECT_EQ(dialogs.last().title, U("No Sub-Folders To Display"));
    EXPECT_EQ(dialogs.last().text, U("There are no sub-folders with differences"));
    EXPECT_FALSE(chooser.findChild<QPushButton*>(U("cmdOK"))->isEnabled());
}

TEST_F(SubDirDiffsTest, ASubFolderWithoutKnownDifferencesSaysWhy)
{
    sub.reset();
    // Its files could not all be listed: the comparison kept no differences for it.
    auto& all = window->AllSubFolderDiffs();
    all.erase(std::remove_if(all.begin(), all.end(), [](const CSubFolderDiffs& d) { return d.strSubFolderName() == U("Work"); }),
              all.end());
    MainWindowTest::Select(Left(), {"/Work"});
    ASSERT_TRUE(window->Commands().Run(U("mnuFolderPopupViewDifferences")));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, U("Show Sub-Folder Differences"));
    EXPECT_EQ(dialogs.last().text,
              U("The differences inside the sub-folder \"Work\" are not known: its files could not all be listed, so "
                "they were not compared.\n\nView > Error Log names what could not be read."));
}

TEST_F(SubDirDiffsTest, SwitchingSubFolderComparisonOffDropsTheirDifferences)
{
    sub.reset();
    ASSERT_FALSE(window->SubFolderDifferences().empty());
    QAction* option = Item("mnuOptionsCompareSubFolders");
    ASSERT_TRUE(option->isChecked());
    option->trigger();
    ASSERT_FALSE(ctx->Compare().CompareSubFolders());
    EXPECT_TRUE(window->SubFolderDifferences().empty());
    // The folder row is still there from the last comparison; it now says what is missing.
    MainWindowTest::Select(Left(), {"/Other"});
    ASSERT_TRUE(window->Commands().Run(U("mnuFolderPopupViewDifferences")));
    EXPECT_EQ(dialogs.last().text,
              U("The differences inside the sub-folder \"Other\" are not known: the last comparison did not look "
                "inside sub-folders.\n\nTurn on Options > Compare Sub-Folders and compare again."));
    // Back on and compared again, they are gathered again.
    option->trigger();
    Item("mnuFileCompareDirectories")->trigger();
    EXPECT_EQ(window->SubFolderDifferences().size(), 2u);
}

TEST_F(SubDirDiffsTest, DoubleAndRightClicksOfferWhatTheMainPanesOffer)
{
    QStringList opened;
    sub->SetUrlOpener([&opened](const QUrl& url) {
        opened << url.toLocalFile();
        return true;
    });
    auto* toolbar = sub->findChild<QToolBar*>(U("SubDirDiffsToolbar"));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    for (QAction* action : toolbar->actions())
        EXPECT_FALSE(action->icon().isNull()) << qPrintable(action->objectName());

    // A right click selects the row under the pointer and opens the pop-up.
    auto* popup = sub->findChild<QMenu*>(U("mnuSubDirPopup"));
    ASSERT_NE(popup, nullptr);
    Q_EMIT Two()->RowContextMenu(1, QPoint(40, 40));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(Two()->SelectedRows(), QList<int>{1});
    EXPECT_TRUE(sub->Commands().Action(U("mnuPopupCopy"))->isEnabled());
    popup->hide();
    // Not on a filler row.
    Q_EMIT One()->RowContextMenu(1, QPoint(40, 40));
    EXPECT_FALSE(popup->isVisible());

    // A double click opens a file on one side only at once.
    Q_EMIT Two()->RowDoubleClicked(1);
    EXPECT_EQ(opened, QStringList{right.file(U("Work/c.txt"))});
    // A pair offers opening and its differences, opening first.
    auto* pairMenu = sub->findChild<QMenu*>(U("mnuSubDirDblClick"));
    ASSERT_NE(pairMenu, nullptr);
    Select(One(), {U("a.txt")});
    Q_EMIT One()->RowDoubleClicked(0);
    EXPECT_TRUE(pairMenu->isVisible());
    EXPECT_EQ(pairMenu->defaultAction()->objectName(), U("mnuDblClickFileOpen"));
    pairMenu->defaultAction()->trigger();
    pairMenu->hide();
    EXPECT_EQ(opened.last(), left.file(U("Work/a.txt")));
}

TEST_F(SubDirDiffsTest, TheFolderCaptionsFollowTheGradientOption)
{
    ctx->MainOptions().GradientFillTitlebar = true;
    Open(U("Work"));
    auto* caption = sub->findChild<QLabel*>(U("lblFolderOne"));
    EXPECT_TRUE(caption->styleSheet().contains(U("qlineargradient"))) << qPrintable(caption->styleSheet());
    ctx->MainOptions().GradientFillTitlebar = false;
    Open(U("Work"));
    EXPECT_TRUE(sub->findChild<QLabel*>(U("lblFolderTwo"))->styleSheet().isEmpty());
}
