#include "SettingsFixture.h"
#include "SettingsSnapshot.h"
#include "base/Failure.h"
#include "compare/CCompare.h"
#include "model/FilterStore.h"
#include "diff/cViewFileDiffsOptions.h"
#include "settings/CSoundSettings.h"
#include "settings/MainOptions.h"
#include "sync/CSyncSettings.h"
#include "settings/OptionTable.h"
#include "views/CViewSelections.h"
#include "../model/ModelFixture.h"

#include <QDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class SettingsTableTest : public ::testing::Test, public SettingsFixture
{
};

} // namespace

TEST_F(SettingsTableTest, FirstStartWithoutFileGivesEveryDefault)
{
    ChangeEverything(ctx);
    ctx.Compare().SetIncludeFilters(QStringLiteral("*.txt"));
    Load();

    const CCompare& c = ctx.Compare();
    EXPECT_TRUE(c.CompareSubFolders());
    EXPECT_EQ(c.CompareMethod(), CCompare::Quick);
    EXPECT_EQ(c.ChunkSize(), 500000);
    EXPECT_EQ(c.IncludeFilters(), QString());
    EXPECT_FALSE(c.ExcludeHiddenFiles());
    EXPECT_TRUE(c.RemindAboutFATNTFSIssue());
    EXPECT_TRUE(c.IgnoreFAT_NTFS_TwoSecDiff());
    EXPECT_FALSE(c.IgnoreFAT_NTFS_DaylightSavings());
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::ReplaceOlderCopyOrphans);
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (CSyncSettings::Rules{1, 2, 1, 0, 1, 2, 1, 0}));
    EXPECT_EQ(ctx.ViewSelections().ViewType(), CViewSelections::All);
    EXPECT_TRUE(ctx.ViewSelections().AreCustomSettingsSameAsAllViewType());
    EXPECT_TRUE(ctx.Sounds().SoundOn());
    EXPECT_EQ(ctx.Sounds().StartSound(), QStringLiteral("(none)"));
    EXPECT_EQ(ctx.Sounds().ExitSound(), QStringLiteral("(none)"));
    EXPECT_EQ(ctx.Sounds().CompareCompleteSound(), dir.path() + QStringLiteral("parvexdone.wav"));
    EXPECT_EQ(ctx.Sounds().SyncCompleteSound(), dir.path() + QStringLiteral("parvexdone.wav"));
    EXPECT_EQ(ctx.DiffOptions().Format(), cViewFileDiffsOptions::Visual);
    EXPECT_TRUE(ctx.DiffOptions().ShowOptionsDialog());
    EXPECT_FALSE(ctx.DiffOptions().IgnoreCase());

    const MainOptions& m = ctx.MainOptions();
    EXPECT_TRUE(m.ShowCopyConfirmations && m.AutoCompareAfterCompareMethodChange && m.AutoCompleteFolderPath);
    EXPECT_EQ(m.CoolbarStyle, MainOptions::Coolbar);
    EXPECT_EQ(m.FontName, QStringLiteral("Sans"));
    EXPECT_EQ(m.FontSize, 9);
    EXPECT_EQ(m.NumSyncLogEntries, 20);
    EXPECT_TRUE(m.KeepForUndo);
    EXPECT_EQ(m.DeletionGuardShare, 50);
    EXPECT_EQ(m.DeletionGuardFloor, 20);
    EXPECT_EQ(m.State, MainOptions::WindowState::Normal);
    EXPECT_EQ(m.HeightTwips, 6945);
    EXPECT_EQ(m.WidthTwips, 9435);
    // Centred: (15360 - 6945) / 2 = 4207.5 rounds to even, (19200 - 9435) / 2 = 4882.5 likewise.
    EXPECT_EQ(m.TopTwips, 4208);
    EXPECT_EQ(m.LeftTwips, 4882);
    EXPECT_EQ(m.SourceColumnWidths, (std::array<int, 3>{159, 72, 115}));
    EXPECT_EQ(m.TargetColumnWidths, (std::array<int, 3>{159, 72, 115}));

    EXPECT_FALSE(QFile::exists(IniPath()));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SettingsTableTest, EverySettingSurvivesSaveAndLoad)
{
    ChangeEverything(ctx);
    const QStringList saved = Snapshot(ctx);
    Save();

    SettingsFixture next;
    QFile::copy(IniPath(), next.IniPath());
    next.Load();
    EXPECT_EQ(Snapshot(next.ctx), saved);

    const QByteArray text = IniText();
    EXPECT_TRUE(text.startsWith("[Options]\nCompareSubFolders=False\nNumSyncLogEntries=0000000055\n"));
    EXPECT_TRUE(text.contains("\nChunkSize=0001234567\n"));
    EXPECT_TRUE(text.contains("\nFontSize=10.5\n"));
    EXPECT_TRUE(text.contains("\n[Form Dimensions]\nHeight=0000008000\nWidth=0000012000\nLeft=0000000450\n"
                              "Top=0000000300\nWindowState=Normal\n[ColumnWidths]\nSourceColumnOne=0000000200\n"));
    EXPECT_FALSE(text.contains("IncludeFileTypes"));
    // Every flag is written as a word.
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith("Show") || line.startsWith("AutoCompare")) {
            EXPECT_TRUE(line.endsWith("=True") || line.endsWith("=False")) << line.constData();
        }
    }
}

