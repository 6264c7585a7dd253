#include "../app/MainWindowFixture.h"
#include "ModalSupport.h"

#include "app/GuiCommandRegistry.h"
#include "sync/GuiSyncCommands.h"
#include "sync/GuiSyncUndo.h"
#include "sync/SyncJournal.h"
#include "sync/frmConfirmSync.h"
#include "sync/frmConfirmUndo.h"
#include "sync/frmSyncLog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QPushButton>
#include <QTreeView>

namespace {

const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();

} // namespace

// The window side of the deletion guard and of undo, on real folders: the main window's commands, the
// confirmation windows as the user sees them, and the folders' bytes afterwards.
class GuiUndoTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // What a run keeps goes to a trash of the test's own.
        hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.path()));
        left.createFileAt(U("a.txt"), "newer text", Noon + 60);
        right.createFileAt(U("a.txt"), "old", Noon);
        for (const char* name : {"orphan1.txt", "orphan2.txt", "orphan3.txt"})
            right.createFileAt(QString::fromUtf8(name), QByteArray("right only ") + name, Noon);
        ctx->SyncSettings().SetSyncMethod(CSyncSettings::MakeRightSameAsLeft);
        ctx->MainOptions().PromptForSyncMethod = false;
        ctx->MainOptions().ShowSynchronizeConfirmations = false;
        // The run deletes 3 of the right's 4 objects: the guard stops it from a side of 2 objects up.
        ctx->MainOptions().DeletionGuardFloor = 2;
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
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

    // Runs command while the next window of type T is answered by act.
    template <typename T>
    bool RunAnswering(const char* command, std::function<void(T*)> act)
    {
        bool seen = false;
        WhenModal<T>(std::move(act), &seen);
        Run(command);
        return seen;
    }

    QStringList RightTree() const
    {
        QStringList tree;
        for (const QString& name : Entries(right.path()))
            tree << name + QLatin1Char('=') + QString::fromUtf8(FileBytes(right.file(name)));
        return tree;
    }

    void ExpectRightAsBefore()
    {
        EXPECT_EQ(RightTree(), Strings({"a.txt=old", "orphan1.txt=right only orphan1.txt",
                                        "orphan2.txt=right only orphan2.txt", "orphan3.txt=right only orphan3.txt"}));
    }

    TempDir left;
    TempDir right;
    TempDir xdg;
    QByteArray oldDataHome;
    bool hadDataHome = false;
};

TEST_F(GuiUndoTest, AGuardedPlanIsShownWithConfirmationsOffAndContinueWaitsForTheBox)
{
    QString reason;
    bool continueAtFirst = true;
    bool continueWithBox = false;
    bool continueUnticked = true;
    const bool seen = RunAnswering<frmConfirmSync>("mnuFileAutoSynch", [&](frmConfirmSync* confirm) {
        reason = In<QLabel>(confirm, "lblGuardReason")->text();
        auto* ok = In<QPushButton>(confirm, "OKButton");
        auto* allow = In<QCheckBox>(confirm, "chkGuardAllow");
        continueAtFirst = ok->isEnabled();
        allow->setChecked(true);
        continueWithBox = ok->isEnabled();
        allow->setChecked(false);
        continueUnticked = ok->isEnabled();
        In<QPushButton>(confirm, "CancelButton")->click();
    });
    ASSERT_TRUE(seen) << "a guarded plan waits for a yes even with confirmations off";
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(continueAtFirst);
    EXPECT_TRUE(continueWithBox);
    EXPECT_FALSE(continueUnticked);
    // Declined: nothing changed, nothing more said, the results stay.
    ExpectRightAsBefore();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text);
    EXPECT_EQ(Texts(Right()).size(), 4);

    // Ticked and continued, the run goes ahead.
    EXPECT_TRUE(RunAnswering<frmConfirmSync>("mnuFileAutoSynch", [](frmConfirmSync* confirm) {
        In<QCheckBox>(confirm, "chkGuardAllow")->setChecked(true);
        In<QPushButton>(confirm, "OKButton")->click();
    }));
    EXPECT_EQ(RightTree(), Strings({"a.txt=newer text"}));
}

TEST_F(GuiUndoTest, TheGuardFollowsTheOptionsAndAnUnguardedPlanShowsNoWindow)
{
    // The plan's own confirmation shows the reason too, and a plan under the share shows none.
    QStringList reasons;
    ctx->MainOptions().ShowSynchronizeConfirmations = true;
    window->SyncCommands().SetPlanConfirmation([&](const std::vector<SyncStep>&, const QString& guardReason) {
        reasons << guardReason;
        return false;
    });
    Run("mnuFileAutoSynch");
    ctx->MainOptions().DeletionGuardShare = 75; // 3 of 4 is not more than 75 %
    Run("mnuFileAutoSynch");
    ctx->MainOptions().DeletionGuardShare = 50;
    ctx->MainOptions().DeletionGuardFloor = 5; // a side of 4 is below the floor
    Run("mnuFileAutoSynch");
    ASSERT_EQ(reasons.size(), 3);
    EXPECT_FALSE(reasons[0].isEmpty());
    EXPECT_EQ(reasons[1], QString());
    EXPECT_EQ(reasons[2], QString());
    ExpectRightAsBefore();

    // With confirmations off an unguarded run asks nothing.
    ctx->MainOptions().ShowSynchronizeConfirmations = false;
    window->SyncCommands().SetPlanConfirmation([](const std::vector<SyncStep>&, const QString&) {
        ADD_FAILURE() << "the plan was shown";
        return false;
    });
    Run("mnuFileAutoSynch");
    EXPECT_EQ(RightTree(), Strings({"a.txt=newer text"}));
}

