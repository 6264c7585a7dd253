#include "MainWindowFixture.h"

#include "app/GuiSingleInstance.h"
#include "app/StartArguments.h"
#include "base/Path.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <sys/stat.h>
#include <thread>

namespace {

using Action = StartArguments::Action;


// The program, its library and a settings file in a folder of the test's own: that folder is its
// application folder, so nothing lands in the build's.
QString PrivateProgramFolder(const TempDir& dir)
{
    const QString bin = dir.createFolder(U("bin"));
    for (const char* file : {"parvex", "libparvexlib.so", "libparvexlib_widgets.so"})
        EXPECT_TRUE(QFile::copy(TestBinDir() + U("/") + U(file), bin + U("/") + U(file))) << file;
    QFile(bin + U("/parvex")).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    // The summary after a comparison is a modal window: the running window would be busy with it.
    dir.createFile(U("bin/parvex.ini"), "[Options]\nShowGraphAfterCompare=False\n");
    return bin;
}

} // namespace

TEST(StartArguments, FoldersOptionsAndWhatIsRefused)
{
    TempDir dir;
    const QString work = dir.createFolder(U("work"));
    dir.createFolder(U("work/Left"));
    dir.createFolder(U("work/-dash"));
    dir.createFile(U("work/file.txt"), "not a folder");
    const QString w = Path::WithSlash(work);

    struct Case
    {
        const char* name;
        QStringList args;
        Action action;
        QStringList folders;
        QString text; // the start of the text
    };
    const Case cases[] = {
        {"nothing", {}, Action::Run, {}, {}},
        {"one-relative-folder", {U("Left")}, Action::Run, {w + U("Left/")}, {}},
        {"two-folders-cleaned", {U("./Left/"), w + U("Left/../-dash")}, Action::Run, {w + U("Left/"), w + U("-dash/")}, {}},
        {"dash-folder-after-double-dash", {U("--"), U("-dash")}, Action::Run, {w + U("-dash/")}, {}},
        {"root", {U("/")}, Action::Run, {U("/")}, {}},
        {"help-wins", {U("Left"), U("--help")}, Action::Help, {}, U("Usage: parvex [options] [LEFT [RIGHT]]\n")},
        {"short-version", {U("-v")}, Action::Version, {}, U("parvex ") + U(PARVEX_VERSION) + U("\n")},
        {"three-folders", {U("Left"), U("Left"), U("Left")}, Action::Refuse, {},
         U("parvex: at most two folders can be given (LEFT and RIGHT), not 3.\n")},
        {"unknown-option", {U("--bogus")}, Action::Refuse, {}, U("parvex: Unknown option 'bogus'.\n")},
        {"missing-folder", {U("Nowhere")}, Action::Refuse, {}, U("parvex: \"Nowhere\" is not a folder.\n")},
        {"a-file", {U("file.txt")}, Action::Refuse, {}, U("parvex: \"file.txt\" is not a folder.\n")},
        {"empty-name", {QString()}, Action::Refuse, {}, U("parvex: an empty folder name was given.\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StartArguments start = ReadStartArguments(c.args, work);
        EXPECT_EQ(start.action, c.action);
        EXPECT_EQ(start.folders, c.folders);
        EXPECT_TRUE(start.text.startsWith(c.text)) << qPrintable(start.text);
        EXPECT_EQ(start.ExitCode(), c.action == Action::Refuse ? 2 : 0);
        if (c.action == Action::Refuse) {
            EXPECT_TRUE(start.text.endsWith(U("Try 'parvex --help' for more information.\n")));
        }
    }
    // Asked before the window system exists: "--" ends the options there too.
    EXPECT_EQ(InformationAskedFor({U("-v"), U("--help")}), Action::Help);
    EXPECT_EQ(InformationAskedFor({U("Left"), U("--version")}), Action::Version);
    EXPECT_EQ(InformationAskedFor({U("--"), U("-h")}), Action::Run);
    EXPECT_EQ(InformationAskedFor({U("-platform"), U("offscreen")}), Action::Run);
}

TEST(StartArguments, AFolderWhoseNameIsNotUtf8IsKeptByteForByte)
{
    TempDir dir;
    const QByteArray raw = EncodeFileName(dir.path()) + QByteArray("caf\xe9");
    ASSERT_EQ(::mkdir(raw.constData(), 0755), 0);
    const StartArguments start = ReadStartArguments({DecodeFileName(raw)}, U("/"));
    ASSERT_EQ(start.folders.size(), 1);
    EXPECT_EQ(EncodeFileName(start.folders.front()), raw + '/');
    const StartArguments missing = ReadStartArguments({DecodeFileName(raw + "x")}, U("/"));
    EXPECT_TRUE(missing.text.contains(U("caf\\xe9x\" is not a folder."))) << qPrintable(missing.text);
}

TEST(ProgramOnTheTerminal, HelpVersionAndBadArgumentsNeedNoDisplay)
{
    const QString program = TestBinDir() + U("/parvex");
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << qPrintable(program);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(U(name));

    const ProgramRun help = RunProgram(program, {U("--help")}, env);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output, HelpText());
    EXPECT_EQ(help.errors, QString());
    const ProgramRun version = RunProgram(program, {U("--version")}, env);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, U("parvex ") + U(PARVEX_VERSION) + U("\n"));

    // Refused arguments are read once the window system is there (it takes its own options out first).
    env.insert(U("QT_QPA_PLATFORM"), U("offscreen"));
    TempDir dir;
    env.insert(U("TMPDIR"), dir.path());
    const ProgramRun bad = RunProgram(program, {U("-platform"), U("offscreen"), U("--bogus")}, env);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.output, QString());
    EXPECT_EQ(bad.errors, U("parvex: Unknown option 'bogus'.\nTry 'parvex --help' for more information.\n"));
    const ProgramRun missing = RunProgram(program, {dir.file(U("Nowhere"))}, env);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.errors.startsWith(U("parvex: \"") + dir.file(U("Nowhere")) + U("\" is not a folder.\n")))
        << qPrintable(missing.errors);
}

