#include "FakeUserDialogs.h"
#include "Tmpfs.h"
#include "../sync/SyncFixture.h"
#include "TestSupport.h"
#include "Unprivileged.h"
#include "base/ErrorHandler.h"
#include "base/ProgressSink.h"
#include "platform/ParvexLib.h"
#include "fileops/RowOperations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <atomic>
#include <csignal>
#include <deque>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Kind = FileOpRunner::Kind;
using Icon = UserDialogs::Icon;
using Answer = UserDialogs::Answer;

const QString CrLf = QStringLiteral("\r\n");

bool IsFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

class FakeConfirmation final : public ConfirmationAsker
{
public:
    struct Call
    {
        QString caption, prompt, operation;
        QStringList objects;
        QString from, to;
    };
    bool Confirm(const QString& caption, const QString& prompt, const QString& operation, const QStringList& objects,
                 const QString& fromFolder, const QString& toFolder) override
    {
        calls.append({caption, prompt, operation, objects, fromFolder, toFolder});
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QList<Call> calls;
    std::deque<bool> answers; // empty: No
};

// Records every operation and hands it on to a real runner, or answers a scripted result instead.
class RecordingRunner final : public FileOpRunner
{
public:
    struct Call
    {
        Kind kind;
        QStringList objects;
        QString destination;
    };
    FileOps::Result Run(Kind kind, const QStringList& objects, const QString& destination) override
    {
        calls.append({kind, objects, destination});
        return scripted ? *scripted : next->Run(kind, objects, destination);
    }
    QList<Call> calls;
    std::optional<FileOps::Result> scripted;
    FileOpRunner* next = nullptr;
};

// Sets a cancel flag on the given pump call, as a Cancel button pressed while the operation runs.
class CancellingPump final : public EventPump
{
public:
    CancellingPump(std::atomic<bool>& cancel, int onCall) : m_cancel(cancel), m_onCall(onCall) {}
    void Pump() override
    {
        if (++calls == m_onCall)
            m_cancel = true;
    }
    int calls = 0;

private:
    std::atomic<bool>& m_cancel;
    int m_onCall;
};

class RowOpsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString problem;
        ASSERT_TRUE(lib.Load(TestLibraryFile(), &problem)) << qPrintable(problem);
        lib.SetMessageHandler(&RecordLibraryMessage, &dialogs);
        left = dir.createFolder(QStringLiteral("L")) + QLatin1Char('/');
        right = dir.createFolder(QStringLiteral("R")) + QLatin1Char('/');
        // Every trash of these tests is a temporary one.
        oldDataHome = qgetenv("XDG_DATA_HOME");
        hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        dataHome = dir.createFolder(QStringLiteral("xdg"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        runner.next = &direct;
    }
    void TearDown() override
    {
        if (hadDataHome)
            qputenv("XDG_DATA_HOME", oldDataHome);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    static void RecordLibraryMessage(const char* text, const char* title, void* context)
    {
        static_cast<FakeUserDialogs*>(context)->Message(QString::fromUtf8(text), QString::fromUtf8(title),
                                                        Icon::Information, UserDialogs::Buttons::Ok, 0);
    }

    RowOpServices Services() { return {dialogs, errors, lib, drives, confirmation, runner}; }

    // Files in L with rows of the given category; the right list has placeholders beside them.
    ResultList LeftFiles(std::initializer_list<std::pair<const char*, QByteArray>> files,
                         Category category = Category::Orphan)
    {
        ResultList rows;
        for (const auto& [name, data] : files) {
            dir.createFile(QStringLiteral("L/") + U(name), data);
            rows.push_back(Row(name, category, data.size()));
        }
        return rows;
    }
    static RowIndexes All(const ResultList& rows)
    {
        RowIndexes all;
        for (size_t i = 0; i < rows.size(); ++i)
            all.push_back(int(i));
        return all;
    }
    static ResultList Placeholders(size_t n) { return ResultList(n, Placeholder()); }

    void ExpectOnlyMessage(const QString& text, const char* title, Icon icon)
    {
        ASSERT_EQ(dialogs.messages.size(), 1) << qPrintable(dialogs.last().title) << ": " << qPrintable(dialogs.last().text);
        EXPECT_EQ(dialogs.messages[0].text, text);
        EXPECT_EQ(dialogs.messages[0].title, U(title));
        EXPECT_EQ(dialogs.messages[0].icon, icon);
    }

    QString TrashFiles() const { return dataHome + QStringLiteral("/Trash/files/"); }

    TempDir dir;
    QString left, right, dataHome;
    QByteArray oldDataHome;
    bool hadDataHome = false;
    FakeUserDialogs dialogs;
    ErrorHandler errors{dialogs};
    ParvexLib lib;
    FakeDrives drives;
    FakeConfirmation confirmation;
    DirectFileOpRunner direct;
    RecordingRunner runner;
};

} // namespace

TEST_F(RowOpsTest, CopyToTheOtherFolderAsksWithTheExactPromptAndNoChangesNothing)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}, {"b.txt", "beta"}});
    dir.createFile(QStringLiteral("L/Sub/c.txt"), "gamma");
    ResultList withFolder = rows;
    withFolder.push_back(Row("/Sub", Category::OrphanFolder, 5));
    const RowIndexes selected = All(withFolder);
    const OpList list{withFolder, selected, left};

    const Outcome no = CopyFilesToOtherDirAndLVW(Services(), list, Placeholders(3), right, true, false);
    ASSERT_EQ(confirmation.calls.size(), 1);
    const FakeConfirmation::Call& asked = confirmation.calls[0];
    EXPECT_EQ(asked.caption, U("Confirm Copy"));
    EXPECT_EQ(asked.prompt, U("You are about to copy 3 objects(s).") + CrLf + CrLf + U("Do you wish to continue?"));
    EXPECT_EQ(asked.operation, U("Copy"));
    EXPECT_EQ(asked.objects, QStringList({left + U("a.txt"), left + U("b.txt"), left + U("Sub")}));
    EXPECT_EQ(asked.from, left);
    EXPECT_EQ(asked.to, right);
    EXPECT_FALSE(no.changed);
    EXPECT_TRUE(runner.calls.isEmpty());
    EXPECT_TRUE(Entries(right).isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    confirmation.answers = {true};
    const Outcome yes = CopyFilesToOtherDirAndLVW(Services(), list, Placeholders(3), right, true, false);
    EXPECT_TRUE(yes.changed);
    EXPECT_FALSE(yes.cancelled);
    EXPECT_EQ(FileBytes(right + U("a.txt")), "alpha");
    EXPECT_EQ(FileBytes(right + U("b.txt")), "beta");
    EXPECT_TRUE(IsFolder(right + U("Sub")));
    EXPECT_EQ(FileBytes(right + U("Sub/c.txt")), "gamma");
    EXPECT_EQ(FileBytes(left + U("a.txt")), "alpha");
    ExpectOnlyMessage(U("Selected item(s) copied to ") + right, "Copy Succeeded", Icon::Information);

    // Without confirmation: no question and no success message. The folder is given without "/".
    dialogs.clear();
    const QString other = dir.createFolder(QStringLiteral("R2"));
    const Outcome quiet = CopyFilesToOtherDirAndLVW(Services(), list, Placeholders(3), other, false, false);
    EXPECT_TRUE(quiet.changed);
    EXPECT_EQ(confirmation.calls.size(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ASSERT_EQ(runner.calls.size(), 2);
    EXPECT_EQ(runner.calls[1].kind, Kind::Copy);
    EXPECT_EQ(runner.calls[1].destination, other + QLatin1Char('/'));
    EXPECT_EQ(Entries(other), Strings({"Sub", "a.txt", "b.txt"}));
}

TEST_F(RowOpsTest, MoveToTheOtherFolderAsksFirstAndMovesOnlyAfterYes)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}, {"b.txt", "beta"}});
    const RowIndexes selected = All(rows);
    const OpList list{rows, selected, left};

    MoveFilesToOtherDirAndLVW(Services(), list, Placeholders(2), right, true);
    ASSERT_EQ(confirmation.calls.size(), 1);
    EXPECT_EQ(confirmation.calls[0].caption, U("Confirm Move"));
    EXPECT_EQ(confirmation.calls[0].prompt, U("You are about to move 2 objects(s).") + CrLf + CrLf + U("Do you wish to continue?"));
    EXPECT_EQ(confirmation.calls[0].operation, U("Move"));
    EXPECT_EQ(Entries(left), Strings({"a.txt", "b.txt"}));
    EXPECT_TRUE(Entries(right).isEmpty());

    confirmation.answers = {true};
    const Outcome moved = MoveFilesToOtherDirAndLVW(Services(), list, Placeholders(2), right, true);
    EXPECT_TRUE(moved.changed);
    EXPECT_TRUE(Entries(left).isEmpty());
    EXPECT_EQ(FileBytes(right + U("b.txt")), "beta");
    ExpectOnlyMessage(U("Selected item(s) moved to ") + right, "Move Succeeded", Icon::Information);

    // And back again without confirmation: silently.
    dialogs.clear();
    const OpList back{rows, selected, right};
    MoveFilesToOtherDirAndLVW(Services(), back, Placeholders(2), left, false);
    EXPECT_EQ(confirmation.calls.size(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(FileBytes(left + U("a.txt")), "alpha");
    EXPECT_TRUE(Entries(right).isEmpty());
}

TEST_F(RowOpsTest, CopyAndMoveToAChosenFolderStartWithTheFolderPicker)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}});
    const RowIndexes selected{0};
    const OpList list{rows, selected, left};

    CopyOrMoveToChosenFolder(Services(), list, false, true);
    ExpectOnlyMessage(U("No destination folder was specified.  Object(s) were not copied."), "Copy To Specified Folder",
                      Icon::Information);
    EXPECT_EQ(dialogs.prompts, Strings({"Browse for Folder"}));
    dialogs.clear();
    CopyOrMoveToChosenFolder(Services(), list, true, true);
    ExpectOnlyMessage(U("No destination folder was specified.  Object(s) were not moved."), "Move To Specified Folder",
                      Icon::Information);
    EXPECT_TRUE(confirmation.calls.isEmpty());
    EXPECT_TRUE(runner.calls.isEmpty());

    dialogs.clear();
    const QString chosen = dir.createFolder(QStringLiteral("Chosen"));
    dialogs.picks = {chosen};
    confirmation.answers = {true};
    const Outcome copied = CopyOrMoveToChosenFolder(Services(), list, false, true);
    EXPECT_TRUE(copied.changed);
    ASSERT_EQ(confirmation.calls.size(), 1);
    EXPECT_EQ(confirmation.calls[0].to, chosen + QLatin1Char('/'));
    EXPECT_EQ(FileBytes(chosen + U("/a.txt")), "alpha");
    ExpectOnlyMessage(U("Selected item(s) copied to ") + chosen + QLatin1Char('/'), "Copy Succeeded", Icon::Information);

    dialogs.clear();
    const QString moveTo = dir.createFolder(QStringLiteral("MoveTo"));
    dialogs.picks = {moveTo};
    CopyOrMoveToChosenFolder(Services(), list, true, false);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(FileBytes(moveTo + U("/a.txt")), "alpha");
    EXPECT_FALSE(QFile::exists(left + U("a.txt")));
}

