#include "SettingsFixture.h"
#include "SettingsSnapshot.h"
#include "platform/CIniFile.h"
#include "settings/frmMaintainFolderLists.h"
#include "settings/frmOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class OptionsTest : public ::testing::Test, public SettingsFixture
{
protected:
    explicit OptionsTest(bool soundDevice = true, bool playSucceeds = true) : SettingsFixture(soundDevice, playSucceeds)
    {
        Load();
    }

    std::unique_ptr<frmOptions> Open(frmOptions::Tab tab = frmOptions::General)
    {
        frmOptions::Setup setup;
        setup.tab = tab;
        setup.folderBoxes = {&source, &target, &populating};
        auto window = std::make_unique<frmOptions>(ctx, setup);
        window->SetFontPicker([this](const frmOptionsAppearanceTab::FontChoice& current, QWidget*) {
            fontAskedWith = current;
            return pickedFont;
        });
        return window;
    }

    template <typename T>
    static T* Find(QWidget& window, const char* name)
    {
        T* widget = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void Click(QWidget& window, const char* name) { Find<QPushButton>(window, name)->click(); }
    static void Check(QWidget& window, const char* name, bool on) { Find<QAbstractButton>(window, name)->setChecked(on); }
    // A choice the user makes in a combo box: it selects the item and then reports the activation.
    static void Choose(QWidget& window, const char* name, const QString& text)
    {
        auto* combo = Find<QComboBox>(window, name);
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << qPrintable(text);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    static void LeaveBox(QWidget* box)
    {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &leave);
    }
    static QStringList Items(QListWidget* list)
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    QComboBox source;
    QComboBox target;
    bool populating = false;
    std::optional<frmOptionsAppearanceTab::FontChoice> pickedFont;
    frmOptionsAppearanceTab::FontChoice fontAskedWith;
};

class OptionsWithoutSoundTest : public OptionsTest
{
protected:
    OptionsWithoutSoundTest() : OptionsTest(false) {}
};

class OptionsWithBrokenSoundTest : public OptionsTest
{
protected:
    OptionsWithBrokenSoundTest() : OptionsTest(true, false) {}
};

const QString Leave = QStringLiteral("Leave");
const QString Copy = QStringLiteral("Copy to other folder");
const QString ReplaceNewer = QStringLiteral("Replace with newer files from other folder");

} // namespace