TEST_F(SettingsTableTest, StoredValuesAreInterpretedByTheirRules)
{
    struct Case
    {
        const char* name;
        const char* options;                    // lines of section Options
        std::function<bool(AppContext&)> check; // true when the rule held
        const char* named = nullptr;            // the stored text named as unusable, with its key
    };
    const Case cases[] = {
        {"font-size-above-50-is-8", "FontSize=72", [](AppContext& c) { return c.MainOptions().FontSize == 8; }},
        {"one-digit-font-size-reads-as-default", "FontSize=7", [](AppContext& c) { return c.MainOptions().FontSize == 9; }},
        {"padded-font-size", "FontSize=07", [](AppContext& c) { return c.MainOptions().FontSize == 7; }},
        {"font-size-words", "FontSize=large", [](AppContext& c) { return c.MainOptions().FontSize == 9; },
         "\"large\" of key FontSize"},
        {"log-entries-zero", "NumSyncLogEntries=0000000000", [](AppContext& c) { return c.MainOptions().NumSyncLogEntries == 20; },
         "\"0000000000\" of key NumSyncLogEntries"},
        {"log-entries-words", "NumSyncLogEntries=many", [](AppContext& c) { return c.MainOptions().NumSyncLogEntries == 20; },
         "\"many\" of key NumSyncLogEntries"},
        {"log-entries-unpadded", "NumSyncLogEntries=35", [](AppContext& c) { return c.MainOptions().NumSyncLogEntries == 35; }},
        {"guard-share-zero", "DeletionGuardShare=0000000000", [](AppContext& c) { return c.MainOptions().DeletionGuardShare == 50; },
         "\"0000000000\" of key DeletionGuardShare"},
        {"guard-share-above-100", "DeletionGuardShare=0000000101", [](AppContext& c) { return c.MainOptions().DeletionGuardShare == 50; },
         "\"0000000101\" of key DeletionGuardShare"},
        {"guard-share-all", "DeletionGuardShare=0000000100", [](AppContext& c) { return c.MainOptions().DeletionGuardShare == 100; }},
        {"guard-floor-zero", "DeletionGuardFloor=0000000000", [](AppContext& c) { return c.MainOptions().DeletionGuardFloor == 0; }},
        {"guard-floor-negative", "DeletionGuardFloor=-000000001", [](AppContext& c) { return c.MainOptions().DeletionGuardFloor == 20; },
         "\"-000000001\" of key DeletionGuardFloor"},
        {"chunk-negative", "ChunkSize=-000000005", [](AppContext& c) { return c.Compare().ChunkSize() == 500000; },
         "\"-000000005\" of key ChunkSize"},
        {"chunk-beyond-ten-million", "ChunkSize=2000000000", [](AppContext& c) { return c.Compare().ChunkSize() == 500000; },
         "\"2000000000\" of key ChunkSize"},
        {"chunk-fraction-rounds-half-even", "ChunkSize=2500.5", [](AppContext& c) { return c.Compare().ChunkSize() == 2500; }},
        {"unknown-sync-method", "SyncMethod=Sideways", [](AppContext& c) { return c.SyncSettings().SyncMethod() == 2; },
         "\"Sideways\" of key SyncMethod"},
        {"custom-without-actions", "SyncMethod=Custom",
         [](AppContext& c) { return c.SyncSettings().AllRules() == CSyncSettings::Rules{1, 2, 1, 0, 1, 2, 1, 0}; }},
        {"custom-orphans-only-leave-copy-delete",
         "SyncMethod=Custom\nLeftFolderOrphanFilesAction=Replace\nRightFolderOrphanFilesAction=Delete\n"
         "LeftFolderNewFilesAction=Bogus\nRightFolderBinaryFilesAction=Replace",
         [](AppContext& c) { return c.SyncSettings().AllRules() == CSyncSettings::Rules{0, 2, 0, 0, 1, 2, 3, 2}; }},
        {"actions-ignored-unless-custom", "SyncMethod=MakeRightSameAsLeft\nLeftFolderNewFilesAction=Delete",
         [](AppContext& c) { return c.SyncSettings().AllRules() == CSyncSettings::Rules{1, 1, 1, 1, 2, 2, 3, 2}; }},
        {"view-different-ignores-flags", "ViewType=Different\nViewIdenticalFiles=True\nViewNewerFiles=False",
         [](AppContext& c) { return c.ViewSelections().AreCustomSettingsSameAsDifferencesViewType(); }},
        {"view-custom-flags",
         "ViewType=Custom\nViewNewerFiles=False\nViewOlderFiles=Maybe\nViewOrphanSubFolders=Maybe",
         [](AppContext& c) {
             const CViewSelections& v = c.ViewSelections();
             return v.ViewType() == 3 && !v.ViewNewerFiles && v.ViewOlderFiles && !v.ViewOrphanFolders
                 && v.ViewDifferentFolders;
         }},
        {"compare-type-unknown", "CompareType=Fast", [](AppContext& c) { return c.Compare().CompareMethod() == 0; },
         "\"Fast\" of key CompareType"},
        {"compare-type-crc", "CompareType=CRC", [](AppContext& c) { return c.Compare().CompareMethod() == 2; }},
        {"toolbar-unknown", "CoolbarStyle=Ribbon", [](AppContext& c) { return c.MainOptions().CoolbarStyle == 1; },
         "\"Ribbon\" of key CoolbarStyle"},
        {"toolbar-hidden", "CoolbarStyle=Hidden", [](AppContext& c) { return c.MainOptions().CoolbarStyle == 0; }},
        {"flag-needs-exact-word", "ShowCopyConfirmations=true", [](AppContext& c) { return !c.MainOptions().ShowCopyConfirmations; }},
        {"empty-sound-is-none", "ComparisonCompleteSound=", [](AppContext& c) {
             return c.Sounds().CompareCompleteSound().endsWith(QStringLiteral("/parvexdone.wav"));
         }},
        {"filters-verbatim", "IncludeFileTypes= *.txt, /Docs \nExcludeFileTypes=*.bak", [](AppContext& c) {
             return c.Compare().IncludeFilters() == QStringLiteral("*.txt, /Docs") && c.Compare().ExcludeFilters() == QStringLiteral("*.bak");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsFixture f;
        f.WriteIni(QByteArray("[Options]\n") + c.options + "\n");
        f.Load();
        EXPECT_TRUE(c.check(f.ctx));
        EXPECT_TRUE(f.dialogs.messages.isEmpty()) << "the caller shows the problems";
        if (c.named == nullptr) {
            EXPECT_EQ(f.problems, QStringList()) << "a value the rules read is no problem";
        } else {
            ASSERT_EQ(f.problems.size(), 1);
            EXPECT_TRUE(f.problems[0].contains(QString::fromUtf8(c.named))) << qPrintable(f.problems[0]);
            EXPECT_TRUE(f.problems[0].contains(QStringLiteral(" in section [Options] of the settings file ") + f.IniPath()));
        }
    }
}

TEST_F(SettingsTableTest, ShaFallsBackToCrcWhenUnavailable)
{
    WriteIni("[Options]\nCompareType=SHA\n");
    Load();
    EXPECT_EQ(ctx.Compare().CompareMethod(), CCompare::SHA);
    SettingsEnvironment noSha = Screen();
    noSha.shaAvailable = false;
    Load(noSha);
    EXPECT_EQ(ctx.Compare().CompareMethod(), CCompare::ThoroughCRC);
}

TEST_F(SettingsTableTest, SoundsStayOffWithoutAWaveDevice)
{
    SettingsFixture silent(false);
    silent.WriteIni("[Options]\nSoundOn=True\n");
    silent.Load();
    EXPECT_FALSE(silent.ctx.Sounds().DoesThisPCSupportWave());
    EXPECT_FALSE(silent.ctx.Sounds().SoundOn());
    Load();
    EXPECT_TRUE(ctx.Sounds().SoundOn());
}

TEST_F(SettingsTableTest, WindowPlaceIsCheckedAgainstTheScreen)
{
    WriteIni("[Form Dimensions]\nWindowState=Normal\nHeight=0000006000\nWidth=0000009000\nTop=0000016000\n"
             "Left=0000019201\n");
    Load();
    EXPECT_EQ(ctx.MainOptions().TopTwips, (15360 - 6000) / 2);
    EXPECT_EQ(ctx.MainOptions().LeftTwips, (19200 - 9000) / 2);

    WriteIni("[Form Dimensions]\nTop=0000000150\nLeft=-000000030\n");
    Load();
    EXPECT_EQ(ctx.MainOptions().TopTwips, 150);
    EXPECT_EQ(ctx.MainOptions().LeftTwips, -30);
}

TEST_F(SettingsTableTest, WindowStateDecidesWhatIsWritten)
{
    MainOptions& m = ctx.MainOptions();
    m.HeightTwips = 7000;
    m.WidthTwips = 9000;
    m.TopTwips = -45;
    m.LeftTwips = 60;
    Save();
    EXPECT_TRUE(IniText().contains("[Form Dimensions]\nHeight=0000007000\nWidth=0000009000\nLeft=0000000060\n"
                                   "Top=0000000000\nWindowState=Normal\n"));

    // Maximised and minimised windows keep the last normal place in the file.
    m.State = MainOptions::WindowState::Maximized;
    m.HeightTwips = 1;
    Save();
    EXPECT_TRUE(IniText().contains("Height=0000007000\nWidth=0000009000\nLeft=0000000060\nTop=0000000000\n"
                                   "WindowState=Maximized\n"));
    SettingsFixture next;
    QFile::copy(IniPath(), next.IniPath());
    next.Load();
    EXPECT_EQ(next.ctx.MainOptions().State, MainOptions::WindowState::Maximized);
    EXPECT_EQ(next.ctx.MainOptions().HeightTwips, 7000);

    m.State = MainOptions::WindowState::Minimized;
    Save();
    EXPECT_TRUE(IniText().contains("Top=0000000000\nWindowState=Normal\n"));
    EXPECT_TRUE(IniText().contains("Height=0000007000\n"));
}

// These two once stopped the loading with a Failure and left every later key as it was in memory; now the
// value is named, takes its default, and the rest of the file still loads.
TEST_F(SettingsTableTest, UnusableValuesAreNamedAndTheRestKeepsLoading)
{
    ctx.DiffOptions().SetFormat(cViewFileDiffsOptions::Unix);
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::AddOrphansToLeft);
    ctx.MainOptions().HeightTwips = 1;
    WriteIni("[Options]\nViewFileDiffFormat=Side by side\nSyncMethod=Custom\n"
             "[Form Dimensions]\nHeight=tall\nWidth=1e99\n[ColumnWidths]\nSourceColumnOne=0000000300\n");
    ASSERT_NO_THROW(Load());
    EXPECT_EQ(ctx.DiffOptions().Format(), cViewFileDiffsOptions::Visual);
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::Custom);
    EXPECT_EQ(ctx.MainOptions().HeightTwips, 6945);
    EXPECT_EQ(ctx.MainOptions().WidthTwips, 9435);
    EXPECT_EQ(ctx.MainOptions().SourceColumnWidths[0], 300);
    const QString file = IniPath();
    EXPECT_EQ(problems, (QStringList{
                            QStringLiteral("The value \"Side by side\" of key ViewFileDiffFormat in section [Options] of the "
                                           "settings file ") + file + QStringLiteral(" cannot be used; the default is used instead."),
                            QStringLiteral("The value \"tall\" of key Height in section [Form Dimensions] of the settings file ")
                                + file + QStringLiteral(" cannot be used; the default is used instead."),
                            QStringLiteral("The value \"1e99\" of key Width in section [Form Dimensions] of the settings file ")
                                + file + QStringLiteral(" cannot be used; the default is used instead."),
                        }));

    // The window shows them together, once.
    ShowSettingsProblems(problems, dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, problems.join(QStringLiteral("\r\n")));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Settings File Problem"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
    ShowSettingsProblems({}, dialogs);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(SettingsTableTest, AFrontEndReadsOnlyTheKeysItAskedFor)
{
    WriteIni("[Options]\nViewFileDiffFormat=Bogus\nChunkSize=0000001000\nSyncMethod=Custom\n"
             "[Form Dimensions]\nHeight=abc\n");
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::AddOrphansToLeft);
    problems = LoadSettingsFromIni(ctx.SettingsStore(), ctx.SettingOwners(), Screen(),
                                   [](const OptionRow& row) { return OwnerOf(row) == SettingOwner::Compare; });
    EXPECT_EQ(problems, QStringList());
    EXPECT_EQ(ctx.Compare().ChunkSize(), 1000);
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::AddOrphansToLeft);

    // Every comparison key, and only those, belongs to the comparison.
    QStringList compareKeys;
    for (const OptionRow& row : OptionRows())
        if (OwnerOf(row) == SettingOwner::Compare)
            compareKeys << QString::fromLatin1(row.key);
    EXPECT_EQ(compareKeys, Strings({"CompareSubFolders", "CompareType", "ChunkSize", "IncludeFileTypes", "ExcludeFileTypes",
                                    "ExcludeSystemFiles", "ExcludeHiddenFiles", "ExcludeSystemFolders",
                                    "ExcludeHiddenFolders", "RemindAboutFATNTFSIssue", "Ignore2SecDiff",
                                    "IgnoreDaylightSavings"}));
}

