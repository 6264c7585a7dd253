#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "base/ErrorLog.h"
#include "app/frmErrorLog.h"

#include "../model/ModelFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

const QString Tail = QStringLiteral("\r\n* If this problem persists, please contact our technical support staff for assistance."
                                    "\r\n  (Refer to the Troubleshooting section of the Help file for details.)");

} // namespace

TEST(UnexpectedError, MessageWithoutSystemCodeNamesTheFailureNumber)
{
    FakeUserDialogs dialogs;
    ErrorHandler handler(dialogs);
    try {
        throw Failure(53, QStringLiteral("File not found"), QStringLiteral("Parvex"));
    } catch (...) {
        handler.HandleUnexpectedError(QStringLiteral("CDir.AddSubDir"));
    }
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("Error: File not found\r\nSource: CDir.AddSubDir\r\nNo: 53\r\n") + Tail);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unexpected Error in Parvex"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::Ok);
}

TEST(UnexpectedError, SystemCodeComesFirstAndReplacesTheNumber)
{
    FakeUserDialogs dialogs;
    ErrorHandler handler(dialogs);
    try {
        throw Failure::FromErrno(EACCES, true, QStringLiteral("modParvex.Main"));
    } catch (...) {
        handler.HandleUnexpectedError(QStringLiteral("frmMain.CompareDirs"));
    }
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("DLL Error: Permission denied\r\nError: Permission denied\r\n"
                                                  "Source: frmMain.CompareDirs\r\nNo: ")
                                       + QString::number(EACCES) + QStringLiteral("\r\n") + Tail);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unexpected Error in modParvex.Main"));
}

TEST(UnexpectedError, Failure380IsSilentButStillClosesTheProgressWindow)
{
    FakeUserDialogs dialogs;
    ErrorHandler handler(dialogs);
    int closed = 0;
    handler.SetCompareHooks([] { return true; }, [&] { ++closed; });
    try {
        throw Failure(Failure::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    } catch (...) {
        handler.HandleUnexpectedError(QStringLiteral("frmOptions.Form_Load"));
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(closed, 1);
}

TEST(UnexpectedError, ForeignExceptionsBecomeFailures)
{
    FakeUserDialogs dialogs;
    ErrorHandler handler(dialogs);
    try {
        throw std::bad_alloc();
    } catch (...) {
        handler.HandleUnexpectedError(QStringLiteral("X.Y"));
    }
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.startsWith(QStringLiteral("Error: Out of memory\r\nSource: X.Y\r\nNo: 7\r\n")));
}

TEST(SystemErrors, DescriptionsAndNumbers)
{
    EXPECT_EQ(DescribeSystemError(ENOENT), QStringLiteral("No such file or directory"));
    EXPECT_EQ(DescribeSystemError(987654), QStringLiteral("Error (987654) not defined."));

    struct Row { int err; bool onFile; int number; };
    const Row rows[] = {
        {EACCES, true, 70}, {EPERM, false, 70}, {ENOENT, true, 53}, {ENOENT, false, 76}, {ENOTDIR, true, 76},
        {EINVAL, true, 52}, {ENAMETOOLONG, false, 52}, {EILSEQ, true, 52}, {ENOMEM, true, 7}, {ENOSPC, true, 61},
    };
    for (const Row& r : rows) {
        const Failure f = Failure::FromErrno(r.err, r.onFile);
        EXPECT_EQ(f.number(), r.number) << r.err;
        EXPECT_EQ(f.systemCode(), r.err);
        EXPECT_FALSE(f.description().isEmpty());
    }
}

TEST(ErrorLogFile, EntriesAreWrittenLineByLineWithTheSpecialCases)
{
    TempDir dir;
    ErrorLog log(dir.file(QStringLiteral("ERRORLOG.TXT")));
    int notified = 0;
    log.SetOnEntry([&] { ++notified; });
    log.StartNew();
    EXPECT_FALSE(log.EntriesWritten());
    EXPECT_TRUE(FileBytes(log.File()).isEmpty());

    log.AppendEntry(QStringLiteral("/data/a.txt"), QStringLiteral("Reading bytes"),
                    Failure(57, QStringLiteral("Device I/O error")));
    log.AppendEntry(QStringLiteral("/data/b?.txt"), QStringLiteral("Opening the file"),
                    Failure(52, QStringLiteral("Bad file name or number")));
    log.AppendEntry(QStringLiteral("/data/c.txt"), QStringLiteral("Reading bytes"),
                    Failure(14, QStringLiteral("Out of string space")));
    EXPECT_TRUE(log.EntriesWritten());
    EXPECT_EQ(notified, 3);

    const QStringList lines = QString::fromUtf8(FileBytes(log.File())).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3 * 6 + 1); // the file ends with a line end
    EXPECT_EQ(lines[0], QString());
    EXPECT_FALSE(lines[1].isEmpty()); // the date and time
    EXPECT_EQ(lines[2], QStringLiteral("Errors encountered during comparison"));
    EXPECT_EQ(lines[3], QStringLiteral("File Name: /data/a.txt"));
    EXPECT_EQ(lines[4], QStringLiteral("Process: Reading bytes"));
    EXPECT_EQ(lines[5], QStringLiteral("Error: Device I/O error"));
    EXPECT_EQ(lines[9], QStringLiteral("File Name: /data/b?.txt"));
    EXPECT_EQ(lines[10], QStringLiteral("Process: Opening the file"));
    EXPECT_EQ(lines[17], QStringLiteral("Error: Insufficient memory.  Try cutting your chunk size in half."));
    EXPECT_EQ(lines[18], QString());

    log.StartNew();
    EXPECT_FALSE(log.EntriesWritten());
    EXPECT_TRUE(FileBytes(log.File()).isEmpty());
}