TEST_F(OptionsTest, OpensOnTheAskedTabShowingTheCurrentValues)
{
    ctx.MainOptions().ShowMoveConfirmations = false;
    ctx.Compare().SetCompareMethod(CCompare::ThoroughCRC);
    ctx.Compare().SetChunkSize(65536);
    ctx.Compare().SetIncludeFilters(QStringLiteral("*.txt, *.doc,,/Docs"));
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::AddOrphansToRight);
    ctx.MainOptions().CoolbarStyle = MainOptions::Hidden;
    ctx.DiffOptions().SetFormat(cViewFileDiffsOptions::Unix);

    for (int tab = frmOptions::General; tab <= frmOptions::ViewFileDiffs; ++tab) {
        auto window = Open(static_cast<frmOptions::Tab>(tab));
        EXPECT_EQ(Find<QTabWidget>(*window, "tbsOptions")->currentIndex(), tab);
    }
    auto window = Open(frmOptions::IncludeExclude);
    auto* tabs = Find<QTabWidget>(*window, "tbsOptions");
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    EXPECT_EQ(captions, (Strings({"General", "Compare", "Include/Exclude", "Synchronize", "Sounds", "Appearance",
                                     "View File Diffs"})));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Options"));
    EXPECT_TRUE(Find<QCheckBox>(*window, "chkConfirmCopy")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(*window, "chkConfirmMove")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(*window, "optComparisonMethod_2")->isChecked());
    EXPECT_EQ(Find<QLineEdit>(*window, "txtChunkSize")->text(), QStringLiteral("65536"));
    EXPECT_EQ(Items(Find<QListWidget>(*window, "lstIncludeFilters")),
              (Strings({"*.txt", "*.doc", "", "/Docs"})));
    EXPECT_EQ(Find<QComboBox>(*window, "cboSyncMethod")->currentData().toInt(), CSyncSettings::AddOrphansToRight);
    EXPECT_TRUE(Find<QRadioButton>(*window, "optToolbarStyle_0")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(*window, "optFormat_1")->isChecked());
    EXPECT_EQ(Find<QLabel>(*window, "lblCurrentFont")->text(), QStringLiteral("Current Font: Sans 9"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OptionsTest, OkAppliesEveryControl)
{
    auto window = Open();
    for (const char* name : {"chkConfirmCopy", "chkConfirmMove", "chkConfirmDelete", "chkConfirmSynchronize",
                             "chkConfirmDateTimeChange", "chkAutoCompareAfterFileOp", "chkAutoCompareAfterSynchronization",
                             "chkAutoCompareAfterFilterChange", "chkAutoCompareAfterCompareMethodChange",
                             "chkAutoCompareAfterNewSubFolder", "chkAutoCompareAfterDateTimeChange", "chkSyncScrolling",
                             "chkAutoShowGraphAfterCompare", "chkPromptForSyncMethod", "chkAutoCompleteFolderPath",
                             "chkGradientFill", "chkCompareSubFolders", "chkRemindAboutFATNTFSIssue", "chkIgnore2SecDiff",
                             "chkKeepForUndo"})
        Check(*window, name, false);
    for (const char* name : {"chkIgnoreDaylightSavings", "chkExcludeHiddenFiles", "chkExcludeSystemFiles",
                             "chkExcludeHiddenFolders", "chkExcludeSystemFolders", "chkIgnoreWhiteSpace",
                             "chkIgnoreCase", "optComparisonMethod_3", "optToolbarStyle_2", "optFormat_1"})
        Check(*window, name, true);
    Check(*window, "chkShowOptionsDialog", false);
    Find<QLineEdit>(*window, "txtChunkSize")->setText(QStringLiteral(" 65536 "));
    Find<QLineEdit>(*window, "txtFilter")->setText(QStringLiteral(" *.txt "));
    Click(*window, "cmdAdd");
    Check(*window, "optFilterType_1", true);
    Find<QLineEdit>(*window, "txtFilter")->setText(QStringLiteral("*.bak"));
    Click(*window, "cmdAdd");
    Find<QLineEdit>(*window, "txtFilter")->setText(QStringLiteral("/temp"));
    Click(*window, "cmdAdd");
    Choose(*window, "cboSyncMethod", QStringLiteral("Replace Older Files in Left Folder"));
    auto* share = Find<QSpinBox>(*window, "spnDeletionGuardShare");
    share->setValue(0);
    EXPECT_EQ(share->value(), 1) << "a share of nothing would stop every run";
    share->setValue(80);
    Find<QSpinBox>(*window, "spnDeletionGuardFloor")->setValue(0);
    Check(*window, "chkSoundsOn", false);
    auto* events = Find<QTreeWidget>(*window, "lvwEvents");
    events->setCurrentItem(events->topLevelItem(1));
    Find<QLineEdit>(*window, "txtWaveFileSpec")->setText(QStringLiteral("/sounds/bye.wav"));
    pickedFont = frmOptionsAppearanceTab::FontChoice{QStringLiteral("DejaVu Serif"), 11.5};
    Click(*window, "cmdChangeFont");

    Click(*window, "cmdOK");
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_TRUE(window->FiltersChanged());
    EXPECT_TRUE(window->ComparisonMethodChanged());

    const MainOptions& m = ctx.MainOptions();
    for (bool flag : {m.ShowCopyConfirmations, m.ShowMoveConfirmations, m.ShowDeleteConfirmations,
                      m.ShowSynchronizeConfirmations, m.ShowDateTimeChangeConfirmations, m.AutoCompareAfterFileOp,
                      m.AutoCompareAfterSync, m.AutoCompareAfterFilter, m.AutoCompareAfterCompareMethodChange,
                      m.AutoCompareAfterCreationOfNewFolder, m.AutoCompareAfterDateTimeChange, m.SyncScrolling,
                      m.ShowGraphAfterCompare, m.PromptForSyncMethod, m.AutoCompleteFolderPath, m.GradientFillTitlebar,
                      m.KeepForUndo})
        EXPECT_FALSE(flag);
    EXPECT_EQ(m.DeletionGuardShare, 80);
    EXPECT_EQ(m.DeletionGuardFloor, 0);
    EXPECT_EQ(m.CoolbarStyle, MainOptions::Toolbar);
    EXPECT_EQ(m.FontName, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(m.FontSize, 11.5);
    const CCompare& c = ctx.Compare();
    EXPECT_FALSE(c.CompareSubFolders() || c.RemindAboutFATNTFSIssue() || c.IgnoreFAT_NTFS_TwoSecDiff());
    EXPECT_TRUE(c.IgnoreFAT_NTFS_DaylightSavings() && c.ExcludeHiddenFiles() && c.ExcludeSystemFiles()
                && c.ExcludeHiddenFolders() && c.ExcludeSystemFolders());
    EXPECT_EQ(c.CompareMethod(), CCompare::SHA);
    EXPECT_EQ(c.ChunkSize(), 65536);
    EXPECT_EQ(c.IncludeFilters(), QStringLiteral("*.txt"));
    EXPECT_EQ(c.ExcludeFilters(), QStringLiteral("*.bak,/temp"));
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::ReplaceOlderOnLeft);
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (CSyncSettings::Rules{0, 2, 0, 0, 1, 0, 0, 0}));
    EXPECT_FALSE(ctx.Sounds().SoundOn());
    EXPECT_EQ(ctx.Sounds().ExitSound(), QStringLiteral("/sounds/bye.wav"));
    EXPECT_EQ(ctx.Sounds().StartSound(), QStringLiteral("(none)"));
    const cViewFileDiffsOptions& d = ctx.DiffOptions();
    EXPECT_TRUE(d.IgnoreCase() && d.IgnoreWhiteSpace());
    EXPECT_FALSE(d.ShowOptionsDialog());
    EXPECT_EQ(d.Format(), cViewFileDiffsOptions::Unix);

    // The window writes the filter pair and nothing else.
    EXPECT_EQ(IniText(), QByteArray("[Options]\nIncludeFileTypes=*.txt\nExcludeFileTypes=*.bak,/temp\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OptionsTest, CancelChangesNothing)
{
    ChangeEverything(ctx);
    ctx.Compare().SetIncludeFilters(QStringLiteral("*.c"));
    const QStringList before = Snapshot(ctx);
    auto window = Open(frmOptions::Synchronize);
    for (const char* name : {"chkConfirmCopy", "chkCompareSubFolders", "chkExcludeHiddenFiles", "chkIgnoreCase",
                             "chkGradientFill"})
        Find<QAbstractButton>(*window, name)->toggle();
    Check(*window, "optComparisonMethod_0", true);
    Find<QLineEdit>(*window, "txtFilter")->setText(QStringLiteral("*.h"));
    Click(*window, "cmdAdd");
    Choose(*window, "cboNew_0", Leave);
    Choose(*window, "cboSyncMethod", QStringLiteral("Make Right Folder Same As Left Folder"));
    Find<QAbstractButton>(*window, "chkKeepForUndo")->toggle();
    Find<QSpinBox>(*window, "spnDeletionGuardShare")->setValue(33);
    Find<QSpinBox>(*window, "spnDeletionGuardFloor")->setValue(7);
    Find<QLineEdit>(*window, "txtWaveFileSpec")->setText(QStringLiteral("/other.wav"));
    pickedFont = frmOptionsAppearanceTab::FontChoice{QStringLiteral("Serif"), 20};
    Click(*window, "cmdChangeFont");
    Click(*window, "cmdCancel");

    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->FiltersChanged());
    EXPECT_FALSE(window->ComparisonMethodChanged());
    EXPECT_EQ(Snapshot(ctx), before);
    EXPECT_FALSE(QFile::exists(IniPath()));
}

TEST_F(OptionsTest, OkWithoutChangesReportsNoChange)
{
    ctx.Compare().SetIncludeFilters(QStringLiteral("*.TXT"));
    auto window = Open(frmOptions::IncludeExclude);
    // Filters that differ only in letter case are the same filters.
    auto* list = Find<QListWidget>(*window, "lstIncludeFilters");
    list->setCurrentRow(0);
    Click(*window, "cmdDelete");
    Find<QLineEdit>(*window, "txtFilter")->setText(QStringLiteral("*.txt"));
    Click(*window, "cmdAdd");
    Click(*window, "cmdOK");
    EXPECT_FALSE(window->FiltersChanged());
    EXPECT_FALSE(window->ComparisonMethodChanged());
    EXPECT_EQ(ctx.Compare().IncludeFilters(), QStringLiteral("*.TXT"));
    EXPECT_FALSE(QFile::exists(IniPath()));
}

TEST_F(OptionsTest, FilterListsAreEditedByTheirButtons)
{
    ctx.Compare().SetExcludeFilters(QStringLiteral("*.bak"));
    auto window = Open(frmOptions::IncludeExclude);
    auto* include = Find<QListWidget>(*window, "lstIncludeFilters");
    auto* exclude = Find<QListWidget>(*window, "lstExcludeFilters");
    auto* entry = Find<QLineEdit>(*window, "txtFilter");
    // An empty include list offers "*"; the exclude list starts with an empty box.
    EXPECT_FALSE(include->isHidden());
    EXPECT_TRUE(exclude->isHidden());
    EXPECT_EQ(entry->text(), QStringLiteral("*"));
    Check(*window, "optFilterType_1", true);
    EXPECT_FALSE(exclude->isHidden());
    EXPECT_EQ(entry->text(), QString());

    Click(*window, "cmdAdd");
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please enter a file type before pressing the Add button."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Add File Type"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);
    entry->setText(QStringLiteral("*.BAK"));
    Click(*window, "cmdAdd");
    EXPECT_EQ(Items(exclude), Strings({"*.bak"})); // already there, ignoring case
    entry->setText(QStringLiteral("~*"));
    Click(*window, "cmdAdd");
    EXPECT_EQ(entry->text(), QString());

    dialogs.clear();
    Click(*window, "cmdDelete");
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please select a file type from the list before pressing the Remove button."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Delete File Type"));
    exclude->setCurrentRow(0);
    Click(*window, "cmdDelete");
    EXPECT_EQ(Items(exclude), Strings({"~*"}));

    // Saved to a list file and read back.
    const QString listFile = dir.file(QStringLiteral("mine.lst"));
    dialogs.picks.push_back(listFile);
    Click(*window, "cmdSaveList");
    QFile saved(listFile);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("\r\n~*\r\n"));
    EXPECT_EQ(dialogs.prompts.last(), QStringLiteral("Save Filter List As..."));

    // New list: Cancel keeps the lists, No empties them.
    dialogs.answers.push_back(UserDialogs::Answer::Cancel);
    Click(*window, "cmdNewList");
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Do wish to save the current filters?"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Save Filters"));
    EXPECT_EQ(dialogs.last().buttons, UserDialogs::Buttons::YesNoCancel);
    EXPECT_EQ(exclude->count(), 1);
    // Yes, then Cancel in the save dialog: nothing was saved, so nothing is emptied.
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    dialogs.picks.clear();
    Click(*window, "cmdNewList");
    EXPECT_EQ(dialogs.prompts.last(), QStringLiteral("Save Filter List As..."));
    EXPECT_EQ(Items(exclude), Strings({"~*"}));
    // Yes and saved: the file has them, the lists start anew.
    const QString kept = dir.file(QStringLiteral("kept.lst"));
    dialogs.answers.push_back(UserDialogs::Answer::Yes);
    dialogs.picks.push_back(kept);
    Click(*window, "cmdNewList");
    EXPECT_EQ(FileBytes(kept), QByteArray("\r\n~*\r\n"));
    EXPECT_EQ(exclude->count(), 0);
    dialogs.picks.push_back(kept);
    Click(*window, "cmdLoadList");
    EXPECT_EQ(exclude->count(), 1);
    dialogs.answers.push_back(UserDialogs::Answer::No);
    Click(*window, "cmdNewList");
    EXPECT_EQ(exclude->count(), 0);

    const QString other = dir.createFile(QStringLiteral("other.lst"), "*.txt, *.doc\n/tmp\n");
    dialogs.picks.push_back(other);
    Click(*window, "cmdLoadList");
    EXPECT_EQ(dialogs.prompts.last(), QStringLiteral("Load a Filter List"));
    EXPECT_EQ(Items(include), (Strings({"*.txt", "*.doc"})));
    EXPECT_EQ(Items(exclude), Strings({"/tmp"}));

    // A file of one line is reported and changes nothing.
    const QString shortFile = dir.createFile(QStringLiteral("short.lst"), "*.c\r\n");
    dialogs.picks.push_back(shortFile);
    dialogs.clear();
    Click(*window, "cmdLoadList");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.last().text.contains(QStringLiteral("Source: frmOptions.cmdLoadList")));
    EXPECT_EQ(Items(include), (Strings({"*.txt", "*.doc"})));

    // A cancelled dialog does nothing.
    Click(*window, "cmdLoadList");
    EXPECT_EQ(dialogs.messages.size(), 1);

    Click(*window, "cmdOK");
    EXPECT_TRUE(window->FiltersChanged());
    EXPECT_EQ(ctx.Compare().IncludeFilters(), QStringLiteral("*.txt, *.doc"));
    EXPECT_EQ(ctx.Compare().ExcludeFilters(), QStringLiteral("/tmp"));
}

