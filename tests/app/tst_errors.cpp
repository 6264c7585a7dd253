#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "base/ErrorLog.h"
#include "app/frmErrorLog.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

const QString Tail = QStringLiteral("\r\n* If this problem persists, please contact our technical support staff for assistance."
                                    "\r\n  (Refer to the Troubleshooting section of the Help file for details.)");

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

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
    EXPECT_TRUE(ReadAll(log.File()).isEmpty());

    log.AppendEntry(QStringLiteral("/data/a.txt"), QStringLiteral("Reading bytes"),
                    Failure(57, QStringLiteral("Device I/O error")));
    log.AppendEntry(QStringLiteral("/data/b?.txt"), QStringLiteral("Opening the file"),
                    Failure(52, QStringLiteral("Bad file name or number")));
    log.AppendEntry(QStringLiteral("/data/c.txt"), QStringLiteral("Reading bytes"),
                    Failure(14, QStringLiteral("Out of string space")));
    EXPECT_TRUE(log.EntriesWritten());
    EXPECT_EQ(notified, 3);

    const QStringList lines = QString::fromUtf8(ReadAll(log.File())).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3 * 6 + 1); // the file ends with a line end
    EXPECT_EQ(lines[0], QString());
    EXPECT_FALSE(lines[1].isEmpty()); // the date and time
    EXPECT_EQ(lines[2], QStringLiteral("Errors encountered during comparison"));
    EXPECT_EQ(lines[3], QStringLiteral("File Name: /data/a.txt"));
    EXPECT_EQ(lines[4], QStringLiteral("Process: Reading bytes"));
    EXPECT_EQ(lines[5], QStringLiteral("Error: Device I/O error"));
    EXPECT_EQ(lines[9], QStringLiteral("File Name: Contains an invalid character \\/:*?<>|"));
    EXPECT_EQ(lines[10], QStringLiteral("Process: Opening the file"));
    EXPECT_EQ(lines[17], QStringLiteral("Error: Insufficient memory.  Try cutting your chunk size in half."));
    EXPECT_EQ(lines[18], QString());

    log.StartNew();
    EXPECT_FALSE(log.EntriesWritten());
    EXPECT_TRUE(ReadAll(log.File()).isEmpty());
}

TEST(ErrorLogFile, ReportAsksOnlyAfterErrors)
{
    FakeUserDialogs dialogs;
    EXPECT_FALSE(ReportComparisonErrors(false, dialogs));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    EXPECT_TRUE(ReportComparisonErrors(true, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Errors were encountered during the comparison.\r\n"
                                                  "See the file ERRORLOG.TXT for details.\r\n\r\n"
                                                  "Would you like to view the log file now?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Errors Occurred"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Error);
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_FALSE(ReportComparisonErrors(true, dialogs)); // the queue is empty: No
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
