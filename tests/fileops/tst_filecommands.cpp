#include "../app/MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"
#include "fileops/GuiFileOpCommands.h"
#include "fileops/frmConfirmation.h"
#include "fileops/frmCreateSubFolder.h"
#include "fileops/frmFileOpProgress.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileSystemModel>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace {

const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();

// Answers the confirmation window from a queue (No when it is empty) and keeps what it was asked.
class ScriptedConfirmation final : public ConfirmationAsker
{
public:
    struct Asked
    {
        QString caption, prompt, operation;
        QStringList objects;
        QString from, to;
    };
    bool Confirm(const QString& caption, const QString& prompt, const QString& operation, const QStringList& objects,
                 const QString& fromFolder, const QString& toFolder) override
    {
        asked.push_back({caption, prompt, operation, objects, fromFolder, toFolder});
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QList<Asked> asked;
    std::deque<bool> answers;
};

} // namespace

class FileCommandsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window->FileOpCommands().SetConfirmation(&confirmation);
        // The progress window is real: it runs the operation and shows itself only after its delay.
        left.createFileAt(QStringLiteral("a.txt"), "newer text", Noon + 60);
        right.createFileAt(QStringLiteral("a.txt"), "old", Noon);
        left.createFileAt(QStringLiteral("c.txt"), "left only", Noon);
        right.createFileAt(QStringLiteral("d.txt"), "right only", Noon);
        left.createFileAt(QStringLiteral("Only/inside.txt"), "inside", Noon);
        Child<QComboBox>("cboSourcePath")->setEditText(left.path());
        Child<QComboBox>("cboTargetPath")->setEditText(right.path());
        Compare();
    }

    void Compare()
    {
        Item("mnuFileCompareDirectories")->trigger();
        dialogs.clear();
    }


    void Run(const char* command) { ASSERT_TRUE(window->Commands().Run(QString::fromLatin1(command))) << command; }

    TempDir left;
    TempDir right;
    ScriptedConfirmation confirmation;
};

TEST_F(FileCommandsTest, CopyToTheOtherFolderAsksThenCopiesAndComparesAgain)
{
    Select(Left(), {"a.txt", "c.txt", "/Only"});
    confirmation.answers = {false};
    Run("mnuFileCopySelectedFilesToTargetDirectory");
    ASSERT_EQ(confirmation.asked.size(), 1);
    EXPECT_EQ(confirmation.asked[0].caption, QStringLiteral("Confirm Copy"));
    EXPECT_EQ(confirmation.asked[0].prompt,
              QStringLiteral("You are about to copy 3 objects(s).\r\n\r\nDo you wish to continue?"));
    EXPECT_EQ(confirmation.asked[0].objects,
              (QStringList{left.file(QStringLiteral("a.txt")), left.file(QStringLiteral("c.txt")), left.file(QStringLiteral("Only"))}));
    EXPECT_EQ(confirmation.asked[0].from, left.path());
    EXPECT_EQ(confirmation.asked[0].to, right.path());
    // No: nothing changed, nothing said, the results stay.
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("a.txt"))), "old");
    EXPECT_TRUE(dialogs.messages.isEmpty());

    confirmation.answers = {true};
    Run("mnuFileCopySelectedFilesToTargetDirectory");
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("a.txt"))), "newer text");
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("c.txt"))), "left only");
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("Only/inside.txt"))), "inside");
    EXPECT_TRUE(Leftovers(right.path()).isEmpty());
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Copy Succeeded"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Selected item(s) copied to ") + right.path());
    // Compared again: the copies are the same as their sources now.
    EXPECT_EQ(Texts(Right()), (Strings({"a.txt", "c.txt", "d.txt", "/Only"})));
    EXPECT_TRUE(window->MenusEnabled());
}

TEST_F(FileCommandsTest, WithoutConfirmationTheToolbarAndPopupsActAtOnceAndSayNothing)
{
    ctx->MainOptions().ShowCopyConfirmations = false;
    ctx->MainOptions().ShowMoveConfirmations = false;
    ctx->MainOptions().ShowDeleteConfirmations = false;
    Select(Left(), {"c.txt"});
    Item("tbrCopy")->trigger();
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("c.txt"))), "left only");

    Select(Right(), {"d.txt"});
    Item("mnuFilePopupMoveToOtherFolder")->trigger();
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("d.txt"))), "right only");
    EXPECT_FALSE(QFile::exists(right.file(QStringLiteral("d.txt"))));

    Select(Left(), {"d.txt"});
    Item("mnuFilePopupDeletePermanently")->trigger();
    EXPECT_FALSE(QFile::exists(left.file(QStringLiteral("d.txt"))));
    EXPECT_TRUE(confirmation.asked.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileCommandsTest, AfterAnOperationTheResultsClearWhenAutoCompareIsOff)
{
    ctx->MainOptions().AutoCompareAfterFileOp = false;
    ctx->MainOptions().ShowDeleteConfirmations = false;
    Select(Right(), {"d.txt"});
    Run("mnuFileDeletePermanently");
    EXPECT_FALSE(QFile::exists(right.file(QStringLiteral("d.txt"))));
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
}