TEST_F(GuiUndoTest, UndoFromTheViewMenuBringsBackEveryByteAndComparesAgain)
{
    EXPECT_FALSE(window->Commands().Run(U("mnuViewUndoLastSync"))) << "no journal: nothing to undo";
    ctx->MainOptions().DeletionGuardShare = 100;
    Run("mnuFileAutoSynch");
    ASSERT_EQ(RightTree(), Strings({"a.txt=newer text"}));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text);
    ASSERT_EQ(Texts(Right()), Strings({"a.txt"}));

    // No changes nothing.
    QStringList rows;
    EXPECT_TRUE(RunAnswering<frmConfirmUndo>("mnuViewUndoLastSync", [&](frmConfirmUndo* confirm) {
        EXPECT_EQ(confirm->windowTitle(), U("Undo Last Synchronization"));
        const QAbstractItemModel* model = In<QTreeView>(confirm, "lvwUndoPlan")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            rows << model->data(model->index(r, 1)).toString();
        In<QPushButton>(confirm, "cmdNo")->click();
    }));
    EXPECT_TRUE(rows.contains(right.file(U("orphan2.txt")))) << qPrintable(rows.join(U(", ")));
    EXPECT_TRUE(rows.contains(right.file(U("a.txt")))) << qPrintable(rows.join(U(", ")));
    EXPECT_EQ(RightTree(), Strings({"a.txt=newer text"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    EXPECT_TRUE(RunAnswering<frmConfirmUndo>("mnuViewUndoLastSync",
                                             [](frmConfirmUndo* confirm) { In<QPushButton>(confirm, "cmdYes")->click(); }));
    ExpectRightAsBefore();
    EXPECT_EQ(FileBytes(left.file(U("a.txt"))), "newer text") << "the source is not touched";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, U("Undo Last Synchronization"));
    EXPECT_EQ(dialogs.last().text, GuiSyncUndo::ReportText({}, 0));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);
    EXPECT_EQ(Texts(Right()).size(), 4) << "compared again: the differences are back";
    EXPECT_TRUE(window->MenusEnabled());

    // The run is undone once.
    dialogs.clear();
    Run("mnuViewUndoLastSync");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, U("There is no synchronization to undo."));
    ExpectRightAsBefore();
}

TEST_F(GuiUndoTest, TheHistoryWindowUndoesAndTheObjectChangedSinceIsLeftAndNamed)
{
    ctx->MainOptions().DeletionGuardShare = 100;
    {
        frmSyncLog log(*ctx);
        EXPECT_FALSE(In<QPushButton>(&log, "cmdUndoLastSync")->isEnabled());
    }
    EXPECT_FALSE(QFile::exists(ctx->AppFile(SyncJournal::FileName()))) << "looking made no journal";
    Run("mnuFileAutoSynch");
    ASSERT_EQ(RightTree(), Strings({"a.txt=newer text"}));
    // Changed after the run: the undo must not throw the user's new text away.
    right.createFileAt(U("a.txt"), "edited since", Noon + 120);

    frmSyncLog log(*ctx);
    auto* undo = In<QPushButton>(&log, "cmdUndoLastSync");
    ASSERT_TRUE(undo->isEnabled());
    bool seen = false;
    WhenModal<frmConfirmUndo>([](frmConfirmUndo* confirm) { In<QPushButton>(confirm, "cmdYes")->click(); }, &seen);
    undo->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(log.Undone());
    EXPECT_FALSE(undo->isEnabled()) << "nothing more to undo";
    EXPECT_EQ(RightTree(), Strings({"a.txt=edited since", "orphan1.txt=right only orphan1.txt",
                                    "orphan2.txt=right only orphan2.txt", "orphan3.txt=right only orphan3.txt"}));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
    EXPECT_TRUE(dialogs.last().text.contains(right.file(U("a.txt")))) << qPrintable(dialogs.last().text);
}

TEST_F(GuiUndoTest, AJournalThatCannotRecordIsSaidOnceAndTheRunStillGoesAhead)
{
    // Another program's file under the journal's name is left alone.
    QFile foreign(ctx->AppFile(SyncJournal::FileName()));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray(4096, 'x'));
    foreign.close();
    ctx->MainOptions().DeletionGuardShare = 100;
    Run("mnuFileAutoSynch");
    EXPECT_EQ(RightTree(), Strings({"a.txt=newer text"}));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.startsWith(JournalProblemText(QString()))) << qPrintable(dialogs.last().text);
    EXPECT_GT(dialogs.last().text.size(), JournalProblemText(QString()).size()) << "the problem is named";
    EXPECT_EQ(FileBytes(ctx->AppFile(SyncJournal::FileName())), QByteArray(4096, 'x'));

    // The undo says why it cannot run.
    dialogs.clear();
    Run("mnuViewUndoLastSync");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
    EXPECT_FALSE(dialogs.last().text.isEmpty());
}
