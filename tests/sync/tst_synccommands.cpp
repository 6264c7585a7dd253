#include "../app/MainWindowFixture.h"
#include "Tmpfs.h"

#include "app/GuiCommandRegistry.h"
#include "base/ErrorHandler.h"
#include "sync/GuiSyncCommands.h"
#include "sync/frmConfirmSync.h"
#include "fileops/frmFileOpProgress.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QTimer>
#include <QProcess>
#include <QTest>
#include <QTreeView>
#include <map>
#include <ostream>
#include <sys/mount.h>

namespace {

const qint64 Noon = QDateTime(QDate(2023, 5, 4), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch();

// Every object below folder with its size, time and (short) content.
std::map<QString, QString> Tree(const QString& folder)
{
    std::map<QString, QString> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        tree[path.mid(folder.size())] = info.isDir() ? U("folder")
                                                     : QString::number(info.size()) + U(" ")
                                                           + QString::number(info.lastModified().toMSecsSinceEpoch()) + U(" ")
                                                           + QString::fromLatin1(FileBytes(path).left(64).toHex());
    }
    return tree;
}

// The rows a confirmation list shows: "text|action".
QStringList Shown(const QTreeView* view)
{
    QStringList rows;
    const QAbstractItemModel* model = view->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->data(model->index(r, 0)).toString() + QLatin1Char('|') + model->data(model->index(r, 1)).toString();
    return rows;
}

} // namespace

class SyncCommandsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        oldDataHome = qgetenv("XDG_DATA_HOME");
        hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(xdg.path()));
        left.createFileAt(U("a.txt"), "newer text", Noon + 60);
        right.createFileAt(U("a.txt"), "old", Noon);
        right.createFileAt(U("orphan.txt"), "right only", Noon);
        left.createFileAt(U("Only/inside.txt"), "inside", Noon);
        left.createFileAt(U("Work/new.txt"), "new", Noon);
        right.createFileAt(U("Work/gone.txt"), "gone", Noon);
        ctx->SyncSettings().SetSyncMethod(CSyncSettings::MakeRightSameAsLeft);
        ctx->MainOptions().PromptForSyncMethod = false;
        ctx->MainOptions().ShowSynchronizeConfirmations = false;
        // Any window the run would show fails the test.
        Sync().SetMethodQuestion([](bool&) {
            ADD_FAILURE() << "the method was asked";
            return false;
        });
        Sync().SetPlanConfirmation([](const std::vector<SyncStep>&) {
            ADD_FAILURE() << "the plan was shown";
            return false;
        });
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        if (hadDataHome)
            qputenv("XDG_DATA_HOME", oldDataHome);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    GuiSyncCommands& Sync() const { return window->SyncCommands(); }

    void Folders(const QString& l, const QString& r)
    {
        Child<QComboBox>("cboSourcePath")->setEditText(l);
        Child<QComboBox>("cboTargetPath")->setEditText(r);
    }

    void Compare()
    {
        Item("mnuFileCompareDirectories")->trigger();
        dialogs.clear();
    }

    void Run(const char* command) { ASSERT_TRUE(window->Commands().Run(QString::fromLatin1(command))) << command; }

    void ExpectRightSameAsLeft()
    {
        EXPECT_EQ(FileBytes(right.file(U("a.txt"))), "newer text");
        EXPECT_FALSE(QFile::exists(right.file(U("orphan.txt"))));
        EXPECT_EQ(FileBytes(right.file(U("Only/inside.txt"))), "inside");
        EXPECT_EQ(FileBytes(right.file(U("Work/new.txt"))), "new");
        EXPECT_FALSE(QFile::exists(right.file(U("Work/gone.txt"))));
    }

    TempDir left;
    TempDir right;
    TempDir xdg;
    QByteArray oldDataHome;
    bool hadDataHome = false;
};