TEST(ErrorLogFile, ReportAsksOnlyAfterErrors)
{
    FakeUserDialogs dialogs;
    TempDir dir;
    ErrorLog log(dir.file(QStringLiteral("ERRORLOG.TXT")));
    EXPECT_FALSE(ReportComparisonErrors(false, log, dialogs, true));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_TRUE(ReportComparisonErrors(true, log, dialogs, true));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Errors were encountered during the comparison.\r\n"
                                                  "See the file ERRORLOG.TXT for details.\r\n\r\n"
                                                  "Would you like to view the log file now?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Errors Occurred"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Error);
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_FALSE(ReportComparisonErrors(true, log, dialogs, true)); // the queue is empty: No

    // Without a window to show it in, the log is named by its full path and nothing is asked.
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_FALSE(ReportComparisonErrors(true, log, dialogs, false));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Errors were encountered during the comparison.\r\nSee the file ")
                                       + dir.file(QStringLiteral("ERRORLOG.TXT")) + QStringLiteral(" for details."));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::Ok);
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Error);
}

namespace {

int CountEntries(const QString& file) { return int(FileBytes(file).count("Errors encountered during comparison\r\n")); }

Failure ReadFailure() { return Failure(57, QStringLiteral("Device I/O error")); }

} // namespace

TEST(ErrorLogFile, TwoRunsAtOnceNeverEmptyEachOthersLog)
{
    TempDir dir;
    const QString own = dir.file(QStringLiteral("app/ERRORLOG.TXT"));
    const QString fallback = dir.file(QStringLiteral("cache"));
    dir.createFolder(QStringLiteral("app"));
    auto first = std::make_unique<ErrorLog>(own, QStringList{fallback});
    first->StartNew();
    first->AppendEntry(QStringLiteral("/first/a"), QStringLiteral("Reading bytes"), ReadFailure());

    ErrorLog second(own, {fallback});
    second.StartNew();
    second.AppendEntry(QStringLiteral("/second/b"), QStringLiteral("Reading bytes"), ReadFailure());
    EXPECT_EQ(second.File(), fallback + QStringLiteral("/ERRORLOG.TXT"));
    EXPECT_EQ(second.Displacement(), QStringLiteral("it is in use by another comparison"));
    EXPECT_TRUE(FileBytes(own).contains("File Name: /first/a\r\n"));
    EXPECT_EQ(CountEntries(own), 1);
    EXPECT_TRUE(FileBytes(second.File()).contains("File Name: /second/b\r\n"));

    // A third finds both places owned and takes a file of its own beside the second's.
    ErrorLog third(own, {fallback});
    third.StartNew();
    third.AppendEntry(QStringLiteral("/third/c"), QStringLiteral("Reading bytes"), ReadFailure());
    EXPECT_TRUE(third.File().startsWith(fallback + QStringLiteral("/ERRORLOG-"))) << qPrintable(third.File());
    EXPECT_EQ(CountEntries(third.File()), 1);
    EXPECT_EQ(CountEntries(second.File()), 1);
    EXPECT_EQ(CountEntries(own), 1);

    FakeUserDialogs dialogs;
    ReportComparisonErrors(true, second, dialogs, true);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Errors were encountered during the comparison.\r\nSee the file ") + second.File()
                                       + QStringLiteral(" for details.\r\n(It could not be written to ") + own
                                       + QStringLiteral(": it is in use by another comparison.)\r\n\r\n"
                                                        "Would you like to view the log file now?"));

    // The next run of the first program empties its own log; once that program ends, the place is free.
    first->StartNew();
    EXPECT_EQ(CountEntries(own), 0);
    first.reset();
    third.StartNew();
    EXPECT_EQ(third.File(), own);
    EXPECT_EQ(third.Displacement(), QString());
}