TEST_F(FileCommandsTest, NothingSelectedAndPlaceholderRowsGiveNoPath)
{
    // The right pane's placeholder rows (c.txt and /Only exist only on the left) cannot be selected, so
    // select-all takes the real rows only and never the right folder itself.
    Q_EMIT Right()->FocusTaken();
    Right()->selectAll();
    ctx->MainOptions().ShowDeleteConfirmations = false;
    ctx->MainOptions().AutoCompareAfterFileOp = false;
    Run("mnuFileDeletePermanently");
    EXPECT_TRUE(QDir(right.path()).exists());
    EXPECT_FALSE(QFile::exists(right.file(QStringLiteral("a.txt"))));
    EXPECT_FALSE(QFile::exists(right.file(QStringLiteral("d.txt"))));
    EXPECT_EQ(FileBytes(left.file(QStringLiteral("c.txt"))), "left only");

    // The cleared panes' single row selects nothing either.
    dialogs.clear();
    Q_EMIT Left()->FocusTaken();
    Left()->selectAll();
    Run("mnuFileCopySelectedFilesToTargetDirectory");
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unable to Copy"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("No item(s) selected.  Please select some item(s) and try again. "));
    Run("mnuFileSendSelectedFilesToRecycleBin");
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unable to Delete"));
}

TEST_F(FileCommandsTest, AnyFolderCommandsAskForTheFolder)
{
    ctx->MainOptions().ShowCopyConfirmations = false;
    ctx->MainOptions().ShowMoveConfirmations = false;
    Select(Left(), {"c.txt"});
    dialogs.picks = {QString()};
    Run("mnuFileCopySelectedFilesToSpecifiedDirectory");
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Copy To Specified Folder"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("No destination folder was specified.  Object(s) were not copied."));

    TempDir chosen;
    dialogs.picks = {chosen.path().chopped(1)};
    Run("mnuFileCopySelectedFilesToSpecifiedDirectory");
    EXPECT_EQ(FileBytes(chosen.file(QStringLiteral("c.txt"))), "left only");
    EXPECT_EQ(dialogs.prompts.last(), QStringLiteral("Browse for Folder"));

    Select(Left(), {"c.txt"});
    dialogs.picks = {chosen.file(QStringLiteral("sub"))};
    QDir().mkpath(chosen.file(QStringLiteral("sub")));
    Run("mnuFileMoveSelectedFilesToSpecifiedDirectory");
    EXPECT_EQ(FileBytes(chosen.file(QStringLiteral("sub/c.txt"))), "left only");
    EXPECT_FALSE(QFile::exists(left.file(QStringLiteral("c.txt"))));
}

TEST_F(FileCommandsTest, AFolderIsNeverCopiedIntoItself)
{
    // The right folder lies inside the left folder's sub-folder "Only".
    Child<QComboBox>("cboTargetPath")->setEditText(left.file(QStringLiteral("Only/")));
    Compare();
    ctx->MainOptions().ShowCopyConfirmations = false;
    Select(Left(), {"/Only"});
    Run("mnuFileCopySelectedFilesToTargetDirectory");
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unable to Copy"));
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("cannot be copied into itself")));
    EXPECT_EQ(QDir(left.file(QStringLiteral("Only"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("inside.txt")});
}

TEST_F(FileCommandsTest, AMissingTargetFolderIsSaidAndNothingIsWritten)
{
    ctx->MainOptions().ShowCopyConfirmations = false;
    QDir(right.path()).removeRecursively();
    Select(Left(), {"c.txt"});
    Run("mnuFileCopySelectedFilesToTargetDirectory");
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Copy"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Problems accessing the target drive."));
    EXPECT_FALSE(QDir(right.path()).exists());
}