TEST_F(SettingsTableTest, AFileThatCannotBeReadIsNamedOnceGivesDefaultsAndIsLeftAsItIs)
{
    struct Case
    {
        const char* name;
        QByteArray bytes; // the file's contents; empty for a folder in its place
        const char* why;
    };
    const Case cases[] = {
        {"binary", QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00[Options]\nChunkSize=0000001000\n", 32), "it is not UTF-8 text"},
        {"latin-1", "[Options]\nChunkSize=0000001000\nStartSound=/home/j\xfcrgen/a.wav\n", "it is not UTF-8 text"},
        {"folder", {}, "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsFixture f;
        if (c.bytes.isEmpty())
            f.dir.createFile(QStringLiteral("parvex.ini/inside"), "[Options]\nChunkSize=0000001000\n");
        else
            f.WriteIni(c.bytes);
        f.ctx.Compare().SetChunkSize(77);
        f.Load();
        EXPECT_EQ(f.ctx.Compare().ChunkSize(), 500000);
        EXPECT_EQ(f.problems, QStringList{QStringLiteral("The settings file ") + f.IniPath() + QStringLiteral(" cannot be read (")
                                          + QString::fromLatin1(c.why)
                                          + QStringLiteral("); every setting takes its default, and the file is left as it is.")});
        f.Save();
        if (!c.bytes.isEmpty()) {
            EXPECT_EQ(f.IniText(), c.bytes);
        }
        EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("parvex.ini")});
    }
}