TEST_F(RowOpsTest, NothingSelectedSaysSoAndPlaceholdersNeverStandForThePanesFolder)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}});
    ResultList mixed{rows[0], Placeholder(), Row("No Comparison Results", Category::None), Row("/Sub", Category::OrphanFolder)};
    dir.createFolder(QStringLiteral("L/Sub"));
    const RowIndexes every{0, 1, 2, 3, 7};
    EXPECT_EQ(OperandPaths({mixed, every, left}), QStringList({left + U("a.txt"), left + U("Sub")}));
    EXPECT_EQ(OperandPaths({mixed, every, dir.file(QStringLiteral("L"))}), QStringList({left + U("a.txt"), left + U("Sub")}));
    EXPECT_TRUE(OperandPaths({mixed, every, QString()}).isEmpty());

    const RowIndexes none;
    const QString copyText = U("No item(s) selected.  Please select some item(s) and try again. ");
    CopyFilesToOtherDirAndLVW(Services(), {rows, none, left}, Placeholders(1), right, true, false);
    ExpectOnlyMessage(copyText, "Unable to Copy", Icon::Warning);
    dialogs.clear();
    MoveFilesToOtherDirAndLVW(Services(), {rows, none, left}, Placeholders(1), right, true);
    ExpectOnlyMessage(copyText, "Unable to Move", Icon::Warning);
    dialogs.clear();
    CopyFilesToOtherDirAndLVW(Services(), {rows, none, left}, Placeholders(1), right, true, true);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    const QString deleteText = U("No item(s) selected. Please select some item(s) and try again.");
    DeleteFilesFromLVW(Services(), {rows, none, left}, true, false);
    ExpectOnlyMessage(deleteText, "Unable to Delete", Icon::Warning);
    dialogs.clear();
    DeletePermanentlyFilesFromLVW(Services(), {rows, none, left}, true, false);
    ExpectOnlyMessage(deleteText, "Unable to Delete", Icon::Warning);
    dialogs.clear();
    DeleteFilesFromLVW(Services(), {rows, none, left}, true, true);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Rows with no object: a placeholder and "No Comparison Results" select nothing to act on.
    const RowIndexes empties{1, 2};
    CopyFilesToOtherDirAndLVW(Services(), {mixed, empties, left}, Placeholders(4), right, true, false);
    ExpectOnlyMessage(copyText, "Unable to Copy", Icon::Warning);
    dialogs.clear();
    const QString emptyDelete = U("No item(s) selected. Please select some item(s), and try again.");
    DeleteFilesFromLVW(Services(), {mixed, empties, left}, true, false);
    ExpectOnlyMessage(emptyDelete, "Unable to Delete", Icon::Information);
    dialogs.clear();
    DeletePermanentlyFilesFromLVW(Services(), {mixed, empties, left}, true, false);
    ExpectOnlyMessage(emptyDelete, "Unable to Delete", Icon::Information);

    EXPECT_TRUE(confirmation.calls.isEmpty());
    EXPECT_TRUE(runner.calls.isEmpty());
    EXPECT_TRUE(Entries(right).isEmpty());
    EXPECT_EQ(Entries(left), Strings({"Sub", "a.txt"}));
}

