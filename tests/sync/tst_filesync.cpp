#include "FakeUserDialogs.h"
#include "SyncFixture.h"
#include "KilledChild.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "sync/frmFileSync.h"
#include "platform/FileOps.h"
#include "sync/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Icon = UserDialogs::Icon;
constexpr qint64 Noon = 1685620800; // 2023-06-01 12:00 UTC

QStringList Temporaries(const QString& folder)
{
    return QDir(folder).entryList({U(".parvex-*")}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

qint64 ModifiedSeconds(const QString& file) { return QFileInfo(file).lastModified().toSecsSinceEpoch(); }

class FileSyncTest : public ::testing::Test
{
protected:
    FileSyncTest() : ctx(appFolder.path(), dialogs) {}

    void SetUp() override
    {
        BindTestLibrary(ctx);
        one = files.createFileAt(U("one/report.txt"), "the newer text", Noon);
        two = files.createFileAt(U("two/report-copy.txt"), "older", Noon - 3600);
    }

    // Opens the window on the two files, chooses the option, presses OK and answers whether the window
    // was accepted.
    bool RunWindow(const char* option, const DriveQueries& drives = DriveQueries::System())
    {
        frmFileSync window(ctx, one, two, drives);
        EXPECT_EQ(window.windowTitle(), U("File Synchronization Method"));
        EXPECT_EQ(window.findChild<QLabel*>(U("lblFileOne"))->text(), one);
        EXPECT_EQ(window.findChild<QLabel*>(U("lblFileTwo"))->text(), two);
        EXPECT_TRUE(window.findChild<QRadioButton*>(U("optFileTwoSameAsFileOne"))->isChecked());
        window.findChild<QRadioButton*>(QString::fromLatin1(option))->setChecked(true);
        window.findChild<QPushButton*>(U("cmdOK"))->click();
        EXPECT_EQ(window.FileSynchronised(), window.result() == QDialog::Accepted);
        return window.result() == QDialog::Accepted;
    }

    TempDir appFolder;
    TempDir files;
    FakeUserDialogs dialogs;
    AppContext ctx;
    QString one;
    QString two;
};

} // namespace

TEST_F(FileSyncTest, EitherFileIsReplacedByTheOtherUnderItsOwnName)
{
    struct Row
    {
        const char* option;
        bool fileTwoIsTarget;
    };
    for (const Row row : {Row{"optFileTwoSameAsFileOne", true}, Row{"optFileOneSameAsFileTwo", false}}) {
        SetUp();
        dialogs.clear();
        const QString& source = row.fileTwoIsTarget ? one : two;
        const QString& target = row.fileTwoIsTarget ? two : one;
        const QByteArray sourceBytes = FileBytes(source);
        const qint64 sourceTime = ModifiedSeconds(source);

        EXPECT_TRUE(RunWindow(row.option)) << row.option;
        EXPECT_EQ(FileBytes(target), sourceBytes) << row.option;
        EXPECT_EQ(ModifiedSeconds(target), sourceTime) << row.option;
        EXPECT_EQ(FileBytes(source), sourceBytes) << row.option;
        // The target keeps its name: the source's name does not appear beside it.
        const QString targetFolder = QFileInfo(target).absolutePath();
        EXPECT_EQ(QDir(targetFolder).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(target).fileName()})
            << row.option;
        ASSERT_EQ(dialogs.messages.size(), 1) << row.option;
        EXPECT_EQ(dialogs.last().text, U("File synchronization completed successfully."));
        EXPECT_EQ(dialogs.last().title, U("File Sync"));
        EXPECT_EQ(dialogs.last().icon, Icon::Information);
    }
}