TEST_F(SettingsTableTest, AFileWithoutReadPermissionIsNamed)
{
    WriteIni("[Options]\nChunkSize=0000001000\n");
    ASSERT_EQ(::chmod(QFile::encodeName(IniPath()).constData(), 0200), 0);
    OpenToEveryone(dir.path());
    const int failed = RunWithoutPrivileges([&] {
        Load();
        if (ctx.Compare().ChunkSize() != 500000)
            return 1;
        if (problems != QStringList{QStringLiteral("The settings file ") + IniPath() + QStringLiteral(" cannot be read (Permission "
                                    "denied); every setting takes its default, and the file is left as it is.")})
            return 2;
        return 0;
    });
    EXPECT_EQ(failed, 0);
}

// A file of 50 MB (long folder lists, say) is read once for the whole load and written once for the whole
// save; what the program does not own in it comes through unchanged.
TEST_F(SettingsTableTest, ALargeFileLoadsAndSavesWhole)
{
    QByteArray big = "[Options]\nChunkSize=0000001000\nSyncMethod=Custom\nLeftFolderNewFilesAction=Delete\n\n[SourcePaths]\n";
    const QByteArray entry = "Path%1=/srv/archive/projects/2023/some/deep/folder/of/the/user/number/";
    for (int i = 0; big.size() < 50 * 1000 * 1000; ++i)
        big += entry + QByteArray::number(i) + "\n";
    const qsizetype listEnd = big.size();
    big += "[Form Dimensions]\nHeight=0000007000\nWindowState=Normal\n";
    WriteIni(big);

    Load();
    EXPECT_EQ(problems, QStringList());
    EXPECT_EQ(ctx.Compare().ChunkSize(), 1000);
    EXPECT_EQ(ctx.SyncSettings().AllRules()[0], CSyncSettings::Delete);
    EXPECT_EQ(ctx.MainOptions().HeightTwips, 7000);

    ctx.Compare().SetChunkSize(2000);
    Save();
    const QByteArray saved = IniText();
    EXPECT_TRUE(saved.startsWith("[Options]\nChunkSize=0000002000\nSyncMethod=Custom\nLeftFolderNewFilesAction=Delete\n"));
    const qsizetype listStart = big.indexOf("\n[SourcePaths]\n");
    const QByteArray list = big.mid(listStart, listEnd - listStart);
    const qsizetype savedList = saved.indexOf("\n[SourcePaths]\n");
    ASSERT_GT(savedList, 0);
    EXPECT_TRUE(saved.mid(savedList, list.size()) == list);
    // The window's place was missing: centred for its stored height, and written after the stored keys.
    EXPECT_TRUE(saved.right(500).contains("\n[Form Dimensions]\nHeight=0000007000\nWindowState=Normal\nWidth=0000009435\n"
                                          "Left=0000004882\nTop=0000004180\n[ColumnWidths]\n"))
        << saved.right(500).constData();
}