TEST_F(SyncCommandsTest, WithoutAComparisonTheCommandComparesFirstAndThenSynchronises)
{
    Folders(left.path(), right.path());
    ASSERT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
    Run("mnuFileAutoSynch");
    ExpectRightSameAsLeft();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().title) << ": " << qPrintable(dialogs.last().text);
    // Compared again afterwards: nothing differs any more.
    EXPECT_EQ(Texts(Left()), Strings({"a.txt", "/Only", "/Work"}));
    EXPECT_TRUE(window->MenusEnabled());

    // A comparison that cannot run leaves nothing to synchronise, and says so.
    ctx->MainOptions().AutoCompareAfterSync = false;
    Run("mnuFileAutoSynch");
    ASSERT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
    Folders(left.file(U("does-not-exist")), right.path());
    dialogs.clear();
    Run("mnuFileAutoSynch");
    EXPECT_EQ(dialogs.last().text, U("Unable to synchronize.  No comparison has been executed yet."));
    EXPECT_EQ(dialogs.last().title, U("Synchronization"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
}

TEST_F(SyncCommandsTest, WithoutQuestionsTheRunShowsNoWindowAndThePanesAreComparedAgainOrCleared)
{
    Folders(left.path(), right.path());
    Compare();
    ASSERT_EQ(Texts(Right()).size(), 4);
    Item("tbrSync")->trigger();
    ExpectRightSameAsLeft();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text);
    EXPECT_EQ(FileBytes(xdg.file(U("Trash/files/orphan.txt"))), "right only") << "row deletes go to the trash";
    EXPECT_EQ(FileBytes(xdg.file(U("Trash/files/gone.txt"))), "gone") << "kept for undo, sub-folder deletes too";
    EXPECT_EQ(Texts(Right()), Strings({"a.txt", "/Only", "/Work"}));
    // One record in the history, which the history window lists.
    const QString history = ctx->AppFile(U("SyncHist.Log"));
    EXPECT_EQ(QFileInfo(history).size(), 773);
    EXPECT_TRUE(FileBytes(history).mid(518).startsWith("Completed Successfully"));

    // Cleared instead when comparing after a synchronisation is off.
    left.createFileAt(U("b.txt"), "b", Noon);
    Compare();
    ctx->MainOptions().AutoCompareAfterSync = false;
    Run("mnuFileAutoSynch");
    EXPECT_EQ(FileBytes(right.file(U("b.txt"))), "b");
    EXPECT_EQ(Texts(Left()), QStringList{NoComparisonResultsText()});
    EXPECT_EQ(Texts(Right()), QStringList{NoComparisonResultsText()});
}

