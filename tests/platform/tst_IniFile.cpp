#include "FakeUserDialogs.h"
#include "TestSupport.h"
#include "platform/CIniFile.h"
#include "platform/IniDocument.h"
#include "platform/IniProfile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString IniPath() const { return dir.file(QStringLiteral("parvex.ini")); }

    TempDir dir;
    FakeUserDialogs dialogs;
};

// Sets a key through a fresh object, as every caller does.
void Write(CIniFile& ini, const QString& section, const QString& key, const QString& value)
{
    ini.SetSection(section);
    ini.SetKey(key);
    ini.SetStringValue(value);
}

} // namespace

TEST_F(IniFileTest, FirstReadGivesDefaultAndFirstWriteCreatesFileSectionAndKey)
{
    CIniFile ini(dir.path(), dialogs);
    ini.SetName(QStringLiteral("parvex.ini"));
    EXPECT_EQ(ini.FullPath(), IniPath());
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("ChunkSize"), QStringLiteral("default")),
              QStringLiteral("default"));
    EXPECT_FALSE(QFile::exists(IniPath()));

    Write(ini, QStringLiteral("Options"), QStringLiteral("ChunkSize"), QStringLiteral("0000500000"));
    EXPECT_EQ(FileBytes(IniPath()), QByteArray("[Options]\nChunkSize=0000500000\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(IniFileTest, ShortValuesReadAsDefaultAndLongValuesComeBackWhole)
{
    CIniFile ini(dir.path(), dialogs);
    ini.SetName(QStringLiteral("parvex.ini"));
    const QString s = QStringLiteral("S");
    Write(ini, s, QStringLiteral("One"), QStringLiteral("5"));
    Write(ini, s, QStringLiteral("Two"), QStringLiteral("05"));
    Write(ini, s, QStringLiteral("Empty"), QString());
    const QString long300 = QString(300, QLatin1Char('x'));
    Write(ini, s, QStringLiteral("Long"), long300);

    EXPECT_EQ(ini.Get(s, QStringLiteral("One"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(ini.Get(s, QStringLiteral("Two"), QStringLiteral("dflt")), QStringLiteral("05"));
    EXPECT_EQ(ini.Get(s, QStringLiteral("Empty"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    // A long folder path or filter list must not lose its tail between two runs.
    EXPECT_EQ(ini.Get(s, QStringLiteral("Long"), QStringLiteral("dflt")), long300);
    const QString deepFolder = QStringLiteral("/srv/") + QString(4000, QChar(0x00E9)) + QStringLiteral("/");
    Write(ini, s, QStringLiteral("Deep"), deepFolder);
    EXPECT_EQ(ini.Get(s, QStringLiteral("Deep"), QString()), deepFolder);
    EXPECT_EQ(ini.Get(s, QStringLiteral("Missing"), QStringLiteral("x")), QStringLiteral("x"));
    EXPECT_EQ(ini.Get(s, QStringLiteral("Missing"), long300), long300);
}

TEST_F(IniFileTest, CutNeverSplitsACharacter)
{
    // 254 ASCII characters and then a character outside the basic plane (two UTF-16 units).
    const QString value = QString(254, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600") + QStringLiteral("tail");
    ASSERT_TRUE(IniProfile::WriteProfileString(QStringLiteral("S"), QStringLiteral("K"), value, IniPath()));
    const QString read = IniProfile::ReadProfileString(QStringLiteral("S"), QStringLiteral("K"), {}, IniPath());
    EXPECT_EQ(read, QString(254, QLatin1Char('a')));
}

TEST_F(IniFileTest, NameCanBeSetOnlyOnce)
{
    CIniFile ini(dir.path(), dialogs);
    ini.SetName(QStringLiteral("parvex.ini"));
    ini.SetName(QStringLiteral("other.ini"));
    EXPECT_EQ(ini.Name(), QStringLiteral("parvex.ini"));
    EXPECT_EQ(ini.FullPath(), IniPath());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text,
              QStringLiteral("This IniFile Object is already in use by ") + IniPath() + QStringLiteral("\r\nCreate a new object."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("CIniFile Error"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
}

TEST_F(IniFileTest, EmptyPropertiesAreReportedInOrderAndWritesEndWithAFullStop)
{
    struct Case
    {
        const char* label;
        bool name, section, key;
        const char* readText;
        const char* writeText;
    };
    const Case cases[] = {
        {"nothing set", false, false, false, "Name property must be set first", "Name property must be set first"},
        {"no section", true, false, true, "Section property must be set first", "Section property must be set first."},
        {"no key", true, true, false, "Key property must be set first", "Key property must be set first."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        dialogs.clear();
        CIniFile ini(dir.path(), dialogs);
        if (c.name)
            ini.SetName(QStringLiteral("parvex.ini"));
        if (c.section)
            ini.SetSection(QStringLiteral("S"));
        if (c.key)
            ini.SetKey(QStringLiteral("K"));
        EXPECT_EQ(ini.GetStringValue(QStringLiteral("dflt")), QString());
        ini.SetStringValue(QStringLiteral("value"));
        ASSERT_EQ(dialogs.messages.size(), 2);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(c.readText));
        EXPECT_EQ(dialogs.messages[1].text, QString::fromLatin1(c.writeText));
        EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("CIniFile Error"));
        EXPECT_EQ(dialogs.messages[1].icon, UserDialogs::Icon::Error);
        EXPECT_FALSE(QFile::exists(IniPath()));
    }
}

TEST_F(IniFileTest, HandEditedFileIsReadAndEditedInPlace)
{
    // Comments, blanks around names and values, CR LF endings, a byte-order mark, a duplicate section
    // and a duplicate key: the first of each counts.
    dir.createFile(QStringLiteral("parvex.ini"),
                   "\xEF\xBB\xBF; settings\r\n"
                   "[ options ]\r\n"
                   "  ChunkSize  =   0000100000   \r\n"
                   "# Commented=0000000001\r\n"
                   "chunksize=0000000002\r\n"
                   "\r\n"
                   "[Target]\r\n"
                   "Dir1=/data/\r\n"
                   "[OPTIONS]\r\n"
                   "Later=ignored\r\n");
    CIniFile ini(dir.path(), dialogs);
    ini.SetName(QStringLiteral("parvex.ini"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("CHUNKSIZE"), {}), QStringLiteral("0000100000"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("Commented"), QStringLiteral("no")), QStringLiteral("no"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("Later"), QStringLiteral("no")), QStringLiteral("no"));
    EXPECT_EQ(ini.Get(QStringLiteral("target"), QStringLiteral("dir1"), {}), QStringLiteral("/data/"));

    Write(ini, QStringLiteral("OPTIONS"), QStringLiteral("chunksize"), QStringLiteral("0000200000"));
    Write(ini, QStringLiteral("Options"), QStringLiteral("NewKey"), QStringLiteral("True"));
    Write(ini, QStringLiteral("Source"), QStringLiteral("Dir1"), QStringLiteral("/home/ann/Data/"));
    EXPECT_EQ(FileBytes(IniPath()),
              QByteArray("\xEF\xBB\xBF; settings\r\n"
                         "[ options ]\r\n"
                         "ChunkSize=0000200000\r\n"
                         "# Commented=0000000001\r\n"
                         "chunksize=0000000002\r\n"
                         "NewKey=True\r\n"
                         "\r\n"
                         "[Target]\r\n"
                         "Dir1=/data/\r\n"
                         "[OPTIONS]\r\n"
                         "Later=ignored\r\n"
                         "[Source]\r\n"
                         "Dir1=/home/ann/Data/\r\n"));
}

TEST_F(IniFileTest, ValuesThatWouldBreakTheFileAreRefused)
{
    ASSERT_TRUE(IniProfile::WriteProfileString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("old"), IniPath()));
    const QByteArray before = FileBytes(IniPath());
    EXPECT_FALSE(IniProfile::WriteProfileString(QStringLiteral("S"), QStringLiteral("K"),
                                                QStringLiteral("x\n[Evil]\nK=y"), IniPath()));
    EXPECT_FALSE(IniProfile::WriteProfileString(QStringLiteral("S]"), QStringLiteral("K"), QStringLiteral("v"), IniPath()));
    EXPECT_FALSE(IniProfile::WriteProfileString(QStringLiteral("S"), QStringLiteral("K=1"), QStringLiteral("v"), IniPath()));
    EXPECT_EQ(FileBytes(IniPath()), before);
}

TEST_F(IniFileTest, FailedWritesAreSilentAndLeaveTheOldFileWhole)
{
    // A folder that cannot exist: its parent is a file. Works whoever runs the test.
    const QString blocker = dir.createFile(QStringLiteral("blocker"), "x");
    CIniFile nowhere(blocker, dialogs);
    nowhere.SetName(QStringLiteral("parvex.ini"));
    Write(nowhere, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("value"));
    EXPECT_EQ(nowhere.Get(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A write that runs out of room (a file-size limit stands in for a full disk).
    CIniFile ini(dir.path(), dialogs);
    ini.SetName(QStringLiteral("parvex.ini"));
    Write(ini, QStringLiteral("Options"), QStringLiteral("Kept"), QStringLiteral("True"));
    const QByteArray before = FileBytes(IniPath());
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(before.size() + 8);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Write(ini, QStringLiteral("Options"), QStringLiteral("Big"), QString(500, QLatin1Char('b')));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(FileBytes(IniPath()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("blocker"), QStringLiteral("parvex.ini")}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(IniFileTest, UnchangedValueLeavesTheFileUntouched)
{
    // Saving every setting at exit rewrites only what changed; a rewrite would put a new file in place.
    ASSERT_TRUE(IniProfile::WriteProfileString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("same"), IniPath()));
    const auto inode = [&] {
        struct stat st {};
        return ::stat(QFile::encodeName(IniPath()).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t before = inode();
    EXPECT_TRUE(IniProfile::WriteProfileString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("same"), IniPath()));
    EXPECT_EQ(inode(), before);
    EXPECT_TRUE(IniProfile::WriteProfileString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("other"), IniPath()));
    EXPECT_NE(inode(), before);
}

TEST_F(IniFileTest, FilesThatAreNoTextAreNeitherReadNorWritten)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"nul-bytes", QByteArray("[S]\nK=value\n\0\0\0", 15)},
        {"latin-1", "[S]\nK=J\xfcrgen\n"},
        {"cut-utf-8", "[S]\nK=value\xc3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.createFile(QStringLiteral("parvex.ini"), c.bytes);
        const IniDocument doc = IniDocument::Load(IniPath());
        EXPECT_EQ(doc.Status(), IniDocument::State::Unreadable);
        EXPECT_EQ(doc.Problem(), QStringLiteral("it is not UTF-8 text"));
        EXPECT_EQ(doc.Value(QStringLiteral("S"), QStringLiteral("K")), std::nullopt);
        EXPECT_EQ(IniProfile::ReadProfileString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("dflt"), IniPath()),
                  QStringLiteral("dflt"));
        EXPECT_FALSE(IniProfile::WriteProfileString(QStringLiteral("S"), QStringLiteral("New"), QStringLiteral("v"), IniPath()));
        EXPECT_EQ(FileBytes(IniPath()), c.bytes);
    }

    // A folder in the file's place can be told from a missing file.
    QFile::remove(IniPath());
    EXPECT_EQ(IniDocument::Load(IniPath()).Status(), IniDocument::State::Missing);
    dir.createFolder(QStringLiteral("parvex.ini"));
    const IniDocument folder = IniDocument::Load(IniPath());
    EXPECT_EQ(folder.Status(), IniDocument::State::Unreadable);
    EXPECT_EQ(folder.Problem(), QStringLiteral("Is a directory"));
    EXPECT_FALSE(folder.Save());
}

TEST_F(IniFileTest, ASnapshotReadsTheFileOnceAndCommitsEveryChangeAtOnce)
{
    dir.createFile(QStringLiteral("parvex.ini"), "[Options]\r\nChunkSize=0000100000\r\n\r\n[Other]\r\nKept=yes\r\n");
    CIniFile ini(dir.path(), dialogs);
    ini.SetName(QStringLiteral("parvex.ini"));
    EXPECT_EQ(ini.TakeSnapshot().Status(), IniDocument::State::Read);

    // Changes on disk after the snapshot are not seen, and changes to the snapshot stay in memory.
    dir.createFile(QStringLiteral("parvex.ini"), "[Options]\r\nChunkSize=0000000001\r\n");
    EXPECT_EQ(ini.Get(QStringLiteral("options"), QStringLiteral("chunksize"), {}), QStringLiteral("0000100000"));
    ini.Set(QStringLiteral("Options"), QStringLiteral("ChunkSize"), QStringLiteral("0000200000"));
    ini.Set(QStringLiteral("Options"), QStringLiteral("Added"), QStringLiteral("True"));
    ini.Set(QStringLiteral("New"), QStringLiteral("Key"), QStringLiteral("value"));
    EXPECT_EQ(ini.Get(QStringLiteral("Options"), QStringLiteral("Added"), {}), QStringLiteral("True"));
    EXPECT_EQ(FileBytes(IniPath()), QByteArray("[Options]\r\nChunkSize=0000000001\r\n"));

    EXPECT_TRUE(ini.Commit());
    EXPECT_EQ(FileBytes(IniPath()), QByteArray("[Options]\r\nChunkSize=0000200000\r\nAdded=True\r\n\r\n[Other]\r\nKept=yes\r\n"
                                             "[New]\r\nKey=value\r\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
