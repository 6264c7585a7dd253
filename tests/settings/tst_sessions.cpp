#include "../app/MainWindowFixture.h"

#include "compare/CompareRun.h"
#include "model/FilterStore.h"
#include "platform/CIniFile.h"
#include "settings/SessionFile.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Answer = UserDialogs::Answer;

class SessionTest : public MainWindowTest
{
protected:
    // Compares two fresh folders, which puts them at the top of the folder lists.
    void CompareFolders(const QString& name)
    {
        const QString l = folders.createFolder(name + QStringLiteral("/left")) + QLatin1Char('/');
        const QString r = folders.createFolder(name + QStringLiteral("/right")) + QLatin1Char('/');
        window->ReplaceFolderTexts(l, r);
        window->CompareDirs(true, false);
    }

    QStringList Items(const char* box) const { return ComboItems(Child<QComboBox>(box)); }
    QString IniFile() const { return appFolder.file(CIniFile::SettingsFileName()); }

    void Save(const QString& file)
    {
        dialogs.picks.push_back(file);
        Item("mnuFileSaveSessionSettings")->trigger();
    }
    void Load(const QString& file, std::initializer_list<Answer> answers = {Answer::No})
    {
        dialogs.picks.push_back(file);
        for (Answer a : answers)
            dialogs.answers.push_back(a);
        Item("mnuFileLoadSessionSettings")->trigger();
    }

    // The settings that differ between the two states of these tests.
    struct State
    {
        int32_t method;
        bool subFolders;
        QString include;
        QStringList sourceItems;
        QStringList targetItems;
        QSize size;
        bool operator==(const State&) const = default;
    };
    State Now() const
    {
        return {ctx->Compare().CompareMethod(), ctx->Compare().CompareSubFolders(), ctx->Compare().IncludeFilters(),
                Items("cboSourcePath"), Items("cboTargetPath"), window->size()};
    }
    // Changes every setting of State.
    void ChangeEverything()
    {
        CompareFolders(QStringLiteral("later"));
        Item("mnuOptionsCompareTypeThoroughCRC")->trigger();
        Item("mnuOptionsCompareSubFolders")->trigger();
        // As the Options window does: filters are written whenever they change.
        ctx->Compare().SetIncludeFilters(QStringLiteral("*.doc"));
        SaveFiltersToIni(ctx->AppFolder(), ctx->Dialogs(), ctx->Errors(), ctx->Compare().IncludeFilters(),
                         ctx->Compare().ExcludeFilters());
        window->resize(window->size() + QSize(40, 30));
    }

    TempDir folders;
    TempDir sessions;
};

} // namespace

TEST_F(SessionTest, ASavedSessionBringsBackOptionsFolderListsAndSize)
{
    CompareFolders(QStringLiteral("first"));
    window->resize(700, 500);
    const State saved = Now();
    const QString file = sessions.file(QStringLiteral("work.pvs"));
    Save(file);
    // The session is the settings file as it was written at saving.
    EXPECT_EQ(FileBytes(file), FileBytes(IniFile()));
    EXPECT_TRUE(FileBytes(file).contains("[Form Dimensions]"));

    ChangeEverything();
    ASSERT_FALSE(Now() == saved);
    EXPECT_FALSE(Item("mnuOptionsCompareTypeQuick")->isChecked());
    dialogs.clear();
    Load(file);

    EXPECT_TRUE(Now() == saved);
    EXPECT_TRUE(Item("mnuOptionsCompareTypeQuick")->isChecked());
    EXPECT_EQ(FileBytes(IniFile()), FileBytes(file));
    // Both dialogs start in the folder the program started in and offer sessions only.
    ASSERT_EQ(dialogs.pickers.size(), 1);
    EXPECT_EQ(dialogs.pickers[0].title, QStringLiteral("Load Session Settings"));
    EXPECT_EQ(dialogs.pickers[0].start, ctx->StartUpFolder());
    EXPECT_EQ(dialogs.pickers[0].filter, QStringLiteral("Parvex Session (*.pvs);;All files (*)"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Do you wish to save the current settings?"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Save Current Settings?"));
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Question);
    EXPECT_EQ(dialogs.messages[0].buttons, UserDialogs::Buttons::YesNoCancel);
    // The results of the comparison before are gone, and so are their totals.
    EXPECT_EQ(Texts(Left()), QStringList{QStringLiteral("No Comparison Results")});
    EXPECT_EQ(Panel(1), QString());
}

