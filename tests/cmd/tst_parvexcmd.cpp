#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 T0 = 1685620800;

struct Result
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// Runs a private copy of parvexcmd: its application folder (and so its parvex.ini) is the test's own.
class ParvexCmdTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bin = PrivateParvexCmdFolder(tmp);
        left = tmp.createFolder(QStringLiteral("left"));
        right = tmp.createFolder(QStringLiteral("right"));
    }

    void Ini(const QByteArray& options)
    {
        QFile f(bin + QStringLiteral("/parvex.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Options]\r\n" + options);
    }

    // Every setting given, so that nothing depends on parvex.ini.
    static QStringList Explicit()
    {
        return {QStringLiteral("--method"), QStringLiteral("quick"), QStringLiteral("--subfolders"),
                QStringLiteral("--no-ignore-2sec"), QStringLiteral("--no-ignore-dst"), QStringLiteral("--include"),
                QString(), QStringLiteral("--exclude"), QString()};
    }

    Result Run(QStringList args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
               const QString& standardOutput = {})
    {
        QProcess p;
        p.setProcessEnvironment(env);
        if (!standardOutput.isEmpty())
            p.setStandardOutputFile(standardOutput);
        p.start(bin + QStringLiteral("/parvexcmd"), args);
        return Finish(p);
    }

    static Result Finish(QProcess& p)
    {
        EXPECT_TRUE(p.waitForFinished(60000));
        Result r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        r.lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    Result Compare(const QStringList& extra = {})
    {
        return Run(QStringList{QStringLiteral("compare")} + Explicit() + extra + QStringList{left, right});
    }

    void WriteSettings(const QByteArray& text)
    {
        QFile f(bin + QStringLiteral("/parvex.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QString IniPath() const { return bin + QStringLiteral("/parvex.ini"); }

    TempDir tmp;
    QString bin;
    QString left;
    QString right;
};

QString Line(std::initializer_list<const char*> fields)
{
    QStringList parts;
    for (const char* f : fields)
        parts << QString::fromUtf8(f);
    return parts.join(QLatin1Char('\t'));
}
} // namespace

TEST_F(ParvexCmdTest, RowsAndExitStatus)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "12345", T0);
    tmp.createFileAt(QStringLiteral("right/A.TXT"), "12345", T0);
    tmp.createFileAt(QStringLiteral("left/b"), "x", T0 + 60);
    tmp.createFileAt(QStringLiteral("right/b"), "x", T0);
    tmp.createFileAt(QStringLiteral("left/README"), "1", T0);
    tmp.createFileAt(QStringLiteral("left/Readme"), "22", T0);
    tmp.createFileAt(QStringLiteral("right/README"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/only"), "abc", T0);
    tmp.createFileAt(QStringLiteral("left/Sub/x"), "1234", T0);
    tmp.createFileAt(QStringLiteral("right/Sub/x"), "1234", T0 + 30);
    tmp.createFileAt(QStringLiteral("left/Same/y"), "12", T0);
    tmp.createFileAt(QStringLiteral("right/Same/y"), "12", T0);
    tmp.createFileAt(QStringLiteral("right/New/z"), "123", T0);

    const Result r = Compare();
    EXPECT_EQ(r.exitCode, 1) << qPrintable(r.errors);
    EXPECT_EQ(r.lines, (QStringList{
                           Line({"a.txt", "5", "Same", "A.TXT", "5", "Same"}),
                           Line({"b", "1", "Newer", "b", "1", "Older"}),
                           Line({"", "", "", "only", "3", "Orphan"}),
                           Line({"README", "1", "Same", "README", "1", "Same"}),
                           Line({"Readme", "2", "Orphan", "", "", ""}),
                           Line({"", "", "", "/New", "3", "OrphanFolder"}),
                           Line({"/Same", "2", "IdenticalFolder", "/Same", "2", "IdenticalFolder"}),
                           Line({"/Sub", "4", "DifferentFolder", "/Sub", "4", "DifferentFolder"}),
                       }));

    const Result details = Compare({QStringLiteral("--details")});
    EXPECT_EQ(details.lines.mid(r.lines.size()), (QStringList{Line({"Sub/x", "4", "Older", "Sub/x", "4", "Newer"})}));
}

TEST_F(ParvexCmdTest, IdenticalFoldersExitZero)
{
    tmp.createFileAt(QStringLiteral("left/a"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/a"), "1", T0);
    tmp.createFileAt(QStringLiteral("left/D/b"), "22", T0);
    tmp.createFileAt(QStringLiteral("right/D/b"), "22", T0);
    const Result r = Compare({QStringLiteral("--method"), QStringLiteral("sha"), QStringLiteral("--chunk-size"),
                              QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errors);
    EXPECT_EQ(r.lines, (QStringList{Line({"a", "1", "Same", "a", "1", "Same"}),
                                    Line({"/D", "2", "IdenticalFolder", "/D", "2", "IdenticalFolder"})}));
    EXPECT_TRUE(r.errors.isEmpty()) << qPrintable(r.errors);

    // Two empty folders have nothing that differs.
    tmp.createFolder(QStringLiteral("e1"));
    tmp.createFolder(QStringLiteral("e2"));
    const Result empty = Run({QStringLiteral("compare"), tmp.file(QStringLiteral("e1")), tmp.file(QStringLiteral("e2"))});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_TRUE(empty.lines.isEmpty());
}

TEST_F(ParvexCmdTest, TroubleExitsTwoWithTheMessageOnStandardError)
{
    const QString missing = tmp.file(QStringLiteral("missing"));
    Result r = Run({QStringLiteral("compare"), left, missing});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_EQ(r.errors, QStringLiteral("Compare Failed: An error occurred while processing \"") + missing
                            + QStringLiteral("\".\n\nMake sure that the folder exists and that you have permission "
                                             "to access it.\n"));

    r = Run({QStringLiteral("compare"), left, left + QStringLiteral("/")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, QStringLiteral("Folders Are Same: Please specify two different folders to compare.\n"));

    r = Run({QStringLiteral("compare"), QStringLiteral("--method"), QStringLiteral("fast"), left, right});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("unknown method"))) << qPrintable(r.errors);

    r = Run({QStringLiteral("compare"), left});
    EXPECT_EQ(r.exitCode, 2);

    r = Run({QStringLiteral("compare"), QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.lines.join(QLatin1Char('\n')).contains(QStringLiteral("--ignore-dst")));

    // Without its helper library the command stops at once.
    ASSERT_TRUE(QFile::remove(bin + QStringLiteral("/libparvexlib.so")));
    r = Run({QStringLiteral("compare"), left, right});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("libparvexlib.so"))) << qPrintable(r.errors);
}

// The command maps QtCore alone: the widget side of the helper library stays closed even when it sits next
// to the library, and nothing else pulls QtGui in.
TEST_F(ParvexCmdTest, LoadsNoWidgetLibraries)
{
    ASSERT_TRUE(QFile::copy(TestBinDir() + QStringLiteral("/libparvexlib_widgets.so"),
                            bin + QStringLiteral("/libparvexlib_widgets.so")));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("libs"));
    const Result r = Run({QStringLiteral("compare"), left, right}, env);
    EXPECT_EQ(r.exitCode, 0);
    // The loader's trace names what it maps; without the helper library in it the trace proves nothing.
    ASSERT_TRUE(r.errors.contains(QStringLiteral("/libparvexlib.so"))) << qPrintable(r.errors.left(2000));
    for (const char* name : {"libQt6Widgets", "libQt6Gui", "libparvexlib_widgets"})
        EXPECT_FALSE(r.errors.contains(QLatin1String(name))) << name;
}

TEST_F(ParvexCmdTest, SettingsComeFromTheIniUnlessGiven)
{
    tmp.createFileAt(QStringLiteral("left/a.txt"), "1", T0 + 2);
    tmp.createFileAt(QStringLiteral("right/a.txt"), "1", T0);
    tmp.createFileAt(QStringLiteral("left/b.doc"), "1", T0);
    tmp.createFileAt(QStringLiteral("left/D/c.txt"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/D/c.txt"), "1", T0);

    // The program's defaults: sub-folders on, two-second allowance on.
    Result r = Run({QStringLiteral("compare"), left, right});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines, (QStringList{Line({"a.txt", "1", "Same", "a.txt", "1", "Same"}),
                                    Line({"b.doc", "1", "Orphan", "", "", ""}),
                                    Line({"/D", "1", "IdenticalFolder", "/D", "1", "IdenticalFolder"})}));

    Ini("CompareSubFolders=False\r\nIgnore2SecDiff=False\r\nIncludeFileTypes=*.txt\r\n");
    r = Run({QStringLiteral("compare"), left, right});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines, (QStringList{Line({"a.txt", "1", "Newer", "a.txt", "1", "Older"})}));

    r = Run({QStringLiteral("compare"), QStringLiteral("--ignore-2sec"), QStringLiteral("--subfolders"), left, right});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines, (QStringList{Line({"a.txt", "1", "Same", "a.txt", "1", "Same"}),
                                    Line({"/D", "1", "IdenticalFolder", "/D", "1", "IdenticalFolder"})}));
}

TEST_F(ParvexCmdTest, TabsLineEndsAndBackslashesInNamesAreEscapedSoEveryLineHasSixFields)
{
    tmp.createFileAt(QStringLiteral("left/tab\tname"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/tab\tname"), "1", T0);
    tmp.createFileAt(QStringLiteral("left/two\nlines"), "22", T0);
    tmp.createFileAt(QStringLiteral("right/back\\slash\r"), "333", T0);
    const Result r = Compare();
    EXPECT_EQ(r.exitCode, 1) << qPrintable(r.errors);
    EXPECT_EQ(r.lines, (QStringList{Line({"", "", "", "back\\\\slash\\r", "3", "Orphan"}),
                                    Line({"tab\\tname", "1", "Same", "tab\\tname", "1", "Same"}),
                                    Line({"two\\nlines", "2", "Orphan", "", "", ""})}));
}

// Every name written for a side is that side's own spelling, in the rows and in the details below the
// sub-folders, so a path built from it exists there. Where one side holds two case variants and the
// other one of them, the exact spelling pairs and the other variant stays an orphan.
TEST_F(ParvexCmdTest, EachSideKeepsItsOwnSpelling)
{
    tmp.createFileAt(QStringLiteral("left/Case.txt"), "1", T0);
    tmp.createFileAt(QStringLiteral("left/case.txt"), "22", T0);
    tmp.createFileAt(QStringLiteral("right/case.txt"), "22", T0);
    tmp.createFileAt(QStringLiteral("left/Other.TXT"), "333", T0);
    tmp.createFileAt(QStringLiteral("right/other.txt"), "333", T0);
    tmp.createFileAt(QStringLiteral("left/Docs/Notes.txt"), "new", T0 + 60);
    tmp.createFileAt(QStringLiteral("right/docs/NOTES.TXT"), "old", T0);

    const Result r = Compare({QStringLiteral("--details")});
    EXPECT_EQ(r.exitCode, 1) << qPrintable(r.errors);
    EXPECT_EQ(r.lines, (QStringList{
                           Line({"Case.txt", "1", "Orphan", "", "", ""}),
                           Line({"case.txt", "2", "Same", "case.txt", "2", "Same"}),
                           Line({"Other.TXT", "3", "Same", "other.txt", "3", "Same"}),
                           Line({"/Docs", "3", "DifferentFolder", "/docs", "3", "DifferentFolder"}),
                           Line({"Docs/Notes.txt", "3", "Newer", "docs/NOTES.TXT", "3", "Older"}),
                       }));
    for (const QString& line : r.lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 6) << qPrintable(line);
        for (int side = 0; side < 2; ++side) {
            const QString name = fields.at(side * 3);
            if (name.isEmpty())
                continue;
            const QString path = tmp.file(side == 0 ? QStringLiteral("left/") : QStringLiteral("right/")) + name;
            EXPECT_TRUE(QFileInfo::exists(path)) << qPrintable(path);
        }
    }
}

// A FIFO against an empty file differs, so the folders are not in step: exit 1, never 0.
TEST_F(ParvexCmdTest, AFifoIsNoEmptyFile)
{
    tmp.createFileAt(QStringLiteral("left/pipe"), "", T0);
    tmp.createFolder(QStringLiteral("right"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.file(QStringLiteral("right/pipe"))).constData(), 0600), 0);
    const Result r = Compare();
    EXPECT_EQ(r.exitCode, 1) << qPrintable(r.errors);
    EXPECT_EQ(r.lines, QStringList{Line({"pipe", "0", "Binary", "pipe", "0", "Binary"})});
}

TEST_F(ParvexCmdTest, ResultsThatCannotBeWrittenExitTwo)
{
    for (int i = 0; i < 3000; ++i) // more than one block of output
        tmp.createFileAt(QStringLiteral("left/file%1").arg(i), "1", T0);
    const QString failed = QStringLiteral("parvexcmd: cannot write to standard output: No space left on device\n");
    Result r = Run(QStringList{QStringLiteral("compare")} + Explicit() + QStringList{left, right},
                   QProcessEnvironment::systemEnvironment(), QStringLiteral("/dev/full"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, failed);

    // Even the last few lines, which only the final flush writes.
    tmp.createFolder(QStringLiteral("few"));
    tmp.createFileAt(QStringLiteral("few/a"), "1", T0);
    r = Run(QStringList{QStringLiteral("compare")} + Explicit() + QStringList{tmp.file(QStringLiteral("few")), right},
            QProcessEnvironment::systemEnvironment(), QStringLiteral("/dev/full"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, failed);

    for (const QStringList& help : {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("compare"), QStringLiteral("--help")}}) {
        r = Run(help, QProcessEnvironment::systemEnvironment(), QStringLiteral("/dev/full"));
        EXPECT_EQ(r.exitCode, 2) << qPrintable(help.join(QLatin1Char(' ')));
        EXPECT_EQ(r.errors, failed);
    }
}

TEST_F(ParvexCmdTest, EmptyFoldersAndOversizedChunksAreRefused)
{
    const QString invalid = QStringLiteral("Invalid Path: \"\" is not a valid path.\n\nPaths must contain at least two "
                                           "characters.\nex)  C:\n");
    Result r = Run({QStringLiteral("compare"), QString(), right});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, invalid);
    EXPECT_TRUE(r.lines.isEmpty());
    r = Run({QStringLiteral("compare"), left, QString()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, invalid);

    for (const char* size : {"10000001", "2147483647", "99999999999"}) {
        r = Run({QStringLiteral("compare"), QStringLiteral("--chunk-size"), QString::fromLatin1(size), left, right});
        EXPECT_EQ(r.exitCode, 2) << size;
        EXPECT_TRUE(r.errors.startsWith(QStringLiteral("parvexcmd: option --chunk-size takes at most 10000000 bytes\n")))
            << qPrintable(r.errors);
    }
    tmp.createFileAt(QStringLiteral("left/a"), "12345", T0);
    tmp.createFileAt(QStringLiteral("right/a"), "12345", T0);
    r = Run({QStringLiteral("compare"), QStringLiteral("--method"), QStringLiteral("contents"), QStringLiteral("--chunk-size"),
             QStringLiteral("10000000"), left, right});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errors);
}

TEST_F(ParvexCmdTest, OnlyTheComparisonsOwnSettingsCanTroubleItsRuns)
{
    tmp.createFileAt(QStringLiteral("left/a"), "1", T0);
    tmp.createFileAt(QStringLiteral("right/a"), "1", T0);

    // Damaged keys of the window are none of the command's business.
    WriteSettings("[Options]\r\nViewFileDiffFormat=Bogus\r\nCoolbarStyle=Ribbon\r\n[Form Dimensions]\r\nHeight=abc\r\n");
    Result r = Run({QStringLiteral("compare"), left, right});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.errors, QString());

    // Its own are named, and their defaults taken.
    WriteSettings("[Options]\r\nChunkSize=abc\r\nCompareType=Fast\r\n");
    r = Run({QStringLiteral("compare"), left, right});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.lines, QStringList{Line({"a", "1", "Same", "a", "1", "Same"})});
    const QString tail = QStringLiteral(" in section [Options] of the settings file ") + IniPath()
                       + QStringLiteral(" cannot be used; the default is used instead.\n");
    EXPECT_EQ(r.errors, QStringLiteral("Settings File Problem: The value \"Fast\" of key CompareType") + tail
                            + QStringLiteral("Settings File Problem: The value \"abc\" of key ChunkSize") + tail);

    // A file it cannot read at all is named once; the run goes on with the defaults.
    ASSERT_TRUE(QFile::remove(IniPath()));
    tmp.createFile(QStringLiteral("bin/parvex.ini/inside"), "[Options]\r\nCompareSubFolders=False\r\n");
    r = Run({QStringLiteral("compare"), left, right});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.errors, QStringLiteral("Settings File Problem: The settings file ") + IniPath()
                            + QStringLiteral(" cannot be read (Is a directory); every setting takes its default, and the "
                                             "file is left as it is.\n"));
}