TEST_F(RowOpsTest, AFolderIsNeverCopiedOrMovedIntoItselfOrBelowItself)
{
    dir.createFile(QStringLiteral("L/Sub/c.txt"), "gamma");
    const QString inside = dir.createFolder(QStringLiteral("L/Sub/R")) + QLatin1Char('/');
    const ResultList rows{Row("/Sub", Category::OrphanFolder, 5)};
    const RowIndexes selected{0};
    const OpList list{rows, selected, left};
    const QString sub = left + U("Sub");

    confirmation.answers = {true, true, true, true};
    CopyFilesToOtherDirAndLVW(Services(), list, Placeholders(1), inside, true, false);
    ExpectOnlyMessage(U("The folder \"") + sub + U("\" cannot be copied into itself or into one of its own sub-folders."),
                      "Unable to Copy", Icon::Warning);
    dialogs.clear();
    MoveFilesToOtherDirAndLVW(Services(), list, Placeholders(1), inside, true);
    ExpectOnlyMessage(U("The folder \"") + sub + U("\" cannot be moved into itself or into one of its own sub-folders."),
                      "Unable to Move", Icon::Warning);
    dialogs.clear();
    CopyFilesToSpecificDir(Services(), list, sub, true);
    EXPECT_EQ(dialogs.last().title, U("Unable to Copy"));
    dialogs.clear();
    // Dropped onto a pane below it: from the same drive that is a move.
    ProcessOLEDragDrop(Services(), {sub}, inside, false, false, true);
    EXPECT_EQ(dialogs.last().title, U("Unable to Move"));

    EXPECT_TRUE(confirmation.calls.isEmpty());
    EXPECT_TRUE(runner.calls.isEmpty());
    EXPECT_TRUE(Entries(inside).isEmpty());
    EXPECT_EQ(Entries(sub), Strings({"R", "c.txt"}));

    // Nor through a link that leads below it.
    dialogs.clear();
    const QString link = dir.file(QStringLiteral("Link"));
    ASSERT_EQ(::symlink(QFile::encodeName(inside).constData(), QFile::encodeName(link).constData()), 0);
    CopyFilesToOtherDirAndLVW(Services(), list, Placeholders(1), link, false, false);
    ExpectOnlyMessage(U("The folder \"") + sub + U("\" cannot be copied into itself or into one of its own sub-folders."),
                      "Unable to Copy", Icon::Warning);
    EXPECT_TRUE(runner.calls.isEmpty());
    EXPECT_TRUE(Entries(inside).isEmpty());

    // A sibling whose name merely starts the same is another folder.
    dialogs.clear();
    const QString subway = dir.createFolder(QStringLiteral("L/Subway"));
    CopyFilesToSpecificDir(Services(), list, subway, false);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text);
    EXPECT_EQ(FileBytes(subway + U("/Sub/c.txt")), "gamma");
}