TEST_F(SessionTest, CancelInEachQuestionKeepsWhatItShould)
{
    CompareFolders(QStringLiteral("first"));
    const QString file = sessions.file(QStringLiteral("work.pvs"));
    Save(file);
    ChangeEverything();
    window->ExitWithoutAsking(); // the changed settings are in the settings file now
    const QByteArray changed = FileBytes(IniFile());
    const State current = Now();

    {
        SCOPED_TRACE("save dialog cancelled");
        dialogs.clear();
        Save(QString());
        EXPECT_TRUE(dialogs.messages.isEmpty());
        EXPECT_EQ(QDir(sessions.path()).entryList(QDir::Files), QStringList{QStringLiteral("work.pvs")});
    }
    {
        SCOPED_TRACE("open dialog cancelled");
        dialogs.clear();
        Load(QString(), {});
        EXPECT_TRUE(dialogs.messages.isEmpty());
        EXPECT_EQ(FileBytes(IniFile()), changed);
    }
    {
        SCOPED_TRACE("Cancel to Save Current Settings?");
        Load(file, {Answer::Cancel});
        EXPECT_EQ(FileBytes(IniFile()), changed);
        EXPECT_TRUE(Now() == current);
    }
    {
        SCOPED_TRACE("Yes, then the save dialog cancelled: loads without saving");
        dialogs.clear();
        Load(file, {Answer::Yes});
        EXPECT_EQ(dialogs.prompts, Strings({"Load Session Settings", "Save Session Settings As..."}));
        EXPECT_EQ(FileBytes(IniFile()), FileBytes(file));
        EXPECT_EQ(QDir(sessions.path()).entryList(QDir::Files), QStringList{QStringLiteral("work.pvs")});
    }
}