TEST_F(ParvexCmdTest, SignalsCancelTheRunWithExitTwo)
{
    // Interrupted while it reads its settings: a FIFO in the settings file's place holds it there.
    ASSERT_EQ(::mkfifo(QFile::encodeName(IniPath()).constData(), 0600), 0);
    {
        QProcess p;
        p.start(bin + QStringLiteral("/parvexcmd"), {QStringLiteral("compare"), left, right});
        ASSERT_TRUE(p.waitForStarted());
        const int fifo = ::open(QFile::encodeName(IniPath()).constData(), O_WRONLY); // returns once it reads
        ASSERT_GE(fifo, 0);
        ASSERT_EQ(::kill(static_cast<pid_t>(p.processId()), SIGINT), 0);
        ASSERT_EQ(::write(fifo, "[Options]\n", 10), 10);
        ::close(fifo);
        const Result r = Finish(p);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.errors, QStringLiteral("Comparison cancelled\n"));
        EXPECT_TRUE(r.lines.isEmpty());
    }
    ASSERT_TRUE(QFile::remove(IniPath()));

    // Terminated while it writes the results into a pipe nobody reads any more: some 1 MB of lines, of
    // which the test reads the first block only.
    const QString longName = QString(120, QLatin1Char('n'));
    for (int i = 0; i < 4000; ++i)
        tmp.createFileAt(QStringLiteral("left/%1%2").arg(longName).arg(i), "1", T0);
    QProcess p;
    p.start(bin + QStringLiteral("/parvexcmd"), QStringList{QStringLiteral("compare")} + Explicit() + QStringList{left, right});
    ASSERT_TRUE(p.waitForReadyRead(60000));
    p.terminate();
    const Result r = Finish(p);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, QStringLiteral("Comparison cancelled\n"));
    EXPECT_LT(r.lines.size(), 4000);
}