TEST_F(FileCommandsTest, DropsCopyOrMoveByTheKeysAndTheDrive)
{
    ctx->MainOptions().ShowCopyConfirmations = false;
    TempDir outside;
    const QString dropped = outside.createFile(QStringLiteral("dropped.txt"), "dropped");
    const auto drop = [&](GuiResultPane* pane, const QString& path, Qt::KeyboardModifiers keys) {
        const bool wasThere = QFile::exists(right.file(QFileInfo(path).fileName()));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        // A drop goes to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, keys);
        QApplication::sendEvent(pane->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, keys);
        QApplication::sendEvent(pane->viewport(), &event);
        EXPECT_EQ(event.dropAction(), Qt::CopyAction);
        // The pane hands the drop on once the drop itself has ended.
        EXPECT_EQ(QFile::exists(right.file(QFileInfo(path).fileName())), wasThere) << "acted inside the drop";
        QApplication::processEvents();
    };
    // Ctrl copies.
    drop(Right(), dropped, Qt::ControlModifier);
    for (const auto& m : dialogs.messages)
        ADD_FAILURE() << qPrintable(m.title + QStringLiteral(": ") + m.text);
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("dropped.txt"))), "dropped");
    EXPECT_EQ(FileBytes(dropped), "dropped");
    // No key on the same drive moves.
    const QString second = outside.createFile(QStringLiteral("second.txt"), "second");
    drop(Right(), second, Qt::NoModifier);
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("second.txt"))), "second");
    EXPECT_FALSE(QFile::exists(second));
    // Onto the folder it came from: nothing happens.
    dialogs.clear();
    drop(Right(), right.file(QStringLiteral("second.txt")), Qt::ControlModifier);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("second.txt"))), "second");
}

TEST_F(FileCommandsTest, ADragOutOfAPaneCarriesItsSelectedObjects)
{
    Select(Left(), {"c.txt", "/Only"});
    EXPECT_EQ(window->FileOpCommands().SelectedPaths(Left()),
              (QStringList{left.file(QStringLiteral("c.txt")), left.file(QStringLiteral("Only"))}));
}

TEST_F(FileCommandsTest, NewSubFolderFromTheFolderButtonsMenu)
{
    const auto answer = [](const QString& name, bool ok) {
        QTimer::singleShot(0, [name, ok] {
            auto* form = qobject_cast<frmCreateSubFolder*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            form->findChild<QLineEdit*>(QStringLiteral("txtNewSubFolderName"))->setText(name);
            form->findChild<QPushButton*>(ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdCancel"))->click();
        });
    };
    auto* menu = Child<QMenu>("mnuTargetFolderButton");
    ASSERT_EQ(menu->actions().size(), 1);
    answer(QStringLiteral("  Reports  "), true);
    menu->actions().front()->trigger();
    EXPECT_TRUE(QDir(right.file(QStringLiteral("Reports"))).exists());
    EXPECT_EQ(dialogs.last().title, QStringLiteral("New Folder Created"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("The folder \"Reports\" was created."));
    // Compared again, with the new folder's row current in its pane.
    const ResultRow* current = Right()->ResultModel()->RowAt(Right()->currentIndex().row());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text, QStringLiteral("/Reports"));

    answer(QStringLiteral("Reports"), true);
    menu->actions().front()->trigger();
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unable to Create New Folder"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("A folder named \"Reports\" already exists."));

    dialogs.clear();
    answer(QStringLiteral("Never"), false);
    menu->actions().front()->trigger();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(QDir(right.file(QStringLiteral("Never"))).exists());
}