// The program started with two folders compares them at once (a comparison puts its folders at the top
// of the folder lists in the settings file); a second start hands its folders to the running window,
// which compares them, and ends.
TEST(ProgramOnTheTerminal, TwoFoldersAreComparedAtOnceAndALaterStartHandsItsFoldersOver)
{
    TempDir dir;
    const QString bin = PrivateProgramFolder(dir);
    const QString ini = bin + U("/parvex.ini");
    for (const char* folder : {"FirstLeft", "FirstRight", "HandedLeft", "HandedRight"})
        dir.createFile(U(folder) + U("/a.txt"), folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(U("QT_QPA_PLATFORM"), U("offscreen"));
    env.insert(U("TMPDIR"), dir.path()); // the single-instance socket of this test alone

    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(dir.path());
    first.start(bin + U("/parvex"), {U("FirstLeft"), dir.file(U("FirstRight"))});
    ASSERT_TRUE(first.waitForStarted());
    const auto listed = [&](const char* name) { return FileBytes(ini).contains(name); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed("FirstLeft") && listed("FirstRight"); }, 60000))
        << FileBytes(ini).constData() << first.readAllStandardError().constData();
    EXPECT_EQ(first.state(), QProcess::Running);

    const ProgramRun second = RunProgram(bin + U("/parvex"), {dir.file(U("HandedLeft")), dir.file(U("HandedRight"))}, env);
    EXPECT_EQ(second.exitCode, 0) << qPrintable(second.errors);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed("HandedLeft") && listed("HandedRight"); }, 60000))
        << FileBytes(ini).constData();
    // Without folders a later start only brings the window to the front.
    EXPECT_EQ(RunProgram(bin + U("/parvex"), {}, env).exitCode, 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST(SingleInstance, FoldersAreHandedOverByteForByteAndABusyWindowSaysSo)
{
    const QString title = QStringLiteral("Parvex handover %1").arg(QCoreApplication::applicationPid());
    GuiSingleInstance first(title);
    ASSERT_TRUE(first.Listen());
    QSignalSpy shown(&first, &GuiSingleInstance::ShowRequested);
    QList<QStringList> handed;
    bool busy = false;
    first.SetFolderHandler([&](const QStringList& folders) {
        handed << folders;
        return !busy;
    });
    const QStringList folders{DecodeFileName(QByteArray("/tmp/caf\xe9 one/")), U("/tmp/new\nline/")};

    const auto ask = [&](const QStringList& what) {
        std::atomic<bool> done = false;
        GuiSingleInstance::Reply reply = GuiSingleInstance::Reply::NoInstance;
        std::thread second([&] {
            reply = GuiSingleInstance(title).AskRunningInstance(what, 5000);
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
        second.join();
        return reply;
    };
    EXPECT_EQ(ask(folders), GuiSingleInstance::Reply::Done);
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(EncodeFileName(handed[0][0]), QByteArray("/tmp/caf\xe9 one/"));
    EXPECT_EQ(handed[0][1], folders[1]);
    EXPECT_EQ(shown.size(), 1);

    busy = true;
    EXPECT_EQ(ask({U("/tmp/")}), GuiSingleInstance::Reply::Busy);
    // The window still comes to the front; only the folders were not taken.
    EXPECT_EQ(shown.size(), 2);
    // A plain start asks nothing of the handler.
    EXPECT_EQ(ask({}), GuiSingleInstance::Reply::Done);
    EXPECT_EQ(handed.size(), 2);
}

using OpenFoldersTest = MainWindowTest;

TEST_F(OpenFoldersTest, TwoFoldersAreComparedOneFillsTheLeftBoxAndABusyWindowTakesNone)
{
    TempDir left;
    TempDir right;
    left.createFile(U("only-left.txt"), "x");
    right.createFile(U("only-right.txt"), "y");
    window->OpenFolders({left.path(), right.path()});
    EXPECT_EQ(window->FolderText(true), left.path());
    EXPECT_EQ(window->FolderText(false), right.path());
    EXPECT_TRUE(Texts(Left()).contains(U("only-left.txt"))) << qPrintable(Texts(Left()).join(U(",")));
    EXPECT_TRUE(Texts(Right()).contains(U("only-right.txt")));

    // One folder: the left box, and the results of other folders are gone.
    TempDir other;
    window->OpenFolders({other.path()});
    EXPECT_EQ(window->FolderText(true), other.path());
    EXPECT_EQ(window->FolderText(false), right.path());
    EXPECT_EQ(Texts(Left()), QStringList{U("No Comparison Results")});

    window->SetMenusEnabled(false);
    EXPECT_FALSE(window->CanTakeFolders());
    window->OpenFolders({left.path(), right.path()});
    EXPECT_EQ(window->FolderText(true), other.path());
    window->SetMenusEnabled(true);
    EXPECT_TRUE(window->CanTakeFolders());
}