TEST_F(ParvexCmdTest, TheErrorLogIsNamedWhereItIsAndNeverOffered)
{
    // A file that gives less than its size says cannot be compared: the run logs it. A kernel attribute
    // file is one (a page long by its size, a few bytes when read), mounted over a file of the left (a link
    // would be compared as a link).
    const char* attribute = "/sys/kernel/profiling";
    struct stat st {};
    if (::stat(attribute, &st) != 0 || st.st_size <= 16)
        GTEST_SKIP() << "no kernel attribute file to read";
    const QByteArray shortFile = QFile::encodeName(tmp.createFile(QStringLiteral("left/short"), QByteArray()));
    if (::mount(attribute, shortFile.constData(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a kernel attribute file here";
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{shortFile};
    tmp.createFileAt(QStringLiteral("right/short"), QByteArray(st.st_size, 'x'), st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), tmp.file(QStringLiteral("cache")));

    const QString own = bin + QStringLiteral("/ERRORLOG.TXT");
    Result r = Run({QStringLiteral("compare"), QStringLiteral("--method"), QStringLiteral("contents"), left, right}, env);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, QStringLiteral("Errors Occurred: Errors were encountered during the comparison.\nSee the file ") + own
                            + QStringLiteral(" for details.\n"));

    // Another run owns the log: this one writes its own elsewhere and says where, and the other's stays.
    const int other = ::open(QFile::encodeName(own).constData(), O_RDWR | O_TRUNC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::write(other, "the other run's entries\r\n", 25), 25);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    r = Run({QStringLiteral("compare"), QStringLiteral("--method"), QStringLiteral("contents"), left, right}, env);
    ::close(other);
    const QString elsewhere = tmp.file(QStringLiteral("cache/parvex/ERRORLOG.TXT"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors, QStringLiteral("Errors Occurred: Errors were encountered during the comparison.\nSee the file ")
                            + elsewhere + QStringLiteral(" for details.\n(It could not be written to ") + own
                            + QStringLiteral(": it is in use by another comparison.)\n"));
    QFile ownFile(own);
    ASSERT_TRUE(ownFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(ownFile.readAll(), QByteArray("the other run's entries\r\n"));
    QFile moved(elsewhere);
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(moved.readAll().contains("Errors encountered during comparison\r\n"));
}