TEST_F(OptionsTest, ChunkSizeIsCheckedWhenTheFocusLeavesIt)
{
    auto window = Open(frmOptions::Compare);
    auto* chunk = Find<QLineEdit>(*window, "txtChunkSize");
    const QString invalidTail = QStringLiteral(" is not a valid Chunk Size value.\r\n"
                                               "Please enter a whole number in the range of 1 byte to 10 million bytes.");
    for (const char* bad : {"abc", "1.5", "0", "-4", "10000001", ""}) {
        SCOPED_TRACE(bad);
        dialogs.clear();
        chunk->setText(QString::fromLatin1(bad));
        LeaveBox(chunk);
        QApplication::processEvents();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.last().text, QLatin1Char('"') + QString::fromLatin1(bad) + QLatin1Char('"') + invalidTail);
        EXPECT_EQ(dialogs.last().title, QStringLiteral("Invalid Chunk Size"));
        EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);
        EXPECT_EQ(chunk->selectedText(), chunk->text());
    }
    for (const char* good : {"1", "2000000", " 750000 "}) {
        dialogs.clear();
        chunk->setText(QString::fromLatin1(good));
        LeaveBox(chunk);
        EXPECT_TRUE(dialogs.messages.isEmpty()) << good;
    }
    chunk->setText(QStringLiteral("10000000"));
    LeaveBox(chunk);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Large Chunk Memory Warning"));
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Warning: You may experience memory related issues when \r\n"
                                                  "using a chunk size larger than two million bytes.\r\n"
                                                  "(Depending on your computer's configuration)"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);

    // Leaving the box for another tab with a bad value brings the Compare tab back with the box in it.
    auto* tabs = Find<QTabWidget>(*window, "tbsOptions");
    chunk->setText(QStringLiteral("12abc"));
    dialogs.clear();
    tabs->setCurrentIndex(frmOptions::IncludeExclude);
    LeaveBox(chunk);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(tabs->currentIndex(), frmOptions::Compare);

    // OK never takes a bad value: the window stays open on the Compare tab.
    chunk->setText(QStringLiteral("lots"));
    Find<QTabWidget>(*window, "tbsOptions")->setCurrentIndex(frmOptions::General);
    dialogs.clear();
    Click(*window, "cmdOK");
    EXPECT_NE(window->result(), QDialog::Accepted);
    EXPECT_EQ(Find<QTabWidget>(*window, "tbsOptions")->currentIndex(), frmOptions::Compare);
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(ctx.Compare().ChunkSize(), 500000);
    chunk->setText(QStringLiteral("10000000"));
    Click(*window, "cmdOK");
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(ctx.Compare().ChunkSize(), 10000000);
}