TEST_F(RowOpsTest, InsufficientSpaceIsSaidWithDriveRequiredAndAvailableAndNothingIsWritten)
{
    const ResultList rows = LeftFiles({{"big", QByteArray(500, 'b')}});
    const RowIndexes selected{0};
    drives.drivesByPrefix = {{right, U("/fake")}, {dir.file(QStringLiteral("A")), U("/elsewhere")}};
    drives.freeBytes = {{U("/fake/"), 10}};
    const QString text = U("Not enough space available on target drive.") + CrLf + CrLf + U("Target Drive: /fake") + CrLf
                         + U("Space Required: 500 Bytes") + CrLf + U("Space Available: 10 Bytes");

    confirmation.answers = {true};
    const Outcome copy = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(1), right, true, false);
    EXPECT_EQ(confirmation.calls.size(), 1); // asked first, then the check
    ExpectOnlyMessage(text, "Insufficient Disk Space", Icon::Error);
    EXPECT_FALSE(copy.changed);
    dialogs.clear();
    CopyFilesToSpecificDir(Services(), {rows, selected, left}, right, false);
    ExpectOnlyMessage(text, "Insufficient Disk Space", Icon::Error);
    dialogs.clear();
    // From another drive a move needs room as well.
    MoveFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(1), right, false);
    ExpectOnlyMessage(text, "Insufficient Disk Space", Icon::Error);
    dialogs.clear();
    const QString dropped = dir.createFile(QStringLiteral("A/big"), QByteArray(500, 'd'));
    ProcessOLEDragDrop(Services(), {dropped}, right, false, false, false);
    ExpectOnlyMessage(text, "Insufficient Disk Space", Icon::Error);
    EXPECT_TRUE(runner.calls.isEmpty());
    EXPECT_TRUE(Entries(right).isEmpty());
    EXPECT_TRUE(QFile::exists(dropped));

    // A synchronisation has checked the space of the whole run before: its copy does not ask again.
    dialogs.clear();
    drives.freeMustNotBeAsked = true;
    const Outcome synced = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(1), right, false, true);
    EXPECT_TRUE(synced.changed);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(FileBytes(right + U("big")), QByteArray(500, 'b'));
}

