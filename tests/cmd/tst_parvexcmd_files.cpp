#include "FakeUserDialogs.h"
#include "PeFiles.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "diff/frmCompareFiles.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>
#include <ostream>

namespace {

constexpr qint64 Noon = 1685620800; // 2023-06-01 12:00 UTC

struct Result
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// A private copy of parvexcmd with its own application folder, so that no parvex.ini of another run counts.
class ParvexCmdFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bin = PrivateParvexCmdFolder(tmp);
    }

    Result Run(const QStringList& args) const
    {
        QProcess p;
        p.start(bin + U("/parvexcmd"), QStringList{U("files")} + args);
        EXPECT_TRUE(p.waitForFinished(120000));
        Result r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // The FAT/NTFS options off, as a fresh window's comparison settings have them.
    Result Files(const QString& one, const QString& two, const QStringList& options = {}) const
    {
        return Run(options + QStringList{U("--no-ignore-2sec"), U("--no-ignore-dst"), one, two});
    }

    // The rows the window shows for the two files, as the command writes them.
    QStringList WindowRows(const QString& one, const QString& two)
    {
        FakeUserDialogs dialogs;
        AppContext ctx(appFolder.path(), dialogs);
        BindTestLibrary(ctx);
        frmCompareFiles window(ctx, {{}, {}, {}, {}, one, two}, {});
        window.findChild<QPushButton*>(U("cmdCompare"))->click();
        const auto* list = window.findChild<QTableWidget*>(U("lvwCompareFiles"));
        QStringList rows;
        for (int r = 0; r < list->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->item(r, c)->text();
            cells[0] = cells[0].trimmed();
            rows << cells.join(QLatin1Char('\t'));
        }
        return rows;
    }

    TempDir tmp;
    TempDir appFolder;
    QString bin;
};

} // namespace

TEST_F(ParvexCmdFilesTest, WritesTheWindowsRowsAndTellsWhetherAnythingDiffers)
{
    struct Case
    {
        const char* name;
        QByteArray one;
        QByteArray two;
        qint64 oneLaterBy;
        int exitCode;
    };
    const Case cases[] = {
        {"equal-text-files", "123456789", "123456789", 0, 0},
        {"different-sizes", "1234", "123456789", 0, 1},
        {"same-size-other-bytes", "123456789", "123456780", 0, 1},
        {"only-the-time-differs", "123456789", "123456789", 60, 1},
        {"empty-files", {}, {}, 0, 0},
        {"programs-of-two-versions", PeFileOfVersion({1, 0, 0, 1}), PeFileOfVersion({1, 0, 0, 2}), 0, 1},
        {"programs-of-one-version", PeFileOfVersion({3, 1, 4, 1}), PeFileOfVersion({3, 1, 4, 1}), 0, 0},
    };
    for (const Case& c : cases) {
        const QString one = tmp.createFileAt(U("one/file"), c.one, Noon + c.oneLaterBy);
        const QString two = tmp.createFileAt(U("two/file"), c.two, Noon);
        const Result r = Files(one, two);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << qPrintable(r.errors);
        EXPECT_EQ(r.lines, WindowRows(one, two)) << c.name;
        EXPECT_TRUE(r.errors.isEmpty()) << c.name << ": " << qPrintable(r.errors);
    }
}

TEST_F(ParvexCmdFilesTest, ChecksChooseTheRowsAndTheVerdict)
{
    const QString one = tmp.createFileAt(U("one"), "123456789", Noon);
    const QString two = tmp.createFileAt(U("two"), "123456780", Noon);
    Result r = Files(one, two, {U("--checks"), U("size,date")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errors);
    ASSERT_EQ(r.lines.size(), 2);
    EXPECT_TRUE(r.lines[0].startsWith(U("Size\t")));
    EXPECT_TRUE(r.lines[1].startsWith(U("Date/Time\t")));

    // Rows keep the window's order whatever order the list names them in.
    r = Files(one, two, {U("--checks=crc,contents,size")});
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(r.lines.size(), 3);
    EXPECT_TRUE(r.lines[0].startsWith(U("Size\t")));
    EXPECT_EQ(r.lines[1].section(QLatin1Char('\t'), 3), U("The files are different"));
    EXPECT_EQ(r.lines[2].section(QLatin1Char('\t'), 0, 0), U("CRC32"));

    // A version that neither file has is no difference.
    r = Files(one, one, {U("--checks"), U("version")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines, QStringList{U("Version\tNo version stamp\tNo version stamp\tVersion not available for both files")});
    r = Files(tmp.createFile(U("old.exe"), PeFileOfVersion({1, 0, 0, 1})), tmp.createFile(U("new.exe"), PeFileOfVersion({1, 0, 1, 0})),
              {U("--checks"), U("version")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines, QStringList{U("Version\t1.0.0.1\t1.0.1.0\tFile 1 is older than file 2")});
}

TEST_F(ParvexCmdFilesTest, TroubleEndsWithStatusTwo)
{
    const QString one = tmp.createFile(U("one"), "1");
    const QString missing = tmp.file(U("missing"));
    struct Case
    {
        const char* name;
        QStringList args;
        QString error;
    };
    const Case cases[] = {
        {"unknown-check", {U("--checks"), U("size,colour"), one, one}, U("unknown check \"colour\"")},
        {"one-file", {one}, U("files needs two files")},
        {"file-2-missing", {one, missing}, U("File Not Found: \"") + missing + U("\"  is not an existing file.")},
    };
    for (const Case& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.name;
        EXPECT_TRUE(r.lines.isEmpty()) << c.name;
        EXPECT_TRUE(r.errors.contains(c.error)) << c.name << ": " << qPrintable(r.errors);
    }
}