TEST_F(SyncCommandsTest, TheConfirmationListsCopiesBeforeDeletesPerSideAndCancelChangesNothing)
{
    Folders(left.path(), right.path());
    right.createFileAt(U("Newer on right.txt"), "right newer", Noon + 60);
    left.createFileAt(U("Newer on right.txt"), "left", Noon);
    // Both ways, plus deletes of orphans on the right (left new copy, right new copy, right orphan delete).
    ctx->SyncSettings().SetSyncMethod(CSyncSettings::Custom);
    ctx->SyncSettings().SetAllRules({1, 0, 1, 0, 1, 0, 3, 0});
    Compare();
    const auto before = std::make_pair(Tree(left.path()), Tree(right.path()));
    ctx->MainOptions().ShowSynchronizeConfirmations = true;
    std::vector<SyncStep> shown;
    int asked = 0;
    Sync().SetPlanConfirmation([&](const std::vector<SyncStep>& plan) {
        ++asked;
        shown = plan;
        return false;
    });
    Run("mnuFileAutoSynch");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(std::make_pair(Tree(left.path()), Tree(right.path())), before);
    EXPECT_FALSE(QFile::exists(ctx->AppFile(U("SyncHist.Log")))) << "no record of a run that did not happen";
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Texts(Left()).size(), 5) << "the results stay";

    // The rows of the lists, copies before deletes, then the files of the sub-folders.
    const auto text = [](const std::vector<std::pair<const SyncStep*, QString>>& rows) {
        QStringList out;
        for (const auto& [step, action] : rows)
            out << step->text + QLatin1Char('|') + action;
        return out;
    };
    EXPECT_EQ(text(frmConfirmSync::SideRows(shown, true)),
              Strings({"a.txt|Copy -->", "/Only|Copy -->", "Work/new.txt|Copy -->"}));
    EXPECT_EQ(text(frmConfirmSync::SideRows(shown, false)),
              Strings({"Newer on right.txt|<-- Copy", "orphan.txt|Delete", "Work/gone.txt|Delete"}));

    frmConfirmSync confirm(shown, left.path(), right.path());
    EXPECT_EQ(confirm.windowTitle(), U("Confirm Synchronization"));
    const auto* one = confirm.findChild<QTreeView*>(U("lvwFolderOne"));
    const auto* two = confirm.findChild<QTreeView*>(U("lvwFolderTwo"));
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(Shown(one), text(frmConfirmSync::SideRows(shown, true)));
    EXPECT_EQ(Shown(two), text(frmConfirmSync::SideRows(shown, false)));
    EXPECT_EQ(one->model()->headerData(0, Qt::Horizontal).toString(), U("File"));
    EXPECT_EQ(one->model()->headerData(1, Qt::Horizontal).toString(), U("Action"));
    EXPECT_FALSE(one->model()->data(one->model()->index(0, 0), Qt::DecorationRole).isNull()) << "a category picture";
    EXPECT_EQ(confirm.findChild<QLabel*>(U("lblFolderOne"))->text(), left.path());
    EXPECT_EQ(confirm.findChild<QLabel*>(U("lblFolderTwo"))->text(), right.path());
    EXPECT_FALSE(confirm.Proceed());

    // A deletion planned on a side is listed on that side only, after its copies.
    std::vector<SyncStep> plan{
        {SyncStep::Action::DeleteLeft, U("x"), U("/l/x"), {}, Category::Orphan, false},
        {SyncStep::Action::CopyToRight, U("y"), U("/l/y"), U("/r/y"), Category::Newer, false},
        {SyncStep::Action::DeleteLeft, U("S/z"), U("/l/S/z"), {}, Category::Orphan, true},
        {SyncStep::Action::CopyToRight, U("S/w"), U("/l/S/w"), U("/r/S/w"), Category::Orphan, true},
    };
    EXPECT_EQ(text(frmConfirmSync::SideRows(plan, true)), Strings({"y|Copy -->", "x|Delete", "S/z|Delete", "S/w|Copy -->"}));
    EXPECT_TRUE(frmConfirmSync::SideRows(plan, false).empty());

    // A mirror's own steps: a mode listed under the side it comes from, a new spelling under the side renamed.
    const std::vector<SyncStep> mirror{
        {SyncStep::Action::ModeToRight, U("run.sh"), U("/l/run.sh"), U("/r/run.sh"), Category::Same, false},
        {SyncStep::Action::RenameRight, U("FindCARES.cmake"), U("/r/FindCares.cmake"), U("/r/FindCARES.cmake"),
         Category::Same, false},
    };
    EXPECT_EQ(text(frmConfirmSync::SideRows(mirror, true)), Strings({"run.sh|Mode -->"}));
    EXPECT_EQ(text(frmConfirmSync::SideRows(mirror, false)), Strings({"FindCARES.cmake|Rename"}));
}

TEST_F(SyncCommandsTest, AnEmptyPlanSaysSoInsteadOfAnEmptyConfirmation)
{
    TempDir one;
    TempDir two;
    one.createFileAt(U("same.txt"), "same", Noon);
    two.createFileAt(U("same.txt"), "same", Noon);
    Folders(one.path(), two.path());
    Compare();
    ctx->MainOptions().ShowSynchronizeConfirmations = true;
    Sync().SetPlanConfirmation(GuiSyncCommands::PlanConfirmation{});
    // A confirmation window would wait for an answer: close it, and fail.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << qPrintable(modal->objectName());
            modal->close();
        }
    });
    Run("mnuFileAutoSynch");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, NothingToSynchronizeText());
    EXPECT_EQ(dialogs.last().title, U("Synchronization"));
    EXPECT_FALSE(QFile::exists(ctx->AppFile(U("SyncHist.Log")))) << "nothing ran";
}