TEST_F(RowOpsTest, ACancelHalfWayKeepsWhatWasDoneWholeAndLeavesNoTemporaryFile)
{
    ResultList rows;
    for (int i = 0; i < 5; ++i) {
        dir.createFile(QStringLiteral("L/f%1").arg(i), QByteArray(1000, char('0' + i)));
        rows.push_back(Row(qPrintable(QStringLiteral("f%1").arg(i)), Category::Orphan, 1000));
    }
    const RowIndexes selected = All(rows);
    std::atomic<bool> cancel{false};
    CancellingPump pump(cancel, 3);
    NullProgressSink sink;
    DirectFileOpRunner cancellable(&cancel, &pump, &sink);
    runner.next = &cancellable;

    confirmation.answers = {true};
    const Outcome outcome = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(5), right, true, false);
    EXPECT_TRUE(outcome.changed);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(outcome.result.aborted);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text); // the user knows: no message
    const QStringList copied = Entries(right);
    EXPECT_GT(copied.size(), 0);
    EXPECT_LT(copied.size(), 5);
    EXPECT_EQ(copied.size(), outcome.result.completed.size());
    for (const QString& name : copied)
        EXPECT_EQ(FileBytes(right + name), FileBytes(left + name)) << qPrintable(name);

    // Within one large file: the old target stays as it was.
    dir.createFile(QStringLiteral("L/large"), QByteArray(24 << 20, 'n'));
    dir.createFile(QStringLiteral("R/large"), "old target");
    const ResultList large{Row("large", Category::Newer, 24 << 20)};
    const ResultList old{Row("large", Category::Older, 10)};
    const RowIndexes first{0};
    cancel = false;
    CancellingPump midFile(cancel, 2);
    DirectFileOpRunner cancellableMidFile(&cancel, &midFile, &sink);
    runner.next = &cancellableMidFile;
    const Outcome within = CopyFilesToOtherDirAndLVW(Services(), {large, first, left}, old, right, false, false);
    EXPECT_TRUE(within.cancelled);
    EXPECT_GT(within.result.bytesDone, 0);
    EXPECT_EQ(FileBytes(right + U("large")), "old target");
    EXPECT_EQ(Leftovers(right), QStringList());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(RowOpsTest, AFullDiskOrAFileSizeLimitGivesApiErrorAndKeepsTheOldTargetWhole)
{
    Tmpfs small(dir.file(QStringLiteral("small")), "size=64k");
    if (!small.mounted())
        GTEST_SKIP() << qPrintable(small.why());
    const QString target = dir.file(QStringLiteral("small/"));
    dir.createFile(QStringLiteral("small/big"), "old target");
    const ResultList rows = LeftFiles({{"big", QByteArray(256 << 10, 'x')}}, Category::Newer);
    const ResultList older{Row("big", Category::Older, 10)};
    const RowIndexes selected{0};

    confirmation.answers = {true};
    const Outcome full = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, older, target, true, false);
    EXPECT_TRUE(full.cancelled);
    EXPECT_EQ(full.result.error, ENOSPC);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, U("API Error"));
    EXPECT_EQ(dialogs.messages[0].icon, Icon::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QString::number(ENOSPC) + U(" - ") + DescribeSystemError(ENOSPC)))
        << qPrintable(dialogs.messages[0].text);
    EXPECT_EQ(FileBytes(target + U("big")), "old target");
    EXPECT_EQ(Leftovers(target), QStringList());

    // Over the process's file size limit on an ordinary folder: the same message with its own number.
    dir.createFile(QStringLiteral("R/big"), "old target");
    const int failed = InChild([&]() -> int {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {64 << 10, 64 << 10};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 1;
        dialogs.clear();
        CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, older, right, false, false);
        if (dialogs.messages.size() != 1 || dialogs.messages[0].title != U("API Error"))
            return 2;
        return dialogs.messages[0].text.startsWith(QString::number(EFBIG) + U(" - ") + DescribeSystemError(EFBIG)) ? 0 : 3;
    }, false);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(FileBytes(right + U("big")), "old target");
    EXPECT_EQ(Leftovers(right), QStringList());
}

TEST_F(RowOpsTest, AnUnwritableTargetGivesApiErrorAndChangesNothing)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}});
    const RowIndexes selected{0};
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    // The right folder stays root's: the unprivileged user may read it but not write to it.
    const int failed = RunAsNobody([&]() -> int {
        const Outcome outcome = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(1), right, false, false);
        if (!outcome.cancelled)
            return 1;
        if (dialogs.messages.size() != 1 || dialogs.messages[0].title != U("API Error"))
            return 2;
        const QString& text = dialogs.messages[0].text;
        return text.startsWith(QString::number(EACCES) + U(" - ") + DescribeSystemError(EACCES)) ? 0 : 3;
    });
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(Entries(right).isEmpty());
    EXPECT_EQ(FileBytes(left + U("a.txt")), "alpha");
}

TEST_F(RowOpsTest, FailuresAndCancelsOfTheRunnerAreToldOnceAndStopTheCommand)
{
    const ResultList rows = LeftFiles({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    const RowIndexes selected = All(rows);
    FileOps::Result failed;
    failed.error = EIO;
    failed.errorText = DescribeSystemError(EIO);
    failed.failedPath = left + U("b");
    failed.completed = {left + U("a")};
    runner.scripted = failed;
    const Outcome outcome = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(3), right, false, false);
    EXPECT_TRUE(outcome.changed);
    EXPECT_TRUE(outcome.cancelled);
    ExpectOnlyMessage(QString::number(EIO) + U(" - ") + DescribeSystemError(EIO) + CrLf + CrLf + left + U("b") + CrLf + CrLf
                          + U("1 of 3 item(s) were done before the failure."),
                      "API Error", Icon::Warning);

    // Cancelled by the user: no message, not even the success one.
    dialogs.clear();
    FileOps::Result aborted;
    aborted.aborted = true;
    runner.scripted = aborted;
    confirmation.answers = {true};
    EXPECT_TRUE(MoveFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(3), right, true).cancelled);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Objects left alone are listed, and then there is no success message.
    FileOps::Result partly;
    partly.completed = {left + U("a"), left + U("c")};
    partly.skipped = {{left + U("b"), FileOps::Skipped::Reason::ChangedDuringMove}};
    runner.scripted = partly;
    confirmation.answers = {true};
    const Outcome moved = MoveFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(3), right, true);
    EXPECT_FALSE(moved.cancelled);
    ExpectOnlyMessage(U("These object(s) were left as they were:") + CrLf + CrLf + left
                          + U("b (it changed while it was moved, so it was kept where it was)"),
                      "Move", Icon::Warning);
}