TEST_F(SettingsTableTest, ViewButtonsRefreshRightAfterTheViewKeys)
{
    WriteIni("[Options]\nViewType=Similar\nCompareSubFolders=False\n");
    ctx.Compare().SetCompareSubFolders(true);
    SettingsEnvironment env = Screen();
    int calls = 0;
    env.viewSelectionsLoaded = [&] {
        ++calls;
        EXPECT_EQ(ctx.ViewSelections().ViewType(), CViewSelections::Similar);
        EXPECT_TRUE(ctx.Compare().CompareSubFolders()); // read after the view keys
    };
    Load(env);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(ctx.Compare().CompareSubFolders());
}

TEST_F(SettingsTableTest, RestoreDefaultOptionsDeletesTheFileAndResetsMemory)
{
    ChangeEverything(ctx);
    Save();
    ASSERT_TRUE(QFile::exists(IniPath()));
    bool refilled = false;
    RestoreDefaultOptions(ctx.SettingsStore(), ctx.SettingOwners(), Screen(), [&] {
        refilled = true;
        EXPECT_FALSE(QFile::exists(IniPath()));
    });
    EXPECT_TRUE(refilled);
    EXPECT_FALSE(QFile::exists(IniPath()));
    SettingsFixture fresh;
    fresh.Load();
    EXPECT_EQ(Snapshot(ctx), Snapshot(fresh.ctx).replaceInStrings(fresh.dir.path(), dir.path()));

    // Without a file nothing appears on disk.
    RestoreDefaultOptions(ctx.SettingsStore(), ctx.SettingOwners(), Screen());
    EXPECT_FALSE(QFile::exists(IniPath()));
}