TEST_F(OptionsTest, ShaIsOfferedOnlyWhenAvailable)
{
    frmOptions::Setup setup;
    setup.shaAvailable = false;
    ctx.Compare().SetCompareMethod(CCompare::SHA);
    frmOptions window(ctx, setup);
    EXPECT_EQ(window.findChild<QRadioButton*>(QStringLiteral("optComparisonMethod_3")), nullptr);
    EXPECT_TRUE(Find<QRadioButton>(window, "optComparisonMethod_0")->isChecked());
}

TEST_F(OptionsTest, RuleCombosAreCoupledAndEnabledOnlyForCustom)
{
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::Custom);
    ctx.SyncSettings().SetAllRules({0, 0, 2, 0, 0, 3, 1, 0}); // a replaced orphan, from a hand-edited file
    auto window = Open(frmOptions::Synchronize);
    auto* method = Find<QComboBox>(*window, "cboSyncMethod");
    auto* frame = Find<QGroupBox>(*window, "fraCustomSync");
    auto* description = Find<QLabel>(*window, "lblSyncMethodDescription");
    ASSERT_EQ(method->count(), 8);
    EXPECT_EQ(method->itemData(3).toInt(), CSyncSettings::AddOrphansToLeft);
    EXPECT_EQ(method->currentText(), QStringLiteral("Custom"));
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_EQ(description->text(), QStringLiteral("Create your own custom sync method. Specify the actions to be "
                                                  "performed on each type by selecting values from the options below."));
    EXPECT_EQ(Find<QComboBox>(*window, "cboOrphan_0")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>(*window, "cboOld_1")->currentText(), QStringLiteral("Delete from this folder"));

    Choose(*window, "cboNew_0", Copy);
    EXPECT_EQ(Find<QComboBox>(*window, "cboOld_1")->currentText(), ReplaceNewer);
    Choose(*window, "cboNew_0", Leave);
    EXPECT_EQ(Find<QComboBox>(*window, "cboOld_1")->currentText(), Leave);
    Choose(*window, "cboOld_1", QStringLiteral("Delete from this folder"));
    Choose(*window, "cboNew_0", Leave);
    EXPECT_EQ(Find<QComboBox>(*window, "cboOld_1")->currentText(), QStringLiteral("Delete from this folder"));
    Choose(*window, "cboBinary_1", QStringLiteral("Replace with object from other folder"));
    EXPECT_EQ(Find<QComboBox>(*window, "cboBinary_0")->currentText(), Copy);

    Choose(*window, "cboSyncMethod", QStringLiteral("Make Left Folder Same As Right Folder"));
    EXPECT_FALSE(frame->isEnabled());
    EXPECT_TRUE(description->text().startsWith(QStringLiteral("Delete all orphan objects from the left.")));
    EXPECT_FALSE(Find<QLabel>(*window, "imgSyncMethod")->pixmap().isNull());
    Choose(*window, "cboSyncMethod", QStringLiteral("Custom"));
    EXPECT_TRUE(frame->isEnabled());
    Choose(*window, "cboOrphan_1", QStringLiteral("Leave"));

    Click(*window, "cmdOK");
    // The custom set starts from the method shown before it.
    EXPECT_EQ(ctx.SyncSettings().SyncMethod(), CSyncSettings::Custom);
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (CSyncSettings::Rules{2, 2, 3, 2, 1, 1, 0, 1}));
}