TEST_F(RowOpsTest, TrashTakesTheObjectsIntoTheTrashAndARefusalKeepsThem)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}});
    dir.createFile(QStringLiteral("L/Sub/c.txt"), "gamma");
    ResultList withFolder = rows;
    withFolder.push_back(Row("/Sub", Category::OrphanFolder, 5));
    const RowIndexes selected = All(withFolder);
    const OpList list{withFolder, selected, left};
    drives.type = DriveQueries::Type::Other;

    DeleteFilesFromLVW(Services(), list, true, false);
    ASSERT_EQ(confirmation.calls.size(), 1);
    EXPECT_EQ(confirmation.calls[0].caption, U("Confirm Delete"));
    EXPECT_EQ(confirmation.calls[0].prompt,
              U("You are about to send 2 item(s) to the Recycle Bin.") + CrLf + CrLf + U("Do you wish to continue?"));
    EXPECT_EQ(confirmation.calls[0].operation, U("Delete"));
    EXPECT_EQ(confirmation.calls[0].to, QString());
    EXPECT_EQ(Entries(left), Strings({"Sub", "a.txt"}));

    confirmation.answers = {true};
    const Outcome trashed = DeleteFilesFromLVW(Services(), list, true, false);
    EXPECT_TRUE(trashed.changed);
    EXPECT_TRUE(Entries(left).isEmpty());
    EXPECT_EQ(FileBytes(TrashFiles() + U("a.txt")), "alpha");
    EXPECT_EQ(FileBytes(TrashFiles() + U("Sub/c.txt")), "gamma");
    EXPECT_TRUE(QFile::exists(dataHome + U("/Trash/info/a.txt.trashinfo")));
    EXPECT_TRUE(QFile::exists(dataHome + U("/Trash/info/Sub.trashinfo")));
    ExpectOnlyMessage(U("Selected item(s) sent to the Recycle Bin"), "Delete Succeeded", Icon::Information);
    ASSERT_EQ(runner.calls.size(), 1);
    EXPECT_EQ(runner.calls[0].kind, Kind::Trash);

    // A trash that cannot be made (its place is taken by a file) refuses: the object stays.
    dialogs.clear();
    const ResultList kept = LeftFiles({{"keep.txt", "kept"}});
    const RowIndexes one{0};
    const QString blocked = dir.createFolder(QStringLiteral("blocked"));
    dir.createFile(QStringLiteral("blocked/Trash"), "not a folder");
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocked));
    const Outcome refused = DeleteFilesFromLVW(Services(), {kept, one, left}, false, false);
    EXPECT_TRUE(refused.cancelled);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, U("API Error"));
    EXPECT_TRUE(dialogs.messages[0].text.contains(U("The trash did not take it, so it was kept: nothing was deleted.")))
        << qPrintable(dialogs.messages[0].text);
    EXPECT_EQ(FileBytes(left + U("keep.txt")), "kept");
    // Nothing of it went anywhere else either (not below the current folder, where Qt falls back to).
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + U("/files/keep.txt")));
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + U("/info/keep.txt.trashinfo")));
}