TEST_F(SettingsTableTest, RestoreDefaultOptionsReportsASettingsFileThatStays)
{
    // Something in the file's place that cannot be deleted (works whoever runs the test).
    dir.createFile(QStringLiteral("parvex.ini/inside"), "x");
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::AddOrphansToLeft);
    bool refilled = false;
    try {
        RestoreDefaultOptions(ctx.SettingsStore(), ctx.SettingOwners(), Screen(), [&] { refilled = true; });
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_NE(failure.number(), 0);
    }
    EXPECT_FALSE(refilled);
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::AddOrphansToLeft);
}

TEST_F(SettingsTableTest, DefaultsAreWrittenInTableOrderAndInTheirWords)
{
    Load();
    Save();
    QStringList written;
    QString section;
    for (const QByteArray& line : IniText().split('\n')) {
        if (line.startsWith('['))
            section = QString::fromUtf8(line);
        else if (section == QLatin1String("[Options]") && line.contains('='))
            written << QString::fromUtf8(line);
    }
    const QString done = dir.path() + QStringLiteral("parvexdone.wav");
    const QStringList expected = {
        QStringLiteral("CompareSubFolders=True"), QStringLiteral("NumSyncLogEntries=0000000020"),
        QStringLiteral("ViewFileDiffFormat=Visual"), QStringLiteral("ViewFileDiffIgnoreCase=False"),
        QStringLiteral("ViewFileDiffIgnoreWhitespace=False"), QStringLiteral("ViewFileDiffPromptForOptions=True"),
        QStringLiteral("SoundOn=True"), QStringLiteral("StartSound=(none)"), QStringLiteral("ExitSound=(none)"),
        QStringLiteral("ComparisonCompleteSound=") + done, QStringLiteral("SyncCompleteSound=") + done,
        QStringLiteral("SyncMethod=ReplaceOlderCopyOrphans"),
        QStringLiteral("LeftFolderNewFilesAction=Copy"), QStringLiteral("LeftFolderOldFilesAction=Replace"),
        QStringLiteral("LeftFolderOrphanFilesAction=Copy"), QStringLiteral("LeftFolderBinaryFilesAction=Leave"),
        QStringLiteral("RightFolderNewFilesAction=Copy"), QStringLiteral("RightFolderOldFilesAction=Replace"),
        QStringLiteral("RightFolderOrphanFilesAction=Copy"), QStringLiteral("RightFolderBinaryFilesAction=Leave"),
        QStringLiteral("CompareType=Quick"), QStringLiteral("ChunkSize=0000500000"),
        QStringLiteral("ExcludeSystemFiles=False"), QStringLiteral("ExcludeHiddenFiles=False"),
        QStringLiteral("ExcludeSystemFolders=False"), QStringLiteral("ExcludeHiddenFolders=False"),
        QStringLiteral("RemindAboutFATNTFSIssue=True"), QStringLiteral("Ignore2SecDiff=True"),
        QStringLiteral("IgnoreDaylightSavings=False"), QStringLiteral("ViewType=All"),
        QStringLiteral("ViewNewerFiles=True"), QStringLiteral("ViewOlderFiles=True"),
        QStringLiteral("ViewIdenticalFiles=True"), QStringLiteral("ViewOrphanFiles=True"),
        QStringLiteral("ViewBinaryFiles=True"), QStringLiteral("ViewDifferentSubFolders=True"),
        QStringLiteral("ViewIdenticalSubFolders=True"), QStringLiteral("ViewOrphanSubFolders=True"),
        QStringLiteral("ShowCopyConfirmations=True"), QStringLiteral("ShowMoveConfirmations=True"),
        QStringLiteral("ShowDeleteConfirmations=True"), QStringLiteral("ShowSynchronizeConfirmations=True"),
        QStringLiteral("ShowGraphAfterCompare=True"), QStringLiteral("ShowDateTimeChangeConfirmations=True"),
        QStringLiteral("AutoCompareAfterFilter=True"), QStringLiteral("AutoCompareAfterFileOp=True"),
        QStringLiteral("AutoCompareAfterSync=True"), QStringLiteral("AutoCompareAfterDateTimeChange=True"),
        QStringLiteral("AutoCompareAfterCreationOfNewFolder=True"),
        QStringLiteral("AutoCompareAfterCompareMethodChange=True"), QStringLiteral("SyncScrolling=True"),
        QStringLiteral("PromptForSyncMethod=True"), QStringLiteral("CoolbarStyle=Coolbar"),
        QStringLiteral("FontName=Sans"), QStringLiteral("FontSize=09"), QStringLiteral("GradientFillTitlebar=True"),
        QStringLiteral("AutoCompleteFolderPath=True"), QStringLiteral("KeepForUndo=True"),
        QStringLiteral("DeletionGuardShare=0000000050"), QStringLiteral("DeletionGuardFloor=0000000020"),
        QStringLiteral("FollowDeletions=True"),
    };
    EXPECT_EQ(written, expected);
}