TEST(CreateSubFolderWindow, AnotherFolderChosenInTheTreeIsRefusedAndTheParentStays)
{
    TempDir dir;
    dir.createFolder(QStringLiteral("Inner"));
    FakeUserDialogs dialogs;
    frmCreateSubFolder form(dialogs);
    // Twice, as the window is shown again for each use: the answer must come once per choice all the same.
    form.Prepare(dir.path());
    form.Prepare(dir.path());
    auto* tree = form.findChild<QTreeView*>(QStringLiteral("tvwParentFolder"));
    ASSERT_NE(tree, nullptr);
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    QString parentPath = dir.path();
    parentPath.chop(1); // without its trailing "/"
    const QModelIndex parent = model->index(parentPath);
    ASSERT_EQ(tree->currentIndex(), parent);

    tree->setCurrentIndex(model->index(dir.file(QStringLiteral("Inner"))));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("The parent folder cannot be changed here."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Create New Sub-Folder"));
    EXPECT_EQ(tree->currentIndex(), parent);
    // Back on the parent itself: nothing to say.
    tree->setCurrentIndex(parent);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST(ConfirmationWindow, DetailsListEveryObjectAndHideClearsThem)
{
    frmConfirmation window;
    window.Prepare(QStringLiteral("Confirm Copy"), QStringLiteral("prompt"), QStringLiteral("Copy"),
                   {QStringLiteral("/l/a.txt"), QStringLiteral("/l/Docs")}, QStringLiteral("/l/"), QStringLiteral("/r/"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Confirm Copy"));
    EXPECT_EQ(window.height(), frmConfirmation::CollapsedHeightTwips / 15);
    auto* details = window.findChild<QPushButton*>(QStringLiteral("cmdDetails"));
    details->click();
    EXPECT_EQ(details->text(), QStringLiteral("&Hide"));
    EXPECT_EQ(window.height(), frmConfirmation::ExpandedHeightTwips / 15);
    EXPECT_EQ(frmConfirmation::DetailsText(QStringLiteral("Copy"), {QStringLiteral("/l/a.txt"), QStringLiteral("/l/Docs")},
                                           QStringLiteral("/l/"), QStringLiteral("/r/")),
              QStringLiteral("COPY a.txt FROM /l/ TO /r/\r\nCOPY Docs FROM /l/ TO /r/\r\n"));
    EXPECT_EQ(frmConfirmation::DetailsText(QStringLiteral("Delete"), {QStringLiteral("/l/a.txt")}, QStringLiteral("/l/"), {}),
              QStringLiteral("DELETE a.txt FROM /l/\r\n"));
    details->click();
    EXPECT_EQ(details->text(), QStringLiteral("&Details..."));
    EXPECT_EQ(window.height(), frmConfirmation::CollapsedHeightTwips / 15);

    // Closing by the title bar is no Yes.
    QTimer::singleShot(0, &window, [&] { window.close(); });
    window.exec();
    EXPECT_EQ(window.Result(), frmConfirmation::No);
    QTimer::singleShot(0, &window, [&] { window.findChild<QPushButton*>(QStringLiteral("cmdYes"))->click(); });
    window.exec();
    EXPECT_EQ(window.Result(), frmConfirmation::Yes);
}

TEST(FileOpProgressWindow, CancelStopsBetweenFilesAndLeavesNoHalfFile)
{
    TempDir dir;
    QStringList sources;
    for (int i = 0; i < 4; ++i)
        sources << dir.createFile(QStringLiteral("src/f%1").arg(i), QByteArray(4 << 20, char('a' + i)));
    dir.createFile(QStringLiteral("dst/f1"), "old target");
    frmFileOpProgress window(FileOpRunner::Kind::Copy);
    // Cancel once two files are done.
    QObject::connect(&window, &frmFileOpProgress::ObjectDone, &window, [&](qint64 done) {
        if (done == 2)
            window.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    const FileOps::Result result = window.Run(sources, dir.file(QStringLiteral("dst")));
    EXPECT_TRUE(result.aborted);
    EXPECT_EQ(result.completed, sources.mid(0, 2));
    // What is in the target is whole: a finished copy or the old file.
    for (int i = 0; i < 4; ++i) {
        const QString target = dir.file(QStringLiteral("dst/f%1").arg(i));
        if (result.completed.contains(sources[i]))
            EXPECT_EQ(FileBytes(target), QByteArray(4 << 20, char('a' + i)));
        else if (i == 1)
            EXPECT_EQ(FileBytes(target), "old target");
        else
            EXPECT_FALSE(QFile::exists(target));
    }
    EXPECT_TRUE(Leftovers(dir.file(QStringLiteral("dst"))).isEmpty());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Copy"));
}

// On a file system that tells case, "b.txt" and "B.txt" are one pair: a copy replaces the other side's own
// spelling and never leaves a second file beside it.
TEST_F(FileCommandsTest, ACounterpartSpeltDifferentlyIsReplacedUnderItsOwnName)
{
    left.createFileAt(QStringLiteral("b.txt"), "left newer", Noon + 60);
    right.createFileAt(QStringLiteral("B.txt"), "right older", Noon);
    left.createFileAt(QStringLiteral("m.txt"), "moved", Noon + 60);
    right.createFileAt(QStringLiteral("M.TXT"), "replaced", Noon);
    Compare();
    ctx->MainOptions().ShowCopyConfirmations = false;
    ctx->MainOptions().ShowMoveConfirmations = false;
    Select(Left(), {"b.txt", "c.txt"});
    Run("mnuFileCopySelectedFilesToTargetDirectory");
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("B.txt"))), "left newer");
    EXPECT_FALSE(QFile::exists(right.file(QStringLiteral("b.txt"))));
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("c.txt"))), "left only");

    Select(Left(), {"m.txt"});
    Run("mnuFileMoveSelectedFilesToTargetDirectory");
    EXPECT_EQ(FileBytes(right.file(QStringLiteral("M.TXT"))), "moved");
    EXPECT_FALSE(QFile::exists(right.file(QStringLiteral("m.txt"))));
    EXPECT_FALSE(QFile::exists(left.file(QStringLiteral("m.txt"))));
    EXPECT_TRUE(Leftovers(right.path()).isEmpty());
}