TEST_F(OptionsTest, UnreadableOrphanRuleIsStoredAsLeave)
{
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::Custom);
    ctx.SyncSettings().SetAllRules({1, 2, 2, 0, 1, 2, 1, 0});
    auto window = Open(frmOptions::Synchronize);
    Click(*window, "cmdOK");
    EXPECT_EQ(ctx.SyncSettings().AllRules(), (CSyncSettings::Rules{1, 2, 0, 0, 1, 2, 1, 0}));
}

TEST_F(OptionsTest, SoundsTabEditsTheEventFilesAndPlaysThem)
{
    auto window = Open(frmOptions::Sounds);
    auto* events = Find<QTreeWidget>(*window, "lvwEvents");
    auto* file = Find<QLineEdit>(*window, "txtWaveFileSpec");
    ASSERT_EQ(events->topLevelItemCount(), 4);
    QStringList names;
    for (int i = 0; i < 4; ++i)
        names << events->topLevelItem(i)->text(0);
    EXPECT_EQ(names, (Strings({"Start Parvex", "Exit Parvex", "Comparison Completed", "Synchronization Completed"})));
    EXPECT_EQ(file->text(), QStringLiteral("(none)"));
    events->setCurrentItem(events->topLevelItem(2));
    EXPECT_EQ(file->text(), dir.path() + QStringLiteral("parvexdone.wav"));

    Click(*window, "cmdPlay");
    ASSERT_EQ(player->played.size(), 1);
    EXPECT_EQ(player->played[0].file, dir.path() + QStringLiteral("parvexdone.wav"));
    EXPECT_FALSE(player->played[0].async);

    Click(*window, "cmdNone");
    EXPECT_EQ(events->topLevelItem(2)->text(1), QStringLiteral("(none)"));
    file->setText(QStringLiteral("(NONE)"));
    Click(*window, "cmdPlay");
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please select a valid Wave file."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Unable to Play Wave File Sound"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Warning);
    EXPECT_EQ(player->played.size(), 1);

    dialogs.picks.push_back(QStringLiteral("/sounds/done.wav"));
    Click(*window, "cmdBrowseForWave");
    EXPECT_EQ(dialogs.prompts.last(), QStringLiteral("Select Wave File"));
    EXPECT_EQ(events->topLevelItem(2)->text(1), QStringLiteral("/sounds/done.wav"));
    Click(*window, "cmdBrowseForWave"); // cancelled
    EXPECT_EQ(file->text(), QStringLiteral("/sounds/done.wav"));

    Click(*window, "cmdOK");
    EXPECT_EQ(ctx.Sounds().CompareCompleteSound(), QStringLiteral("/sounds/done.wav"));
    EXPECT_EQ(ctx.Sounds().SyncCompleteSound(), dir.path() + QStringLiteral("parvexdone.wav"));
}

