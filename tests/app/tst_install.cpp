#include "FakeUserDialogs.h"
#include "TestSupport.h"

#include "app/AppContext.h"
#include "settings/SettingsTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;
constexpr qint64 T0 = 1685620800;

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

struct Ran
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// Every file below folder, relative to it.
QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// Takes the write permission away from everything below (and including) folder.
void MakeReadOnly(const QString& folder)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList all{folder};
    while (it.hasNext())
        all << it.next();
    for (const QString& path : all) {
        struct stat st {};
        ASSERT_EQ(::lstat(Native(path).constData(), &st), 0) << qPrintable(path);
        if (!S_ISLNK(st.st_mode)) {
            ASSERT_EQ(::chmod(Native(path).constData(), st.st_mode & 07555), 0) << qPrintable(path);
        }
    }
}

// An ordinary user running the tests owns the folders already.
void GiveToNobody(const QString& path)
{
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(Native(path).constData(), Nobody, Nobody), 0) << qPrintable(path);
    }
}

// desktop-file-validate finds nothing to say about entry.
void ExpectValidDesktopEntry(const QString& entry)
{
    const QString validator = QStandardPaths::findExecutable(U("desktop-file-validate"));
    if (validator.isEmpty()) {
        ADD_FAILURE() << "desktop-file-validate is missing (Debian desktop-file-utils, installed by scripts/setup.sh)";
        return;
    }
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(validator, {entry});
    ASSERT_TRUE(validate.waitForFinished(60000));
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAll(), QByteArray()) << qPrintable(entry);
}

// Two small folders to compare, the settings folder of XDG_CONFIG_HOME with a settings file whose include
// filter the commands must obey, and a home; all of it open to the unprivileged user.
class InstalledProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::chmod(Native(tmp.path()).constData(), 0755);
        left = tmp.createFolder(U("left"));
        right = tmp.createFolder(U("right"));
        tmp.createFileAt(U("left/a.txt"), "same", T0);
        tmp.createFileAt(U("right/a.txt"), "same", T0);
        tmp.createFileAt(U("left/b.txt"), "left only", T0);
        tmp.createFileAt(U("left/c.dat"), "not included", T0);
        config = tmp.createFolder(U("config"));
        home = tmp.createFolder(U("home"));
        tmp.createFile(U("config/parvex/parvex.ini"), "[Options]\nIncludeFileTypes=*.txt\n");
        for (const QString& path : {left, right, config, config + U("/parvex"), config + U("/parvex/parvex.ini"), home})
            GiveToNobody(path);
    }

    // Runs program with XDG_CONFIG_HOME and HOME of the test, as the unprivileged user when asked.
    Ran Start(const QString& program, const QStringList& args, bool unprivileged) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(U("XDG_CONFIG_HOME"), config);
        env.insert(U("XDG_DATA_HOME"), home + U("/.local/share"));
        env.insert(U("HOME"), home);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(tmp.path());
        if (unprivileged && ::geteuid() == 0) {
            p.setChildProcessModifier([] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                    ::_exit(126);
            });
        }
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(120000)) << qPrintable(program);
        Ran r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // Compares and synchronises the two folders with the program in bin, which appends a record to the
    // history of its application folder; the copied file is removed again for the next run.
    void CompareAndSync(const QString& bin, bool unprivileged)
    {
        const QString parvexcmd = bin + U("/parvexcmd");
        const Ran compare = Start(parvexcmd, {U("compare"), left, right}, unprivileged);
        // The include filter of the settings file leaves c.dat out.
        EXPECT_EQ(compare.exitCode, 1) << qPrintable(compare.errors);
        EXPECT_EQ(compare.lines, Strings({"a.txt\t4\tSame\ta.txt\t4\tSame", "b.txt\t9\tOrphan\t\t\t"}))
            << qPrintable(compare.lines.join(QLatin1Char('\n')));

        const Ran sync = Start(parvexcmd, {U("sync"), U("--sync"), U("right-same-as-left"), left, right}, unprivileged);
        EXPECT_EQ(sync.exitCode, 0) << qPrintable(sync.errors);
        EXPECT_EQ(sync.lines, QStringList{U("copy-to-right\tb.txt")});
        EXPECT_EQ(FileBytes(right + U("/b.txt")), "left only");
        QFile::remove(right + U("/b.txt"));
    }

    TempDir tmp;
    QString left;
    QString right;
    QString config;
    QString home;
};

} // namespace

TEST(ProgramFolders, TheShippedSoundIsAnAssetNotAFileOfTheApplicationFolder)
{
    TempDir app;
    TempDir assets;
    FakeUserDialogs dialogs;
    AppContext ctx(app.path(), dialogs, assets.path());
    const QString sound = assets.file(U("parvexdone.wav"));
    EXPECT_EQ(ctx.Sounds().CompareCompleteSound(), sound);
    ctx.Sounds().SetCompareCompleteSound(QString());
    EXPECT_TRUE(LoadSettingsFromIni(ctx.SettingsStore(), ctx.SettingOwners(), {}).isEmpty());
    EXPECT_EQ(ctx.Sounds().CompareCompleteSound(), sound);
}