TEST(ErrorLogFile, AnApplicationFolderItCannotWriteSendsTheLogElsewhere)
{
    TempDir dir;
    const QString app = dir.createFolder(QStringLiteral("app"));
    const QString open = dir.createFolder(QStringLiteral("open"));
    OpenToEveryone(dir.path());
    OpenToEveryone(app);
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0777), 0);
    const QString own = app + QStringLiteral("/ERRORLOG.TXT");
    const QString fallback = open + QStringLiteral("/parvex");
    const int failed = RunWithoutPrivileges([&] {
        ErrorLog log(own, {fallback});
        log.StartNew();
        log.AppendEntry(QStringLiteral("/data/a"), QStringLiteral("Reading bytes"), ReadFailure());
        if (log.File() != fallback + QStringLiteral("/ERRORLOG.TXT") || log.Displacement() != QStringLiteral("Permission denied"))
            return 1;
        if (CountEntries(log.File()) != 1 || QFile::exists(own))
            return 2;
        FakeUserDialogs dialogs;
        ReportComparisonErrors(true, log, dialogs, false);
        if (dialogs.last().text != QStringLiteral("Errors were encountered during the comparison.\r\nSee the file ") + log.File()
                                       + QStringLiteral(" for details.\r\n(It could not be written to ") + own
                                       + QStringLiteral(": Permission denied.)"))
            return 3;
        return 0;
    });
    EXPECT_EQ(failed, 0);
}

TEST(ErrorLogFile, AFullDiskMovesTheWholeLogElsewhere)
{
    TempDir dir;
    const QString small = dir.createFolder(QStringLiteral("small"));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "a small tmpfs cannot be mounted here: " << std::strerror(errno);
    struct Unmount
    {
        QString path;
        ~Unmount() { ::umount2(QFile::encodeName(path).constData(), MNT_DETACH); }
    } unmount{small};

    const QString own = small + QStringLiteral("/ERRORLOG.TXT");
    ErrorLog log(own, {dir.file(QStringLiteral("cache"))});
    log.StartNew();
    log.AppendEntry(QStringLiteral("/data/0"), QStringLiteral("Reading bytes"), ReadFailure());
    // The rest of the file system goes to another file; the log keeps the page it has.
    {
        QFile filler(small + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
    }
    constexpr int Entries = 100; // more than a page holds
    for (int i = 1; i < Entries; ++i)
        log.AppendEntry(QStringLiteral("/data/%1").arg(i), QStringLiteral("Reading bytes"), ReadFailure());

    EXPECT_EQ(log.File(), dir.file(QStringLiteral("cache/ERRORLOG.TXT")));
    EXPECT_EQ(log.Displacement(), QStringLiteral("No space left on device"));
    EXPECT_EQ(log.Lost(), QString());
    const QByteArray moved = FileBytes(log.File());
    EXPECT_EQ(CountEntries(log.File()), Entries);
    for (int i = 0; i < Entries; ++i)
        EXPECT_TRUE(moved.contains("File Name: /data/" + QByteArray::number(i) + "\r\n")) << i;
    // What stays behind ends with a whole entry.
    EXPECT_TRUE(FileBytes(own).endsWith("Error: Device I/O error\r\n"));
}

TEST(ErrorLogFile, ALogWithNoPlaceToGoSaysSo)
{
    TempDir dir;
    const QString blocker = dir.createFile(QStringLiteral("blocker"), "x");
    const QString own = blocker + QStringLiteral("/ERRORLOG.TXT");
    ErrorLog log(own, {blocker + QStringLiteral("/cache")});
    log.StartNew();
    log.AppendEntry(QStringLiteral("/data/a"), QStringLiteral("Reading bytes"), ReadFailure());
    EXPECT_TRUE(log.EntriesWritten());
    EXPECT_EQ(log.Lost(), QStringLiteral("Not a directory"));

    FakeUserDialogs dialogs;
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_FALSE(ReportComparisonErrors(true, log, dialogs, true)) << "there is nothing to show";
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Errors were encountered during the comparison.\r\n"
                                                  "The error log could not be written to ")
                                       + own + QStringLiteral(" (Not a directory) or anywhere else."));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::Ok);
}