TEST_F(FileSyncTest, TheTargetDriveMustHoldWhatTheSourceAddsOnly)
{
    struct Row
    {
        const char* name;
        QByteArray source;
        QByteArray target;
        qint64 free;
        bool refused;
    };
    const Row rows[] = {
        {"growth-beyond-free-space", QByteArray(1000, 'a'), QByteArray(100, 'b'), 899, true},
        {"growth-exactly-the-free-space", QByteArray(1000, 'a'), QByteArray(100, 'b'), 900, false},
        {"shrinking-needs-no-space", QByteArray(10, 'a'), QByteArray(100, 'b'), 0, false},
        {"equal-sizes-need-no-space", QByteArray(100, 'a'), QByteArray(100, 'b'), 0, false},
    };
    for (const Row& row : rows) {
        files.createFile(U("one/report.txt"), row.source);
        files.createFile(U("two/report-copy.txt"), row.target);
        FakeDrives drives;
        drives.drivesByPrefix = {{files.file(U("two")), U("/media/full")}};
        drives.freeBytes[U("/media/full/")] = row.free; // asked with a trailing "/"
        dialogs.clear();

        EXPECT_EQ(RunWindow("optFileTwoSameAsFileOne", drives), !row.refused) << row.name;
        EXPECT_EQ(FileBytes(two), row.refused ? row.target : row.source) << row.name;
        ASSERT_EQ(dialogs.messages.size(), 1) << row.name;
        if (row.refused) {
            EXPECT_EQ(dialogs.last().text, U("Not enough space on drive /media/full to synchronize files.")) << row.name;
            EXPECT_EQ(dialogs.last().title, U("File Sync"));
            EXPECT_EQ(dialogs.last().icon, Icon::Warning);
        }
    }
}

// A file size limit stands in for a disk that fills up during the copy.
TEST_F(FileSyncTest, AFailedCopyLeavesTheOldTargetWhole)
{
    files.createFile(U("one/report.txt"), QByteArray(256 << 10, 'n'));
    const QByteArray before = FileBytes(two);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 << 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool accepted = RunWindow("optFileTwoSameAsFileOne");
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(accepted);
    EXPECT_EQ(FileBytes(two), before);
    EXPECT_EQ(Temporaries(files.file(U("two"))), QStringList());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, U("API Error"));
    EXPECT_TRUE(dialogs.last().text.startsWith(QString::number(EFBIG) + U(" - "))) << qPrintable(dialogs.last().text);
}

TEST_F(FileSyncTest, AKilledReplacementLeavesTheOldTargetWhole)
{
    const QByteArray data(32 << 20, 'n');
    files.createFile(U("one/report.txt"), data);
    const QByteArray before = FileBytes(two);
    const KilledChild child = KillChildAtStop([&](const std::function<void()>& stop) {
        FileOps::Control control;
        control.onProgress = [&](const FileOps::Progress& p) {
            if (p.bytesDone != 0)
                stop();
        };
        SynchronizeFile({dialogs, ctx.Errors(), DriveQueries::System()}, one, two, FileSyncDirection::FileTwoSameAsFileOne,
                        control);
    });
    ASSERT_TRUE(child.reachedStop);
    EXPECT_TRUE(child.killed);
    // The old file keeps its name and bytes; the half copy lies only under a hidden temporary name.
    EXPECT_EQ(FileBytes(two), before);
    EXPECT_EQ(FileBytes(one), data);
}

TEST_F(FileSyncTest, AGoneTargetFolderIsAProblemOfTheTargetDrive)
{
    frmFileSync window(ctx, one, two);
    ASSERT_TRUE(QDir(files.file(U("two"))).removeRecursively());
    window.findChild<QPushButton*>(U("cmdOK"))->click();
    EXPECT_FALSE(window.FileSynchronised());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, U("Problems accessing the target drive."));
    EXPECT_EQ(dialogs.last().title, U("File Sync"));
}

// File 2 is a link into another folder: the link is what gets replaced, the file it pointed to stays.
TEST_F(FileSyncTest, ALinkIsReplacedAsTheLinkNeverFollowedOut)
{
    const QString elsewhere = files.createFile(U("elsewhere/real.txt"), "kept as it is");
    QFile::remove(two);
    ASSERT_TRUE(QFile::link(elsewhere, two));
    EXPECT_TRUE(RunWindow("optFileTwoSameAsFileOne"));
    EXPECT_FALSE(QFileInfo(two).isSymLink());
    EXPECT_EQ(FileBytes(two), "the newer text");
    EXPECT_EQ(FileBytes(elsewhere), "kept as it is");
}