TEST_F(InstalledProgramTest, InstallsIntoAPrefixAndRunsFromThereWritingOnlyToXdg)
{
    const QString prefix = tmp.file(U("prefix"));
    QProcess install;
    install.start(qEnvironmentVariable("PARVEX_CMAKE", U("cmake")),
                  {U("--install"), qEnvironmentVariable("PARVEX_BUILD_DIR", TestBinDir() + U("/..")), U("--prefix"), prefix});
    ASSERT_TRUE(install.waitForFinished(300000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();

    const QString libraryFolder = QDir::cleanPath(U("bin/") + U(PARVEX_LIBRARY_FROM_PROGRAM));
    QStringList expected{U("bin/parvex"), U("bin/parvexcmd"), libraryFolder + U("/libparvexlib.so"),
                         libraryFolder + U("/libparvexlib_widgets.so"), U("share/applications/parvex.desktop"),
                         U("share/icons/hicolor/scalable/apps/parvex.svg")};
    for (const QString& asset : QDir(TestBinDir()).entryList({U("*.hlp"), U("*.jpg"), U("*.wav")}, QDir::Files))
        expected << U("share/parvex/") + asset;
    expected.sort();
    EXPECT_EQ(FilesBelow(prefix), expected);
    EXPECT_TRUE(QFileInfo(prefix + U("/bin/parvex")).isExecutable());

    // The menu entry starts the installed program by its path, with our icon, offers it for folders, and
    // is a valid entry.
    const QString entry = prefix + U("/share/applications/parvex.desktop");
    const QStringList lines = QString::fromUtf8(FileBytes(entry)).split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(U("Exec=") + prefix + U("/bin/parvex %F"))) << qPrintable(lines.join(QLatin1Char('\n')));
    EXPECT_TRUE(lines.contains(U("Icon=parvex")));
    EXPECT_TRUE(lines.contains(U("MimeType=inode/directory;")));
    ExpectValidDesktopEntry(entry);

    // Read-only, as a system prefix is to its users.
    MakeReadOnly(prefix);
    const QStringList installed = FilesBelow(prefix);
    // The unprivileged user first: the history it creates stays open to root's run after it.
    for (const bool unprivileged : {true, false}) {
        SCOPED_TRACE(unprivileged ? "unprivileged user" : "root or the test's user");
        CompareAndSync(prefix + U("/bin"), unprivileged);
        EXPECT_EQ(FileBytes(config + U("/parvex/SyncHist.Log")).size() % 773, 0);
        EXPECT_EQ(FilesBelow(prefix), installed);
    }
    EXPECT_EQ(FileBytes(config + U("/parvex/SyncHist.Log")).size(), 2 * 773);

    // diff comes from the system, found from the installed program too.
    const QString one = tmp.createFile(U("one.txt"), "a\nb\n");
    const QString two = tmp.createFile(U("two.txt"), "a\nc\n");
    const Ran diff = Start(prefix + U("/bin/parvexcmd"), {U("diff"), U("--format"), U("unix"), one, two}, true);
    EXPECT_EQ(diff.exitCode, 1) << qPrintable(diff.errors);
    EXPECT_EQ(diff.lines, Strings({"2c2", "< b", "---", "> c"}));
}

TEST_F(InstalledProgramTest, ABuildFolderItMayNotWriteSendsTheSettingsToXdg)
{
    const QString bin = PrivateParvexCmdFolder(tmp);
    for (const QString& file : {bin + U("/parvexcmd"), bin + U("/libparvexlib.so")})
        ASSERT_EQ(::chmod(Native(file).constData(), 0555), 0);
    MakeReadOnly(bin);
    const QString history = U("/SyncHist.Log");

    // Root may write any folder: the build folder is its application folder, settings and all.
    if (::geteuid() == 0) {
        QFile::copy(config + U("/parvex/parvex.ini"), bin + U("/parvex.ini"));
        CompareAndSync(bin, false);
        EXPECT_TRUE(QFile::exists(bin + history));
        EXPECT_FALSE(QFile::exists(config + U("/parvex") + history));
        QFile::remove(bin + history);
        QFile::remove(bin + U("/parvex.ini"));
    }
    CompareAndSync(bin, true);
    EXPECT_EQ(FileBytes(config + U("/parvex") + history).size(), 773);
    EXPECT_FALSE(QFile::exists(bin + history));
}

// A file manager's "Open With" hands the chosen folders to the program through %F, which follows the
// program's path however that path had to be quoted.
TEST(DesktopEntry, OffersTheProgramForFoldersWhateverItsPath)
{
    TempDir tmp;
    const QString source = qEnvironmentVariable("PARVEX_SOURCE_DIR");
    ASSERT_FALSE(source.isEmpty());
    struct Case
    {
        const char* program;
        const char* exec;
    };
    const Case cases[] = {
        {"/usr/bin/parvex", "Exec=/usr/bin/parvex %F"},
        {"/opt/My Programs/bin/parvex", "Exec=\"/opt/My Programs/bin/parvex\" %F"},
        {"/opt/100%/bin/parvex", "Exec=/opt/100%%/bin/parvex %F"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const QString entry = tmp.file(QStringLiteral("parvex%1.desktop").arg(++n));
        QProcess write;
        write.setProcessChannelMode(QProcess::MergedChannels);
        write.start(qEnvironmentVariable("PARVEX_CMAKE", U("cmake")),
                    {U("-DPARVEX_PROGRAM=") + U(c.program), U("-DPARVEX_DESKTOP_TEMPLATE=") + source + U("/assets/parvex.desktop.in"),
                     U("-DPARVEX_DESKTOP_FILE=") + entry, U("-P"), source + U("/cmake/WriteDesktopEntry.cmake")});
        ASSERT_TRUE(write.waitForFinished(60000));
        ASSERT_EQ(write.exitCode(), 0) << write.readAll().constData();
        const QStringList lines = QString::fromUtf8(FileBytes(entry)).split(QLatin1Char('\n'));
        EXPECT_TRUE(lines.contains(U(c.exec))) << qPrintable(lines.join(QLatin1Char('\n')));
        EXPECT_TRUE(lines.contains(U("MimeType=inode/directory;")));
        ExpectValidDesktopEntry(entry);
    }
}