TEST_F(SessionTest, YesSavesTheCurrentSettingsFirst)
{
    CompareFolders(QStringLiteral("first"));
    const QString first = sessions.file(QStringLiteral("first.pvs"));
    Save(first);
    ChangeEverything();
    const State current = Now();
    dialogs.picks.push_back(first);
    dialogs.picks.push_back(sessions.file(QStringLiteral("kept"))); // typed without an extension: it gets one
    dialogs.answers.push_back(Answer::Yes);
    Item("mnuFileLoadSessionSettings")->trigger();

    Load(sessions.file(QStringLiteral("kept.pvs")));
    EXPECT_TRUE(Now() == current);
    // Every write replaced its file whole: no temporary file stays behind.
    EXPECT_EQ(QDir(sessions.path()).entryList(QDir::Files | QDir::Hidden), Strings({"first.pvs", "kept.pvs"}));
    EXPECT_EQ(QDir(appFolder.path()).entryList({QStringLiteral("*parvex*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("parvex.ini")});
}

// Load Session lists sessions by their extension: a name typed without one gets it, and the load dialog
// offers every file too, for sessions kept under other names.
TEST_F(SessionTest, ANameWithoutAnExtensionGetsItAndAnyNameCanBeLoaded)
{
    CompareFolders(QStringLiteral("first"));
    dialogs.clear();
    Save(sessions.file(QStringLiteral("work")));
    ASSERT_EQ(dialogs.pickers.size(), 1);
    EXPECT_EQ(dialogs.pickers[0].filter, QStringLiteral("Parvex Session (*.pvs)"));
    Save(sessions.file(QStringLiteral("notes.txt")));
    Save(sessions.file(QStringLiteral(".hidden")));
    Save(sessions.file(QStringLiteral("dot.")));
    EXPECT_EQ(QDir(sessions.path()).entryList(QDir::Files | QDir::Hidden),
              Strings({".hidden.pvs", "dot.pvs", "notes.txt", "work.pvs"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // The dialog asked about "work"; "work.pvs" is another file that would be replaced: asked here, No
    // first.
    const QString work = sessions.file(QStringLiteral("work.pvs"));
    sessions.createFile(QStringLiteral("work.pvs"), "[Options]\nkeep=me\n");
    Save(sessions.file(QStringLiteral("work")));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().text, work + QStringLiteral(" already exists.\r\nDo you want to replace it?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Save Session Settings As..."));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNo);
    EXPECT_EQ(FileBytes(work), "[Options]\nkeep=me\n");
    dialogs.answers.push_back(Answer::Yes);
    Save(sessions.file(QStringLiteral("work")));
    EXPECT_EQ(FileBytes(work), FileBytes(sessions.file(QStringLiteral("notes.txt"))));

    const State saved = Now();
    ChangeEverything();
    dialogs.clear();
    Load(sessions.file(QStringLiteral("notes.txt")));
    EXPECT_TRUE(Now() == saved);
    ASSERT_EQ(dialogs.pickers.size(), 1);
    EXPECT_EQ(dialogs.pickers[0].filter, QStringLiteral("Parvex Session (*.pvs);;All files (*)"));
}

TEST_F(SessionTest, AFileThatIsNoSessionIsRefusedAndChangesNothing)
{
    CompareFolders(QStringLiteral("first"));
    window->ExitWithoutAsking();
    const QByteArray before = FileBytes(IniFile());
    const State current = Now();

    const QString big = sessions.file(QStringLiteral("big.pvs"));
    QFile(big).open(QIODevice::WriteOnly);
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), 50 * 1024 * 1024), 0);
    const QString pipe = sessions.file(QStringLiteral("pipe.pvs"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    struct Case
    {
        const char* name;
        QString file;
        const char* problem;
    };
    const Case cases[] = {
        {"empty", sessions.createFile(QStringLiteral("empty.pvs"), ""), "it is empty"},
        {"binary", sessions.createFile(QStringLiteral("picture.pvs"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)),
         "it holds binary data"},
        {"50-mb", big, "it is larger than 1 MB, far more than any settings file"},
        {"latin-1", sessions.createFile(QStringLiteral("old.pvs"), "[Source]\nDir1=/home/j\xf6rg/\n"),
         "it is not UTF-8 text"},
        {"text-of-another-program", sessions.createFile(QStringLiteral("other.pvs"), "[Desktop Entry]\nName=x\n"),
         "it holds none of the sections of the settings file"},
        {"a-pipe-is-not-waited-on", pipe, "it is not a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        Load(c.file, {Answer::Yes});
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.last().text, c.file + QStringLiteral(" is not a Parvex session file: ")
                                           + QString::fromUtf8(c.problem)
                                           + QStringLiteral(".\r\n\r\nThe current settings are left as they were."));
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Load Session Settings"));
        EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
        EXPECT_EQ(FileBytes(IniFile()), before);
        EXPECT_TRUE(Now() == current);
    }
    // Any settings text is a session, however little of it there is.
    dialogs.clear();
    Load(sessions.createFile(QStringLiteral("small.pvs"), "[Options]\r\nCompareSubFolders=False\r\n"));
    EXPECT_FALSE(ctx->Compare().CompareSubFolders());
    EXPECT_EQ(Items("cboSourcePath"), QStringList{FolderPathPrompt()});
}

TEST_F(SessionTest, FailuresAreReportedUnderTheCommandAndLoseNothing)
{
    CompareFolders(QStringLiteral("first"));
    const QString file = sessions.file(QStringLiteral("work.pvs"));
    Save(file);
    ChangeEverything();
    window->ExitWithoutAsking();
    const QByteArray changed = FileBytes(IniFile());

    // Saving into a folder that is not there.
    dialogs.clear();
    Save(sessions.file(QStringLiteral("gone/work.pvs")));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("frmMain.mnuFileSaveSessionSettings_Click")))
        << qPrintable(dialogs.last().text);

    // A vanished session file.
    dialogs.clear();
    Load(sessions.file(QStringLiteral("vanished.pvs")));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("frmMain.mnuFileLoadSessionSettings_Click")))
        << qPrintable(dialogs.last().text);
    EXPECT_EQ(FileBytes(IniFile()), changed);

    // Yes, and keeping the current settings fails: they are not overwritten by the session.
    dialogs.clear();
    dialogs.picks.push_back(file);
    dialogs.picks.push_back(sessions.file(QStringLiteral("gone/kept.pvs")));
    dialogs.answers.push_back(Answer::Yes);
    Item("mnuFileLoadSessionSettings")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("frmMain.mnuFileSaveSessionSettings_Click")));
    EXPECT_EQ(FileBytes(IniFile()), changed);
}

TEST_F(SessionTest, WindowPlaceComesFromTheSession)
{
    // Without "Form Dimensions" the window takes the size and place of a first start.
    FakeUserDialogs otherDialogs;
    TempDir otherFolder;
    AppContext other(otherFolder.path(), otherDialogs);
    BindTestLibrary(other);
    const frmMain fresh(other);
    window->resize(640, 480);
    Load(sessions.createFile(QStringLiteral("no-size.pvs"), "[Options]\nSoundOn=False\n"));
    EXPECT_EQ(window->size(), fresh.size());
    EXPECT_EQ(window->pos(), fresh.pos());

    // A session saved while maximised opens maximised; its normal size is kept for later.
    window->setWindowState(Qt::WindowNoState);
    window->resize(720, 540);
    window->setWindowState(Qt::WindowMaximized);
    const QString file = sessions.file(QStringLiteral("maximised.pvs"));
    Save(file);
    window->setWindowState(Qt::WindowNoState);
    Load(file);
    EXPECT_TRUE(window->isMaximized());
    EXPECT_TRUE(FileBytes(file).contains("WindowState=Maximized")) << FileBytes(file).constData();
}
