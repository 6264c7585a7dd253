#include "SettingsFixture.h"
#include "platform/CIniFile.h"
#include "settings/FolderLists.h"
#include "settings/GuiFolderCombos.h"
#include "settings/frmMaintainFolderLists.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

QStringList Folders(int from, int to)
{
    QStringList list;
    for (int i = from; i <= to; ++i)
        list << QStringLiteral("/data/f%1/").arg(i);
    return list;
}

class FolderListsTest : public ::testing::Test, public SettingsFixture
{
protected:
    FolderComboBoxes Boxes() { return {&source, &target, &populating}; }
    QStringList Stored(const QString& section)
    {
        CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        return FolderLists::ReadStored(ini, section);
    }
    void Store(const QString& section, const QStringList& values)
    {
        CIniFile ini(ctx.AppFolder(), ctx.Dialogs());
        ini.SetName(CIniFile::SettingsFileName());
        FolderLists::WriteStored(ini, section, values);
    }

    QComboBox source;
    QComboBox target;
    bool populating = false;
};

} // namespace

TEST(FolderListRules, MoveToTop)
{
    const QStringList full = Folders(1, 20);
    struct Case
    {
        const char* name;
        QStringList stored;
        QString path;
        QStringList expected;
    };
    const Case cases[] = {
        {"new-folder-on-empty-list", QStringList(20, QString()), QStringLiteral("/a/"),
         QStringList{QStringLiteral("/a/")} + QStringList(19, QString())},
        {"third-moves-to-first", full, QStringLiteral("/data/f3/"),
         QStringList{QStringLiteral("/data/f3/")} + Folders(1, 2) + Folders(4, 20)},
        {"new-folder-drops-the-twentieth", full, QStringLiteral("/new/"), QStringList{QStringLiteral("/new/")} + Folders(1, 19)},
        {"letter-case-makes-another-folder", full, QStringLiteral("/DATA/f3/"),
         QStringList{QStringLiteral("/DATA/f3/")} + Folders(1, 19)},
        {"empty-entries-keep-their-places",
         {QStringLiteral("/a/"), QString(), QStringLiteral("/b/")}, QStringLiteral("/b/"),
         {QStringLiteral("/b/"), QStringLiteral("/a/"), QString()}},
        {"hand-edited-duplicates-all-go",
         {QStringLiteral("/b/"), QStringLiteral("/a/"), QStringLiteral("/b/")}, QStringLiteral("/b/"),
         {QStringLiteral("/b/"), QStringLiteral("/a/")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FolderLists::MoveToTop(c.stored, c.path), c.expected);
    }
    EXPECT_EQ(FolderLists::WithTrailingSlash(QStringLiteral("/home/ann/data")), QStringLiteral("/home/ann/data/"));
    EXPECT_EQ(FolderLists::WithTrailingSlash(QStringLiteral("/")), QStringLiteral("/"));
}

TEST_F(FolderListsTest, BoxesWithoutSettingsShowOnlyThePlaceholder)
{
    source.addItem(QStringLiteral("/old/"));
    PopulateDirComboBoxesFromIniFile(ctx, Boxes());
    EXPECT_EQ(ComboItems(&source), QStringList{FolderLists::Placeholder()});
    EXPECT_EQ(ComboItems(&target), QStringList{FolderLists::Placeholder()});
    EXPECT_EQ(source.currentIndex(), 0);
    EXPECT_FALSE(populating);
}

TEST_F(FolderListsTest, StoredListsSkipEmptyValuesAndThePlaceholder)
{
    Store(FolderLists::SourceSection(), {QStringLiteral("/a/"), QString(), FolderLists::Placeholder(), QStringLiteral("/b/")});
    Store(FolderLists::TargetSection(), {QStringLiteral("/home/ann/Data/")});
    bool populatingSeen = false;
    QObject::connect(&source, &QComboBox::currentIndexChanged, [&] { populatingSeen = populating; });
    PopulateDirComboBoxesFromIniFile(ctx, Boxes());
    EXPECT_EQ(ComboItems(&source), (QStringList{QStringLiteral("/a/"), QStringLiteral("/b/")}));
    EXPECT_EQ(ComboItems(&target), QStringList{QStringLiteral("/home/ann/Data/")});
    EXPECT_TRUE(populatingSeen);
    EXPECT_FALSE(populating);
}

TEST_F(FolderListsTest, TheRootFolderSurvivesTheOneCharacterRule)
{
    Store(FolderLists::SourceSection(), {QStringLiteral("/"), QStringLiteral("/b/")});
    EXPECT_EQ(Stored(FolderLists::SourceSection()).mid(0, 2), (QStringList{QStringLiteral("/"), QStringLiteral("/b/")}));
    PopulateDirComboBoxesFromIniFile(ctx, Boxes());
    EXPECT_EQ(ComboItems(&source), (QStringList{QStringLiteral("/"), QStringLiteral("/b/")}));
}

TEST_F(FolderListsTest, ComparedFoldersMoveToTheTopOfFileAndBoxes)
{
    PopulateDirComboBoxesFromIniFile(ctx, Boxes());
    AddPathsToIni(ctx, Boxes(), QStringLiteral("/home/ann/Data"), QStringLiteral("/mnt/backup/"));
    EXPECT_EQ(Stored(FolderLists::SourceSection()).first(), QStringLiteral("/home/ann/Data/"));
    EXPECT_EQ(Stored(FolderLists::TargetSection()).first(), QStringLiteral("/mnt/backup/"));
    EXPECT_EQ(ComboItems(&source), QStringList{QStringLiteral("/home/ann/Data/")});
    EXPECT_EQ(ComboItems(&target), QStringList{QStringLiteral("/mnt/backup/")});
    // Paths keep their own spelling: the folder with another letter case is another folder.
    AddPathsToIni(ctx, Boxes(), QStringLiteral("/home/ann/data/"), QStringLiteral("/mnt/backup/"));
    EXPECT_EQ(ComboItems(&source), (QStringList{QStringLiteral("/home/ann/data/"), QStringLiteral("/home/ann/Data/")}));
    EXPECT_EQ(source.currentText(), QStringLiteral("/home/ann/data/"));
    EXPECT_EQ(ComboItems(&target), QStringList{QStringLiteral("/mnt/backup/")});
    EXPECT_EQ(Stored(FolderLists::SourceSection()).mid(0, 3),
              (QStringList{QStringLiteral("/home/ann/data/"), QStringLiteral("/home/ann/Data/"), QString()}));

    Store(FolderLists::TargetSection(), Folders(1, 20));
    AddPathsToIni(ctx, Boxes(), QStringLiteral("/home/ann/data/"), QStringLiteral("/data/f3"));
    EXPECT_EQ(Stored(FolderLists::TargetSection()), QStringList{QStringLiteral("/data/f3/")} + Folders(1, 2) + Folders(4, 20));
    EXPECT_FALSE(populating);
}

TEST_F(FolderListsTest, MaintainWindowEditsAndSavesBothLists)
{
    Store(FolderLists::SourceSection(), Folders(1, 20));
    PopulateDirComboBoxesFromIniFile(ctx, Boxes());
    frmMaintainFolderLists window(ctx, Boxes());
    auto* left = window.findChild<QListWidget*>(QStringLiteral("lstLeftFolderList"));
    auto* right = window.findChild<QListWidget*>(QStringLiteral("lstRightFolderList"));
    auto* text = window.findChild<QLineEdit*>(QStringLiteral("txtNewFolderName"));
    auto* add = window.findChild<QPushButton*>(QStringLiteral("cmdAdd"));
    auto* remove = window.findChild<QPushButton*>(QStringLiteral("cmdDelete"));
    ASSERT_TRUE(left && right && text && add && remove);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Maintain Folder Lists"));
    EXPECT_EQ(left->count(), 20);
    EXPECT_EQ(right->count(), 0); // the placeholder is no folder

    // A full list takes no 21st folder.
    text->setText(QStringLiteral("/data/f21"));
    add->click();
    EXPECT_EQ(left->count(), 20);
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Only 20 folders may be saved per list."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Maximum Folders in List"));
    EXPECT_EQ(dialogs.last().icon, UserDialogs::Icon::Information);

    remove->click();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please select a folder from the list before pressing the Remove button."));
    left->setCurrentRow(19);
    remove->click();
    EXPECT_EQ(left->count(), 19);

    // The right list: blanks are trimmed, a slash is added, and an exact duplicate is not added again.
    window.findChild<QRadioButton*>(QStringLiteral("optFolderList_0"))->setChecked(true);
    EXPECT_TRUE(left->isHidden());
    EXPECT_FALSE(right->isHidden());
    text->setText(QStringLiteral("   "));
    add->click();
    EXPECT_EQ(dialogs.last().text, QStringLiteral("Please enter a folder name before pressing the Add button."));
    EXPECT_EQ(dialogs.last().title, QStringLiteral("Add Folder to List"));
    for (const char* typed : {"  /srv/Share ", "/srv/Share/", "/srv/share"}) {
        text->setText(QString::fromLatin1(typed));
        add->click();
    }
    EXPECT_EQ(right->count(), 2);
    EXPECT_EQ(right->item(0)->text(), QStringLiteral("/srv/Share/"));
    EXPECT_EQ(right->item(1)->text(), QStringLiteral("/srv/share/"));

    // Browsing fills the text box with the chosen folder and a slash.
    dialogs.picks.push_back(QStringLiteral("/media/usb"));
    window.findChild<QPushButton*>(QStringLiteral("cmdBrowse"))->click();
    EXPECT_EQ(text->text(), QStringLiteral("/media/usb/"));

    window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(FolderLists::SourceSection()), Folders(1, 19) + QStringList{QString()});
    EXPECT_EQ(Stored(FolderLists::TargetSection()).mid(0, 3),
              (QStringList{QStringLiteral("/srv/Share/"), QStringLiteral("/srv/share/"), QString()}));
    EXPECT_EQ(ComboItems(&source), Folders(1, 19));
    EXPECT_EQ(ComboItems(&target), (QStringList{QStringLiteral("/srv/Share/"), QStringLiteral("/srv/share/")}));
    EXPECT_FALSE(populating);
}

TEST_F(FolderListsTest, EmptiedListWritesEmptyValuesAndCancelWritesNothing)
{
    Store(FolderLists::SourceSection(), Folders(1, 2));
    PopulateDirComboBoxesFromIniFile(ctx, Boxes());
    {
        frmMaintainFolderLists window(ctx, Boxes());
        auto* left = window.findChild<QListWidget*>(QStringLiteral("lstLeftFolderList"));
        left->setCurrentRow(0);
        window.findChild<QPushButton*>(QStringLiteral("cmdDelete"))->click();
        window.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    }
    EXPECT_EQ(Stored(FolderLists::SourceSection()).mid(0, 2), Folders(1, 2));

    frmMaintainFolderLists window(ctx, Boxes());
    auto* left = window.findChild<QListWidget*>(QStringLiteral("lstLeftFolderList"));
    while (left->count() > 0) {
        left->setCurrentRow(0);
        window.findChild<QPushButton*>(QStringLiteral("cmdDelete"))->click();
    }
    window.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_EQ(Stored(FolderLists::SourceSection()), QStringList(20, QString()));
    EXPECT_TRUE(IniText().contains("[Source]\nDir1=\nDir2=\n"));
    EXPECT_EQ(source.count(), 0);
}