TEST(ConfirmSyncWindow, TotalsCountEachListAndTheWholePlan)
{
    std::vector<SyncStep> plan{
        {SyncStep::Action::CopyToRight, U("a"), U("/l/a"), U("/r/a"), Category::Newer, false},
        {SyncStep::Action::CopyToRight, U("S/b"), U("/l/S/b"), U("/r/S/b"), Category::Orphan, true},
        {SyncStep::Action::DeleteRight, U("c"), U("/r/c"), {}, Category::Orphan, false},
        {SyncStep::Action::RenameRight, U("D"), U("/r/d"), U("/r/D"), Category::Same, false},
    };
    plan[0].bytes = 3000;
    plan[1].bytes = 2000;
    const QLocale locale;
    const QString size = locale.formattedDataSize(5000);
    EXPECT_EQ(frmConfirmSync::TotalsText(plan, 0), U("2 copies (") + size + U(")"));
    EXPECT_EQ(frmConfirmSync::TotalsText(plan, 1), U("1 deletion, 1 change of mode or name"));
    EXPECT_EQ(frmConfirmSync::TotalsText(plan, -1),
              U("4 operations in all: 2 copies (") + size + U("), 1 deletion, 1 change of mode or name."));
    plan.pop_back();
    plan.pop_back();
    EXPECT_EQ(frmConfirmSync::TotalsText(plan, 1), U("Nothing from this folder."));

    frmConfirmSync window(plan, U("/l/"), U("/r/"));
    EXPECT_EQ(window.findChild<QLabel*>(U("lblTotalsOne"))->text(), frmConfirmSync::TotalsText(plan, 0));
    EXPECT_EQ(window.findChild<QLabel*>(U("lblTotalsTwo"))->text(), U("Nothing from this folder."));
    EXPECT_EQ(window.findChild<QLabel*>(U("lblTotals"))->text(), frmConfirmSync::TotalsText(plan, -1));
}

TEST(SyncProgress, TheBarFollowsTheWholeRunNotTheCurrentFile)
{
    frmFileOpProgress progress(U("Synchronization"), U("Synchronizing..."));
    progress.SetSteps(4);
    progress.RunWork([&progress](const FileOps::Control& control) {
        FileOps::Progress file;
        file.objectsTotal = 1;
        file.bytesTotal = 10;
        control.onProgress(file);
        EXPECT_EQ(progress.BarValue(), 0);
        file.objectsDone = 1;
        file.bytesDone = 10;
        control.onProgress(file);
        EXPECT_EQ(progress.BarValue(), 250) << "one whole file of four steps";
        progress.StepDone(1);
        EXPECT_EQ(progress.BarValue(), 250) << "the step counts once";
        file.objectsDone = 0;
        file.bytesDone = 5;
        control.onProgress(file);
        EXPECT_EQ(progress.BarValue(), 375) << "half of the second";
        progress.StepDone(4);
        EXPECT_EQ(progress.BarValue(), 1000);
    });
    // One operation on its own still shows its own share.
    frmFileOpProgress single(U("Copy"), U("Copying..."));
    single.RunWork([&single](const FileOps::Control& control) {
        FileOps::Progress file;
        file.objectsTotal = 2;
        file.objectsDone = 1;
        control.onProgress(file);
        EXPECT_EQ(single.BarValue(), 500);
    });
}

TEST_F(SyncCommandsTest, LowSpaceAsksAndCancelChangesNothing)
{
    TempDir mount;
    const QString small = mount.file(U("small"));
    Tmpfs fs(small, "size=64k");
    if (!fs.mounted())
        GTEST_SKIP() << qPrintable(fs.why());
    const QString target = small + U("/");
    left.createFileAt(U("big"), QByteArray(256 << 10, 'n'), Noon + 60);
    QFile old(target + U("big"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old target");
    old.close();
    Folders(left.path(), target);
    Compare();
    const auto before = std::make_pair(Tree(left.path()), Tree(target));

    Run("mnuFileAutoSynch"); // the question gets Cancel
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, U("Low Disk Space"));
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(U("There may not be enough space available on drive ")))
        << qPrintable(dialogs.messages[0].text);
    EXPECT_TRUE(dialogs.messages[0].text.endsWith(U("Press OK to continue with the synchronization, or Cancel to abort.")));
    EXPECT_EQ(dialogs.messages[0].buttons, UserDialogs::Buttons::OkCancel);
    EXPECT_EQ(std::make_pair(Tree(left.path()), Tree(target)), before);
    EXPECT_FALSE(Texts(Left()).contains(NoComparisonResultsText())) << "nothing was run, nothing compared again";

    // OK goes on: the copy cannot fit, is said, and the old file stays whole.
    dialogs.clear();
    dialogs.answers = {UserDialogs::Answer::Ok};
    Run("mnuFileAutoSynch");
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[1].title, U("API Error"));
    EXPECT_TRUE(dialogs.messages[1].text.startsWith(U("big: ") + QString::number(ENOSPC))) << qPrintable(dialogs.messages[1].text);
    EXPECT_EQ(FileBytes(target + U("big")), "old target");
    // a.txt came before it; the failure stopped the run, so /Only and the sub-folder never came.
    EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), Strings({"a.txt", "big"}));
    EXPECT_TRUE(window->MenusEnabled());
}