TEST_F(OptionsWithBrokenSoundTest, PlayReportsAFileThatCannotBePlayed)
{
    auto window = Open(frmOptions::Sounds);
    Find<QLineEdit>(*window, "txtWaveFileSpec")->setText(QStringLiteral("/nowhere.wav"));
    Click(*window, "cmdPlay");
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Unable to play the specified .wav file."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Play Wave File"));
}

TEST_F(OptionsWithoutSoundTest, SoundsCannotBeSwitchedOnWithoutAWaveDevice)
{
    auto window = Open(frmOptions::Sounds);
    auto* on = Find<QCheckBox>(*window, "chkSoundsOn");
    EXPECT_FALSE(on->isChecked());
    on->click();
    EXPECT_FALSE(on->isChecked());
    EXPECT_EQ(dialogs.last().text, QStringLiteral("This PC does not support the playing of wave files"));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("No Wave File Support"));
    Click(*window, "cmdOK");
    EXPECT_FALSE(ctx.Sounds().SoundOn());
}

TEST_F(OptionsTest, FontDialogStartsFromTheCurrentFontAndCancelKeepsIt)
{
    auto window = Open(frmOptions::Appearance);
    Click(*window, "cmdChangeFont");
    EXPECT_EQ(fontAskedWith.name, QStringLiteral("Sans"));
    EXPECT_EQ(fontAskedWith.size, 9);
    EXPECT_EQ(Find<QLabel>(*window, "lblCurrentFont")->text(), QStringLiteral("Current Font: Sans 9"));
    pickedFont = frmOptionsAppearanceTab::FontChoice{QStringLiteral("Mono"), 12};
    Click(*window, "cmdChangeFont");
    EXPECT_EQ(Find<QLabel>(*window, "lblCurrentFont")->text(), QStringLiteral("Current Font: Mono 12"));
    Click(*window, "cmdOK");
    EXPECT_EQ(ctx.MainOptions().FontName, QStringLiteral("Mono"));
}

