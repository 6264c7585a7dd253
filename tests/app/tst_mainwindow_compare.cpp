#include "MainWindowFixture.h"

#include "platform/CIniFile.h"

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>

namespace {
const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();
} // namespace

class MainWindowCompareTest : public MainWindowTest
{
protected:
    // left: a.txt 4 s newer, b.txt equal, c.txt and the folder Only alone; right: d.txt alone.
    void PrepareFolders()
    {
        left.createFileAt(QStringLiteral("a.txt"), "0123456789", Noon + 4);
        right.createFileAt(QStringLiteral("a.txt"), "0123456789", Noon);
        left.createFileAt(QStringLiteral("b.txt"), "same", Noon);
        right.createFileAt(QStringLiteral("b.txt"), "same", Noon);
        left.createFileAt(QStringLiteral("c.txt"), "left only", Noon);
        right.createFileAt(QStringLiteral("d.txt"), "right only", Noon);
        left.createFolder(QStringLiteral("Only"));
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
    }

    static QStringList Categories(const GuiResultPane* pane)
    {
        QStringList keys;
        const QAbstractItemModel* model = pane->model();
        for (int r = 0; r < model->rowCount(); ++r)
            keys << CategoryKey(static_cast<Category>(model->data(model->index(r, 0), ResultTableModel::CategoryRole).toInt()));
        return keys;
    }

    TempDir left;
    TempDir right;
};

TEST_F(MainWindowCompareTest, CompareFoldersFillsBothPanesWithTheRunsRows)
{
    PrepareFolders();
    Item("mnuFileCompareDirectories")->trigger();

    EXPECT_EQ(Texts(Left()), (Strings({"a.txt", "b.txt", "c.txt", "", "/Only"})));
    EXPECT_EQ(Texts(Right()), (Strings({"a.txt", "b.txt", "", "d.txt", ""})));
    EXPECT_EQ(Categories(Left()), (Strings({"Newer", "Same", "Orphan", "", "OrphanFolder"})));
    EXPECT_EQ(Categories(Right()), (Strings({"Older", "Same", "", "Orphan", ""})));
    EXPECT_EQ(Panel(1).left(18), QStringLiteral("Total 4 object(s) "));
    EXPECT_EQ(Panel(2), QStringLiteral("Total 3 object(s)  (24 Bytes)"));
    EXPECT_EQ(Panel(3), QStringLiteral("No Filters"));
    EXPECT_EQ(Panel(4), QStringLiteral("All"));
    EXPECT_TRUE(window->MenusEnabled());
    // No read failed, so no error question; the compared folders head their lists.
    for (const auto& m : dialogs.messages)
        EXPECT_NE(m.title, QStringLiteral("Errors Occurred"));
    EXPECT_EQ(Child<QComboBox>("cboSourcePath")->itemText(0), left.path());
    CIniFile ini(ctx->AppFolder(), ctx->Dialogs());
    ini.SetName(CIniFile::SettingsFileName());
    EXPECT_EQ(ini.Get(QStringLiteral("Target"), QStringLiteral("Dir1"), QString()), right.path());

    // The views act on the new rows.
    Item("mnuViewSimilarities")->trigger();
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("b.txt")});
}

TEST_F(MainWindowCompareTest, TheToolbarComparesAndTheParentCommandMovesUp)
{
    left.createFileAt(QStringLiteral("inner/x.txt"), "x", Noon);
    right.createFileAt(QStringLiteral("inner/x.txt"), "x", Noon);
    Child<QComboBox>("cboSourcePath")->setEditText(left.file(QStringLiteral("inner")));
    Child<QComboBox>("cboTargetPath")->setEditText(right.file(QStringLiteral("inner")));
    Item("tbrCompare")->trigger();
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("x.txt")});
    EXPECT_EQ(Categories(Right()), QStringList{QStringLiteral("Same")});

    Item("mnuFileCompareParents")->trigger();
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("/inner")});
    EXPECT_EQ(Categories(Left()), QStringList{QStringLiteral("IdenticalFolder")});
}

TEST_F(MainWindowCompareTest, ComparingWithoutFoldersExplainsWhatIsMissing)
{
    Item("mnuFileCompareDirectories")->trigger();
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please select two folders to compare.  See Help file for details."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Compare Folders"));
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
    EXPECT_TRUE(window->MenusEnabled());
}

TEST_F(MainWindowCompareTest, GoingIntoASubFolderOnBothSidesComparesIt)
{
    left.createFileAt(QStringLiteral("Docs/inside.txt"), "new", Noon + 60);
    right.createFileAt(QStringLiteral("Docs/inside.txt"), "old", Noon);
    Child<QComboBox>("cboSourcePath")->setEditText(left.path());
    Child<QComboBox>("cboTargetPath")->setEditText(right.path());
    Item("mnuFileCompareDirectories")->trigger();
    ASSERT_EQ(Texts(Left()), QStringList{QStringLiteral("/Docs")});

    Left()->setCurrentIndex(Left()->model()->index(0, 0));
    Item("mnuGoToFolderBothSidesRunCompare")->trigger();
    EXPECT_EQ(Child<QComboBox>("cboSourcePath")->currentText(), left.path() + QStringLiteral("Docs/"));
    EXPECT_EQ(Child<QComboBox>("cboTargetPath")->currentText(), right.path() + QStringLiteral("Docs/"));
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("inside.txt")});
    EXPECT_EQ(Categories(Left()), QStringList{QStringLiteral("Newer")});
}