// The window and the headless command are two front ends of one session: on the same folders they plan
// the same steps, leave the same folders behind and write the same record.
TEST_F(SyncCommandsTest, TheWindowAndParvexcmdPlanTheSameStepsAndWriteTheSameRecord)
{
    TempDir copies;
    // Tree() names objects below the folder it is given, which ends in "/" like the fixture's own.
    const QString left2 = copies.file(U("left")) + QLatin1Char('/');
    const QString right2 = copies.file(U("right")) + QLatin1Char('/');
    ASSERT_EQ(QProcess::execute(U("cp"), {U("-a"), left.path() + U("/."), left2}), 0);
    ASSERT_EQ(QProcess::execute(U("cp"), {U("-a"), right.path() + U("/."), right2}), 0);
    ASSERT_EQ(Tree(right.path()), Tree(right2));

    QStringList windowPlan;
    ctx->MainOptions().ShowSynchronizeConfirmations = true;
    Sync().SetPlanConfirmation([&](const std::vector<SyncStep>& plan) {
        for (const SyncStep& step : plan)
            windowPlan << ActionWord(step.action) + QLatin1Char('\t') + step.text;
        return true;
    });
    Folders(left.path(), right.path());
    Compare();
    Run("mnuFileAutoSynch");
    ExpectRightSameAsLeft();

    TempDir cmd;
    const QString bin = PrivateParvexCmdFolder(cmd);
    const QStringList compare{U("--method"), U("quick"), U("--subfolders"), U("--no-ignore-2sec"), U("--no-ignore-dst"),
                              U("--include"), QString(), U("--exclude"), QString(), U("--sync"), U("right-same-as-left")};
    const auto parvexcmd = [&](const QStringList& extra) {
        QProcess p;
        p.start(bin + U("/parvexcmd"), QStringList{U("sync")} + compare + extra + QStringList{left2, right2});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
        return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    EXPECT_EQ(parvexcmd({U("--dry-run")}), windowPlan);
    EXPECT_EQ(parvexcmd({}), windowPlan);

    EXPECT_EQ(Tree(right.path()), Tree(right2));
    EXPECT_EQ(Tree(left.path()), Tree(left2));
    const QByteArray windowRecord = FileBytes(ctx->AppFile(U("SyncHist.Log")));
    const QByteArray cmdRecord = FileBytes(bin + U("/SyncHist.Log"));
    ASSERT_EQ(windowRecord.size(), 773);
    ASSERT_EQ(cmdRecord.size(), 773);
    EXPECT_EQ(windowRecord.mid(518), cmdRecord.mid(518));
}

// A user who closes the main window while a synchronisation runs is not refused: the run goes on to its
// end (a synchronisation stopped half way helps no one), then the window closes.
TEST_F(SyncCommandsTest, ClosingTheWindowDuringARunClosesItWhenTheRunEnds)
{
    window->show();
    Folders(left.path(), right.path());
    Compare();
    ctx->MainOptions().ShowSynchronizeConfirmations = true;
    ctx->MainOptions().AutoCompareAfterSync = false;
    Sync().SetPlanConfirmation([&](const std::vector<SyncStep>&) {
        // The user's close arrives once the run has the menus: it is deferred, not refused.
        QMetaObject::invokeMethod(window.get(), [&] {
            EXPECT_FALSE(window->MenusEnabled());
            dialogs.answers.push_back(UserDialogs::Answer::Yes);
            EXPECT_FALSE(window->close());
            EXPECT_TRUE(window->isVisible());
        }, Qt::QueuedConnection);
        return true;
    });
    Run("mnuFileAutoSynch");
    ExpectRightSameAsLeft();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
}