TEST_F(SettingsTableTest, LongFilterListsAndSoundPathsComeBackWhole)
{
    QString include;
    for (int i = 0; i < 60; ++i)
        include += QStringLiteral("*.ext%1,").arg(i);
    const QString sound = QStringLiteral("/home/ann/") + QString(300, QLatin1Char('s')) + QStringLiteral(".wav");
    WriteIni("[Options]\nIncludeFileTypes=" + include.toUtf8() + "\nStartSound=" + sound.toUtf8() + "\n");
    Load();
    EXPECT_EQ(ctx.Compare().IncludeFilters(), include);
    EXPECT_EQ(ctx.Sounds().StartSound(), sound);
}

TEST_F(SettingsTableTest, AnyFilterTextSurvivesTheSettingsFile)
{
    // One character, ends of blanks, quotes of its own: each once read back as something else.
    const char* const texts[] = {"*", "a", " *.txt ", "\"quoted\"", "\"", "*.txt,/Docs", ""};
    for (const char* text : texts) {
        const QString filters = QString::fromUtf8(text);
        SaveFiltersToIni(ctx.AppFolder(), dialogs, ctx.Errors(), filters, filters + QStringLiteral("x"));
        SettingsFixture next;
        QFile::remove(next.IniPath());
        ASSERT_TRUE(QFile::copy(IniPath(), next.IniPath()));
        next.Load();
        EXPECT_EQ(next.ctx.Compare().IncludeFilters(), filters) << text;
        EXPECT_EQ(next.ctx.Compare().ExcludeFilters(), filters + QStringLiteral("x")) << text;
    }
    // Ordinary filters are kept as older files have them, and such files read as before.
    SaveFiltersToIni(ctx.AppFolder(), dialogs, ctx.Errors(), QStringLiteral("*.txt"), QStringLiteral("*.bak,/temp"));
    EXPECT_TRUE(IniText().contains("\nIncludeFileTypes=*.txt\nExcludeFileTypes=*.bak,/temp\n"));
    EXPECT_EQ(StoredFilterText(QStringLiteral("*")), QStringLiteral("\"*\""));
    EXPECT_EQ(FilterTextFromStore(QStringLiteral("*.txt")), QStringLiteral("*.txt"));
}