TEST_F(MainWindowCompareTest, ASubFolderComparesWithAFolderOfTheUsersChoice)
{
    left.createFileAt(QStringLiteral("Docs/inside.txt"), "new", Noon + 60);
    right.createFileAt(QStringLiteral("Elsewhere/inside.txt"), "old", Noon);
    Child<QComboBox>("cboSourcePath")->setEditText(left.path());
    Child<QComboBox>("cboTargetPath")->setEditText(right.path());
    Item("mnuFileCompareDirectories")->trigger();
    ASSERT_EQ(Texts(Left()), (QStringList{QStringLiteral("/Docs"), QString()}));
    Q_EMIT Left()->FocusTaken();
    Left()->setCurrentIndex(Left()->model()->index(0, 0));
    // Cancelling the folder picker changes nothing.
    dialogs.picks.push_back(QString());
    Item("mnuCompareSubFolderToOtherFolder")->trigger();
    EXPECT_EQ(Child<QComboBox>("cboSourcePath")->currentText(), left.path());
    dialogs.picks.push_back(right.file(QStringLiteral("Elsewhere")) + QStringLiteral("/"));
    Item("mnuCompareSubFolderToOtherFolder")->trigger();
    EXPECT_EQ(dialogs.prompts.last(), QStringLiteral("Browse for Folder"));
    EXPECT_EQ(Child<QComboBox>("cboSourcePath")->currentText(), left.path() + QStringLiteral("Docs/"));
    EXPECT_EQ(Child<QComboBox>("cboTargetPath")->currentText(), right.path() + QStringLiteral("Elsewhere/"));
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("inside.txt")});
    EXPECT_EQ(Categories(Left()), QStringList{QStringLiteral("Newer")});
}

TEST_F(MainWindowCompareTest, ClosingDuringARunCancelsItAndThenCloses)
{
    PrepareFolders();
    window->show();
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    bool menusWereDisabled = false;
    // The progress window's start delay lets events run; the close arrives then (queued, so it is
    // delivered by the run's own event loop).
    QObject::connect(
        window.get(), &frmMain::CompareProgressShown, window.get(),
        [&] {
            menusWereDisabled = !window->MenusEnabled();
            window->close();
        },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    Item("mnuFileCompareDirectories")->trigger();
    EXPECT_TRUE(menusWereDisabled);
    EXPECT_TRUE(ctx->Compare().CompareCancelled());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
    int exitQuestions = 0;
    for (const auto& m : dialogs.messages)
        exitQuestions += m.title == QStringLiteral("Exit Parvex") ? 1 : 0;
    EXPECT_EQ(exitQuestions, 1);
}

TEST_F(MainWindowCompareTest, PanesShowNoOldRowsWhileARunRefillsTheirLists)
{
    PrepareFolders();
    Item("mnuFileCompareDirectories")->trigger();
    ASSERT_EQ(Left()->model()->rowCount(), 5);
    left.createFileAt(QStringLiteral("0first.txt"), "new", Noon);

    int leftRowsDuringRun = -1;
    int rightRowsDuringRun = -1;
    // The progress window's start delay lets events run; the panes are looked at then.
    QObject::connect(
        window.get(), &frmMain::CompareProgressShown, window.get(),
        [&] {
            leftRowsDuringRun = Left()->model()->rowCount();
            rightRowsDuringRun = Right()->model()->rowCount();
        },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    Item("mnuFileCompareDirectories")->trigger();
    EXPECT_EQ(leftRowsDuringRun, 0);
    EXPECT_EQ(rightRowsDuringRun, 0);
    EXPECT_EQ(Texts(Left()), (Strings({"0first.txt", "a.txt", "b.txt", "c.txt", "", "/Only"})));
    EXPECT_EQ(Panel(2), QStringLiteral("Total 3 object(s)  (24 Bytes)"));
}

TEST_F(MainWindowCompareTest, EscapeInTheMainWindowCancelsARun)
{
    PrepareFolders();
    window->show();
    bool wasRunning = false;
    // The progress window's start delay lets events run; the key arrives at the main window then.
    QObject::connect(
        window.get(), &frmMain::CompareProgressShown, window.get(),
        [&] {
            wasRunning = ctx->Compare().RunningCompare();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(window.get(), &escape);
        },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    Item("mnuFileCompareDirectories")->trigger();
    EXPECT_TRUE(wasRunning);
    EXPECT_TRUE(ctx->Compare().CompareCancelled());
    EXPECT_FALSE(ctx->Compare().RunningCompare());
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
    EXPECT_TRUE(window->MenusEnabled());

    // Outside a run the key does nothing to the next comparison.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &escape);
    Item("mnuFileCompareDirectories")->trigger();
    EXPECT_FALSE(ctx->Compare().CompareCancelled());
    EXPECT_EQ(Texts(Left()).size(), 5);
}