TEST_F(RowOpsTest, PermanentDeleteAsksWithItsOwnPromptAndRemovesWholeFolders)
{
    const ResultList rows = LeftFiles({{"a.txt", "alpha"}});
    dir.createFile(QStringLiteral("L/Sub/deep/c.txt"), "gamma");
    ResultList withFolder = rows;
    withFolder.push_back(Row("/Sub", Category::OrphanFolder, 5));
    const RowIndexes selected = All(withFolder);
    const OpList list{withFolder, selected, left};

    DeletePermanentlyFilesFromLVW(Services(), list, true, false);
    ASSERT_EQ(confirmation.calls.size(), 1);
    EXPECT_EQ(confirmation.calls[0].prompt,
              U("You are about to permanently delete 2 item(s).") + CrLf + CrLf + U("Do you wish to continue?"));
    EXPECT_EQ(Entries(left), Strings({"Sub", "a.txt"}));

    confirmation.answers = {true};
    DeletePermanentlyFilesFromLVW(Services(), list, true, false);
    EXPECT_TRUE(Entries(left).isEmpty());
    EXPECT_FALSE(QFile::exists(TrashFiles() + U("a.txt")));
    ExpectOnlyMessage(U("Selected item(s) deleted"), "Delete Succeeded", Icon::Information);

    dialogs.clear();
    const ResultList more = LeftFiles({{"b.txt", "beta"}});
    const RowIndexes one{0};
    DeletePermanentlyFilesFromLVW(Services(), {more, one, left}, false, false);
    EXPECT_EQ(confirmation.calls.size(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(Entries(left).isEmpty());
}

TEST_F(RowOpsTest, FromRemovableAndNetworkDrivesTheTrashBecomesAPermanentDeleteAfterASecondYes)
{
    struct Drive
    {
        DriveQueries::Type type;
        const char* first;
        const char* title;
    };
    for (const Drive& drive : {Drive{DriveQueries::Type::Removable, "Files on removeable drives are not sent to the Recycle Bin.",
                                     "Delete from Removeable Drive"},
                               Drive{DriveQueries::Type::Network, "Files on network drives are not sent to the Recycle Bin.",
                                     "Delete from Network Drive"}}) {
        SCOPED_TRACE(drive.title);
        drives.type = drive.type;
        dialogs.clear();
        confirmation.calls.clear();
        runner.calls.clear();
        const ResultList rows = LeftFiles({{"a.txt", "alpha"}});
        const RowIndexes selected{0};
        const OpList list{rows, selected, left};
        const QString question = U(drive.first) + CrLf + U("They are permanently deleted.") + CrLf + CrLf
                                 + U("Do you still wish to continue?");

        // The second question answered No keeps the file.
        confirmation.answers = {true};
        dialogs.answers = {Answer::No};
        DeleteFilesFromLVW(Services(), list, true, false);
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].text, question);
        EXPECT_EQ(dialogs.messages[0].title, U(drive.title));
        EXPECT_EQ(dialogs.messages[0].icon, Icon::Question);
        EXPECT_EQ(dialogs.messages[0].buttons, UserDialogs::Buttons::YesNo);
        EXPECT_TRUE(runner.calls.isEmpty());
        EXPECT_TRUE(QFile::exists(left + U("a.txt")));

        // Yes twice: deleted for good, and the confirmation window was asked only once.
        dialogs.clear();
        confirmation.answers = {true};
        dialogs.answers = {Answer::Yes};
        DeleteFilesFromLVW(Services(), list, true, false);
        EXPECT_EQ(confirmation.calls.size(), 2);
        ASSERT_EQ(dialogs.messages.size(), 2);
        EXPECT_EQ(dialogs.messages[0].title, U(drive.title));
        EXPECT_EQ(dialogs.messages[1].text, U("Selected item(s) deleted"));
        ASSERT_EQ(runner.calls.size(), 1);
        EXPECT_EQ(runner.calls[0].kind, Kind::Delete);
        EXPECT_FALSE(QFile::exists(left + U("a.txt")));
        EXPECT_FALSE(QFile::exists(TrashFiles() + U("a.txt")));

        // Without confirmation nothing is asked: the trash operation runs.
        dialogs.clear();
        LeftFiles({{"a.txt", "again"}});
        DeleteFilesFromLVW(Services(), list, false, false);
        EXPECT_EQ(confirmation.calls.size(), 2);
        EXPECT_TRUE(dialogs.messages.isEmpty());
        ASSERT_EQ(runner.calls.size(), 2);
        EXPECT_EQ(runner.calls[1].kind, Kind::Trash);
        EXPECT_FALSE(QFile::exists(left + U("a.txt")));
        QFile::remove(TrashFiles() + U("a.txt"));
        QFile::remove(dataHome + U("/Trash/info/a.txt.trashinfo"));
    }
}

TEST_F(RowOpsTest, DropsMoveWithinADriveCopyFromAnotherAndFollowCtrlAndShift)
{
    const QString from = dir.createFolder(QStringLiteral("A")) + QLatin1Char('/');
    const auto drop = [&](const char* name, bool ctrl, bool shift) {
        const QString path = dir.createFile(QStringLiteral("A/") + U(name), QByteArray(name));
        const Outcome outcome = ProcessOLEDragDrop(Services(), {path}, left, ctrl, shift, false);
        EXPECT_TRUE(outcome.changed) << name;
        EXPECT_EQ(FileBytes(left + U(name)), QByteArray(name)) << name;
        return QFile::exists(path) ? Kind::Copy : Kind::Move;
    };
    EXPECT_EQ(drop("plain-same-drive", false, false), Kind::Move);
    EXPECT_EQ(drop("ctrl-same-drive", true, false), Kind::Copy);
    EXPECT_EQ(drop("ctrl-shift", true, true), Kind::Copy);
    drives.drivesByPrefix = {{from, U("/elsewhere")}};
    EXPECT_EQ(drop("plain-other-drive", false, false), Kind::Copy);
    EXPECT_EQ(drop("shift-other-drive", false, true), Kind::Move);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.last().text);
    EXPECT_TRUE(confirmation.calls.isEmpty());

    // A dropped folder arrives as a folder; with confirmation the prompt counts the dropped paths.
    dir.createFile(QStringLiteral("A/Folder/inner.txt"), "inner");
    const QString loose = dir.createFile(QStringLiteral("A/loose"), "loose");
    ProcessOLEDragDrop(Services(), {from + U("Folder"), loose}, left, false, false, true);
    ASSERT_EQ(confirmation.calls.size(), 1);
    EXPECT_EQ(confirmation.calls[0].caption, U("Confirm Copy"));
    EXPECT_EQ(confirmation.calls[0].prompt, U("You are about to copy 2 objects(s).") + CrLf + CrLf + U("Do you wish to continue?"));
    EXPECT_EQ(confirmation.calls[0].from, from);
    EXPECT_EQ(confirmation.calls[0].to, left);
    EXPECT_FALSE(QFile::exists(left + U("Folder")));
    confirmation.answers = {true};
    ProcessOLEDragDrop(Services(), {from + U("Folder"), loose}, left, false, false, true);
    EXPECT_TRUE(IsFolder(left + U("Folder")));
    EXPECT_EQ(FileBytes(left + U("Folder/inner.txt")), "inner");
    ExpectOnlyMessage(U("Selected item(s) copied to ") + left, "Copy Succeeded", Icon::Information);
}