TEST_F(OptionsTest, MaintainFolderListsOpensFromTheGeneralTab)
{
    auto window = Open();
    EXPECT_TRUE(Find<QPushButton>(*window, "cmdMaintainFolderLists")->isEnabled());
    frmOptions bare(ctx, frmOptions::Setup{});
    EXPECT_FALSE(Find<QPushButton>(bare, "cmdMaintainFolderLists")->isEnabled());
}

// With PARVEX_SCREENSHOT_DIR set, saves a picture of every tab for a look at the layout.
TEST_F(OptionsTest, Screenshots)
{
    const QString folder = qEnvironmentVariable("PARVEX_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "PARVEX_SCREENSHOT_DIR not set";
    QDir().mkpath(folder);
    ctx.Compare().SetIncludeFilters(QStringLiteral("*.txt,*.doc,/Docs"));
    ctx.SyncSettings().SetSyncMethod(CSyncSettings::ReplaceOlderCopyOrphans);
    const char* names[] = {"general", "compare", "filters", "synchronize", "sounds", "appearance", "diffs"};
    for (int tab = frmOptions::General; tab <= frmOptions::ViewFileDiffs; ++tab) {
        auto window = Open(static_cast<frmOptions::Tab>(tab));
        window->show();
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().save(folder + QStringLiteral("/options-%1-%2.png").arg(tab).arg(QString::fromLatin1(names[tab]))));
    }
    source.addItems({QStringLiteral("/home/ann/Data/"), QStringLiteral("/srv/share/projects/")});
    frmMaintainFolderLists maintain(ctx, {&source, &target, &populating});
    maintain.show();
    QApplication::processEvents();
    EXPECT_TRUE(maintain.grab().save(folder + QStringLiteral("/maintain-folder-lists.png")));
}