TEST(ErrorLogWindow, ShowsClearsAndRecreatesTheLog)
{
    TempDir app;
    FakeUserDialogs dialogs;
    AppContext ctx(app.path(), dialogs);
    frmErrorLog window(ctx);
    window.setWindowTitle(frmErrorLog::ErrorLogCaption());

    // A missing log is created empty and shows the no-errors text.
    window.LoadFile(ctx.Log().File());
    EXPECT_TRUE(QFile::exists(ctx.Log().File()));
    EXPECT_EQ(window.ShownText(), QStringLiteral("No Errors Encountered During Last Comparison."));

    ctx.Log().AppendEntry(QStringLiteral("/x/y.bin"), QStringLiteral("Reading bytes"),
                          Failure(57, QStringLiteral("Device I/O error")));
    window.LoadFile(ctx.Log().File());
    EXPECT_TRUE(window.ShownText().contains(QStringLiteral("File Name: /x/y.bin\nProcess: Reading bytes")));

    window.findChild<QPushButton*>(QStringLiteral("cmdClear"))->click();
    EXPECT_EQ(window.ShownText(), QStringLiteral("No Errors Encountered During Last Comparison."));
    EXPECT_TRUE(QFile::exists(ctx.Log().File()));
    EXPECT_EQ(QFileInfo(ctx.Log().File()).size(), 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // The log follows the file the window made in place of the one it deleted.
    ctx.Log().AppendEntry(QStringLiteral("/x/z.bin"), QStringLiteral("Reading bytes"),
                          Failure(57, QStringLiteral("Device I/O error")));
    window.LoadFile(ctx.Log().File());
    EXPECT_TRUE(window.ShownText().contains(QStringLiteral("File Name: /x/z.bin\n")));
    EXPECT_FALSE(window.ShownText().contains(QStringLiteral("/x/y.bin")));
}

TEST(ErrorLogWindow, OtherCaptionsShowNothingForAnEmptyFileAndLargeFilesAreRefused)
{
    TempDir app;
    FakeUserDialogs dialogs;
    AppContext ctx(app.path(), dialogs);
    frmErrorLog window(ctx);
    window.setWindowTitle(QStringLiteral("Synchronization History"));
    const QString empty = app.createFile(QStringLiteral("empty.log"), {});
    window.LoadFile(empty);
    EXPECT_EQ(window.ShownText(), QString());

    const QString big = app.file(QStringLiteral("big.log"));
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(frmErrorLog::MaxDisplayBytes + 1));
    f.close();
    window.LoadFile(big);
    EXPECT_EQ(window.ShownText(),
              QStringLiteral("\"The file ") + big + QStringLiteral("\" is too large to display.\n"
              "Open the file in a text editor and remove any unnecessary information.  Press the Clear button at "
              "the bottom of this screen if you wish to remove all of the information in the file."));
}

TEST(HelperLibrary, AMissingLibraryNamesTheFile)
{
    TempDir app;
    FakeUserDialogs dialogs;
    AppContext ctx(app.path(), dialogs);
    QString problem;
    EXPECT_FALSE(ctx.LoadHelperLibrary(&problem, app.file(QStringLiteral("libparvexlib.so"))));
    EXPECT_EQ(problem, app.file(QStringLiteral("libparvexlib.so")));
    EXPECT_FALSE(ctx.Lib().IsLoaded());
}