TEST_F(RowOpsTest, DropsOntoTheirOwnFolderDoNothingAndAMissingPaneFolderIsSaid)
{
    const QString own = dir.createFile(QStringLiteral("L/own.txt"), "own");
    for (const QString& pane : {left, dir.file(QStringLiteral("L")), dir.file(QStringLiteral("L/./"))}) {
        const Outcome outcome = ProcessOLEDragDrop(Services(), {own}, pane, false, true, true);
        EXPECT_FALSE(outcome.changed) << qPrintable(pane);
    }
    EXPECT_TRUE(runner.calls.isEmpty());
    EXPECT_TRUE(confirmation.calls.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Entries(left), Strings({"own.txt"}));

    const QString missing = dir.file(QStringLiteral("gone"));
    ProcessOLEDragDrop(Services(), {own}, missing, true, false, true);
    ExpectOnlyMessage(U("The path \"") + missing + U("\" was not found."), "Drag and Drop", Icon::Warning);
    EXPECT_TRUE(runner.calls.isEmpty());
}

TEST_F(RowOpsTest, TwoDroppedObjectsOfOneNameNeverOverwriteEachOther)
{
    const QString first = dir.createFile(QStringLiteral("A/same.txt"), "first");
    const QString second = dir.createFile(QStringLiteral("B/same.txt"), "second");
    confirmation.answers = {true};
    const Outcome outcome = ProcessOLEDragDrop(Services(), {first, second}, right, true, false, true);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(FileBytes(right + U("same.txt")), "first");
    // Only the warning: no success message over it.
    ExpectOnlyMessage(U("These object(s) were left as they were:") + CrLf + CrLf + second
                          + U(" (another object of this operation already took that name in the target folder)"),
                      "Copy", Icon::Warning);
}

TEST_F(RowOpsTest, TwoNamesDifferingOnlyInCaseCopiedOntoVfatKeepTheFirstAndReportTheSecond)
{
    const QString mkfs = QStandardPaths::findExecutable(U("mkfs.vfat"), {U("/usr/sbin"), U("/sbin")});
    if (mkfs.isEmpty())
        GTEST_SKIP() << "mkfs.vfat is not installed (Debian package dosfstools)";
    const QString image = dir.file(QStringLiteral("fat.img"));
    const QString fat = dir.createFolder(QStringLiteral("fat"));
    if (Quietly(mkfs, {U("-C"), image, U("8192")}) != 0)
        GTEST_SKIP() << "mkfs.vfat could not make an image here";
    if (Quietly(U("mount"), {U("-o"), U("loop"), image, fat}) != 0)
        GTEST_SKIP() << "cannot mount a vfat image here (no loop device or no vfat in this kernel)";
    const ResultList rows = LeftFiles({{"README", "capitals"}, {"Readme", "mixed"}});
    const RowIndexes selected = All(rows);
    confirmation.answers = {true};
    const Outcome outcome = CopyFilesToOtherDirAndLVW(Services(), {rows, selected, left}, Placeholders(2), fat, true, false);
    const QStringList landed = Entries(fat);
    const QByteArray content = landed.size() == 1 ? FileBytes(fat + QLatin1Char('/') + landed[0]) : QByteArray();
    Quietly(U("umount"), {fat});
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(landed.size(), 1);
    EXPECT_EQ(content, "capitals");
    ExpectOnlyMessage(U("These object(s) were left as they were:") + CrLf + CrLf + left
                          + U("Readme (another object of this operation already took that name in the target folder)"),
                      "Copy", Icon::Warning);
}

TEST_F(RowOpsTest, NewSubFolderIsCreatedOnceAndEveryRefusalIsSaid)
{
    EXPECT_FALSE(CreateNewSubFolder(dialogs, lib, errors, left, QString()));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(Entries(left).isEmpty());

    EXPECT_TRUE(CreateNewSubFolder(dialogs, lib, errors, left, U("New Sub-Folder")));
    EXPECT_TRUE(IsFolder(left + U("New Sub-Folder")));
    ExpectOnlyMessage(U("The folder \"New Sub-Folder\" was created."), "New Folder Created", Icon::Information);

    dialogs.clear();
    EXPECT_FALSE(CreateNewSubFolder(dialogs, lib, errors, dir.file(QStringLiteral("L")), U("New Sub-Folder")));
    ExpectOnlyMessage(U("A folder named \"New Sub-Folder\" already exists."), "Unable to Create New Folder", Icon::Warning);

    // A file holds the name.
    dialogs.clear();
    dir.createFile(QStringLiteral("L/taken"), "file");
    EXPECT_FALSE(CreateNewSubFolder(dialogs, lib, errors, left, U("taken")));
    ExpectOnlyMessage(U("The folder \"taken\" could not be created.") + CrLf + CrLf + DescribeSystemError(EEXIST),
                      "Unable to Create New Folder", Icon::Warning);

    // A parent the user may not write to.
    dialogs.clear();
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const int failed = RunAsNobody([&]() -> int {
        if (CreateNewSubFolder(dialogs, lib, errors, left, U("Mine")))
            return 1;
        if (dialogs.messages.size() != 1 || dialogs.messages[0].title != U("Unable to Create New Folder"))
            return 2;
        return dialogs.messages[0].text == U("The folder \"Mine\" could not be created.") + CrLf + CrLf + DescribeSystemError(EACCES)
                   ? 0
                   : 3;
    });
    EXPECT_EQ(failed, 0);
    EXPECT_FALSE(QFile::exists(left + U("Mine")));
}
