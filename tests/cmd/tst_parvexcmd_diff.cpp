#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "diff/DiffRun.h"
#include "diff/LineDiffEngine.h"
#include "diff/frmFileDiffs.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QString errors;
};

// The output is kept as bytes: the differences of files that are not UTF-8 are compared byte for byte.
Result RunForBytes(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000));
    Result r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Result Diff(const QStringList& args) { return RunForBytes(TestBinDir() + U("/parvexcmd"), QStringList{U("diff")} + args); }

class ParvexCmdDiffTest : public ::testing::Test
{
protected:
    TempDir dir;
};

TEST_F(ParvexCmdDiffTest, UnixPrintsDiffsOwnBytes)
{
    // Latin-1 bytes, a CR LF line and a last line without a line end come out as diff wrote them.
    const QString a = dir.createFile(U("a.txt"), "caf\xe9\r\nkeep\nend");
    const QString b = dir.createFile(U("b.txt"), "cafe\r\nkeep\nEND");
    const Result mine = Diff({U("--format"), U("unix"), a, b});
    const Result gnu = RunForBytes(U("diff"), {a, b});
    EXPECT_EQ(mine.exitCode, 1);
    EXPECT_EQ(mine.out, gnu.out);
    EXPECT_TRUE(mine.errors.isEmpty());

    const Result ignoring = Diff({U("--format"), U("unix"), U("--ignore-case"), a, b});
    EXPECT_EQ(ignoring.out, RunForBytes(U("diff"), {U("-i"), a, b}).out);
}

TEST_F(ParvexCmdDiffTest, VisualPrintsTheRowsTheWindowShows)
{
    const QString a = dir.createFile(U("a.txt"), "one\ntwo\tTab\nthree\nfour\n");
    const QString b = dir.createFile(U("b.txt"), "one\n2\nthree\nfour\nfive\n");
    const Result r = Diff({a, b});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(r.out), U("=\t 1.one\t=\t 1.one\n"
                                          "~\t 2.two   Tab\t~\t 2.2\n"
                                          "=\t 3.three\t=\t 3.three\n"
                                          "=\t 4.four\t=\t 4.four\n"
                                          "=\t\t+\t 5.five\n"
                                          "differences\t2,5\n"));

    // The window over the same run shows the same rows.
    FakeUserDialogs dialogs;
    TempDir app;
    AppContext ctx(app.path(), dialogs);
    BindTestLibrary(ctx);
    frmFileDiffs window(ctx, RunFileDiffs({a, b}, ctx.DiffEngine()), ctx.DiffEngine());
    const QStringList lines = QString::fromUtf8(r.out).split(U("\n"), Qt::SkipEmptyParts);
    for (int32_t row = 1; row < window.Navigator().RowCount(); ++row) {
        const QStringList cells = lines[row - 1].split(U("\t"));
        EXPECT_EQ(cells[1], window.Navigator().RowText(DiffNavigator::Side::Left, row)) << row;
        EXPECT_EQ(cells[3], window.Navigator().RowText(DiffNavigator::Side::Right, row)) << row;
    }
}

TEST_F(ParvexCmdDiffTest, MessagesGoToStandardErrorWithTheResultAsExitStatus)
{
    const QString a = dir.createFile(U("a.txt"), "same\n");
    const QString b = dir.createFile(U("b.txt"), "same\n");
    Result r = Diff({a, b});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.errors, U("Compare Files: The files are identical\n"));

    r = Diff({U("--format"), U("unix"), a, dir.file(U("missing"))});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.errors.startsWith(U("Compare Files: Errors encountered comparing the files\n\n")));
    EXPECT_TRUE(r.errors.contains(U("No such file or directory")));

    const QString bin = dir.createFile(U("bin"), QByteArray("\0\1\2", 3));
    r = Diff({a, bin});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.errors.startsWith(U("Compare Files: The files differ but the differences are not viewable.")));

    // Bad usage.
    EXPECT_EQ(Diff({a}).exitCode, 2);
    EXPECT_EQ(Diff({U("--format"), U("html"), a, b}).exitCode, 2);
    EXPECT_EQ(Diff({U("--bogus"), a, b}).exitCode, 2);
}

} // namespace
