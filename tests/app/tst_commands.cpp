#include "MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"

#include <QSet>
#include <QWidget>

namespace {

ResultRow Row(const char* text, Category category)
{
    ResultRow r;
    r.text = QString::fromUtf8(text);
    r.icon = category;
    return r;
}

} // namespace

// The registry on its own: handlers, enabled rules, appearances.
TEST(CommandRegistry, HandlersRulesAndAppearances)
{
    QWidget owner;
    GuiCommandRegistry registry(&owner);
    QAction* plain = registry.Define({"cmdPlain", "&Plain"});
    QAction* mark = registry.Define({"cmdMark", "Mark", true, "Ctrl+M"});
    QAction* copy = registry.Appearance("popPlain", "Plain here", QStringLiteral("cmdPlain"));

    // Without a handler a command waits disabled, and so does every appearance of it; marks are live.
    EXPECT_FALSE(plain->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(mark->isEnabled());
    EXPECT_EQ(mark->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
    EXPECT_FALSE(registry.Run(QStringLiteral("cmdPlain")));

    int runs = 0;
    bool allowed = false;
    registry.SetHandler(QStringLiteral("cmdPlain"), [&] { ++runs; }, [&] { return allowed; });
    EXPECT_FALSE(plain->isEnabled());
    EXPECT_FALSE(registry.Run(QStringLiteral("cmdPlain"))) << "the rule is asked before running";
    allowed = true;
    registry.RefreshEnabled();
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_TRUE(copy->isEnabled()) << "an appearance follows its command";
    copy->trigger();
    plain->trigger();
    EXPECT_TRUE(registry.Run(QStringLiteral("cmdPlain")));
    EXPECT_EQ(runs, 3);

    // A rule that turns false again between two refreshes is still honoured by Run.
    allowed = false;
    EXPECT_FALSE(registry.Run(QStringLiteral("cmdPlain")));
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_EQ(runs, 3);

    EXPECT_EQ(registry.Action(QStringLiteral("popPlain")), copy);
    EXPECT_EQ(registry.Action(QStringLiteral("nothing")), nullptr);
}

// Every command of the window is one action under one name; the pop-up items and the toolbar buttons
// are appearances that stand and fall with their commands.
TEST_F(MainWindowTest, EveryCommandIsDefinedOnceAndItsAppearancesFollowIt)
{
    QSet<QString> names;
    for (const QAction* action : window->Commands().Actions()) {
        ASSERT_FALSE(action->objectName().isEmpty()) << qPrintable(action->text());
        EXPECT_FALSE(names.contains(action->objectName())) << qPrintable(action->objectName());
        names.insert(action->objectName());
    }
    const std::pair<const char*, const char*> appearances[] = {
        {"mnuFilePopupOpen", "mnuFileOpenFile"},
        {"mnuFilePopupCopyToOtherFolder", "mnuFileCopySelectedFilesToTargetDirectory"},
        {"mnuFolderPopupSendToRecycleBin", "mnuFileSendSelectedFilesToRecycleBin"},
        {"mnuFolderPopupProperties", "mnuFileShowFileProperties"},
        {"mnuDblClickExplore", "mnuFolderPopupExplore"},
        {"tbrCompare", "mnuFileCompareDirectories"},
        {"tbrCopy", "mnuFileCopySelectedFilesToTargetDirectory"},
        {"tbrProperties", "mnuFileShowFileProperties"},
    };
    for (const auto& [appearance, command] : appearances)
        EXPECT_EQ(Item(appearance)->isEnabled(), Item(command)->isEnabled()) << appearance;

    // The file pop-up's "Open" runs the very command of the File menu.
    Child<QComboBox>("cboSourcePath")->setEditText(QStringLiteral("/data/left"));
    window->HoldSource() = {Row("a.txt", Category::Orphan)};
    window->HoldTarget() = {Row("", Category::None)};
    window->ApplyViewTypes();
    Left()->setCurrentIndex(Left()->model()->index(0, 0));
    Item("mnuFilePopupOpen")->trigger();
    EXPECT_EQ(opened, QStringList{QStringLiteral("/data/left/a.txt")});
}

// "Go to the sub-folder and run compare (Both sides)" needs a folder on both sides: on an orphan
// folder it stays disabled instead of failing and clearing the results.
TEST_F(MainWindowTest, GoingIntoBothSidesNeedsAFolderOnBothSides)
{
    window->HoldSource() = {Row("/Docs", Category::DifferentFolder), Row("/Alone", Category::OrphanFolder),
                            Row("a.txt", Category::Same)};
    window->HoldTarget() = {Row("/Docs", Category::DifferentFolder), Row("", Category::None),
                            Row("a.txt", Category::Same)};
    window->ApplyViewTypes();
    QAction* both = Item("mnuGoToFolderBothSidesRunCompare");
    QAction* thisSide = Item("mnuGoToFolderThisSide");

    Left()->setCurrentIndex(Left()->model()->index(0, 0));
    EXPECT_TRUE(both->isEnabled());
    EXPECT_TRUE(thisSide->isEnabled());

    Left()->setCurrentIndex(Left()->model()->index(1, 0));
    EXPECT_FALSE(both->isEnabled());
    EXPECT_TRUE(thisSide->isEnabled()) << "the orphan folder can still be entered on its own side";
    const QStringList before = {QStringLiteral("/Docs"), QStringLiteral("/Alone"), QStringLiteral("a.txt")};
    both->trigger();
    EXPECT_EQ(Texts(Left()), before) << "the results stay";
    EXPECT_TRUE(dialogs.messages.isEmpty());

    Left()->setCurrentIndex(Left()->model()->index(2, 0));
    EXPECT_FALSE(both->isEnabled()) << "a file row is no sub-folder";
    EXPECT_FALSE(thisSide->isEnabled());
}
