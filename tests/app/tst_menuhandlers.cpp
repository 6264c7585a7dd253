#include "MainWindowFixture.h"

#include "app/GuiCommandRegistry.h"
#include "compare/CSubFolderDiffs.h"
#include "settings/OptionTable.h"
#include "views/frmSubDirDiffs.h"

#include <QMenu>
#include <QToolBar>
#include <memory>

// A menu item or toolbar button whose command has no handler does nothing when clicked (the registry keeps
// it disabled). Once a window is built, every item it shows must reach a handler.

namespace {

// Check marks that the option table binds: a click sets their setting without a handler of the registry.
bool SetByTheOptionTable(const QString& item)
{
    for (const OptionRow& row : OptionRows()) {
        if (row.mirror != MenuMirror::Sets && row.mirror != MenuMirror::StoresOnly)
            continue;
        for (const char* name : row.menuItems)
            if (name != nullptr && item == QLatin1String(name))
                return true;
    }
    return false;
}

// Every item of registry that a click would leave without effect, named as "item" or "item -> command".
QStringList Unhandled(const GuiCommandRegistry& registry, bool optionMarksBound)
{
    QStringList names;
    for (const QAction* action : registry.Actions()) {
        const QString name = action->objectName();
        const QString command = registry.CommandOf(name);
        const QAction* commandAction = registry.Action(command);
        const bool markBound = optionMarksBound && commandAction != nullptr && commandAction->isCheckable()
                               && SetByTheOptionTable(command);
        if (!registry.HasHandler(command) && !markBound)
            names << (command == name ? name : name + U(" -> ") + command);
    }
    return names;
}

// Items that window shows in its menus and toolbars but that are not actions of registry: nothing would
// have checked them.
QStringList Strangers(const QWidget& window, const GuiCommandRegistry& registry)
{
    QList<QAction*> shown;
    for (const QMenu* menu : window.findChildren<QMenu*>())
        shown += menu->actions();
    for (const QToolBar* bar : window.findChildren<QToolBar*>())
        shown += bar->actions();
    QStringList names;
    for (QAction* action : shown)
        if (!action->isSeparator() && QMenu::menuInAction(action) == nullptr
            && registry.Action(action->objectName()) != action)
            names << (action->objectName().isEmpty() ? action->text() : action->objectName());
    return names;
}

QString Listed(const QStringList& names) { return names.join(U(", ")); }

} // namespace

TEST_F(MainWindowTest, EveryMenuItemPopupItemAndToolbarButtonHasAHandler)
{
    const GuiCommandRegistry& registry = window->Commands();
    // The tables are really there: the menu bar, the pane pop-ups and the toolbar.
    for (const char* name : {"mnuFileCompareDirectories", "mnuOptionsSoundOn", "mnuFilePopupOpen",
                             "mnuFolderPopupExplore", "mnuDblClickShowDiffs", "tbrHelp"})
        EXPECT_NE(registry.Action(U(name)), nullptr) << name;

    const QStringList unhandled = Unhandled(registry, true);
    EXPECT_TRUE(unhandled.isEmpty()) << "items without a handler: " << qPrintable(Listed(unhandled));
    const QStringList strangers = Strangers(*window, registry);
    EXPECT_TRUE(strangers.isEmpty()) << "items outside the command table: " << qPrintable(Listed(strangers));
}

TEST_F(MainWindowTest, EveryItemOfTheSubFolderWindowHasAHandler)
{
    CSubFolderDiffs diffs;
    diffs.SetStrSubFolderName(U("Work"));
    frmSubDirDiffs sub(*ctx, *window, diffs);
    const GuiCommandRegistry& registry = sub.Commands();
    for (const char* name : {"mnuFileCopy", "mnuSelectBinary", "mnuFileShowDifferences", "tbrExit"})
        EXPECT_NE(registry.Action(U(name)), nullptr) << name;

    // The window binds no option marks: each of its check marks needs a handler as well.
    const QStringList unhandled = Unhandled(registry, false);
    EXPECT_TRUE(unhandled.isEmpty()) << "items without a handler: " << qPrintable(Listed(unhandled));
    const QStringList strangers = Strangers(sub, registry);
    EXPECT_TRUE(strangers.isEmpty()) << "items outside the command table: " << qPrintable(Listed(strangers));
}

// The check itself: a command defined without a handler is named, and an appearance names its command.
TEST(MenuHandlers, AnItemWithoutAHandlerIsNamed)
{
    QWidget owner;
    GuiCommandRegistry registry(&owner);
    registry.Define({"mnuHandled", "Handled"});
    registry.Define({"mnuForgotten", "Forgotten"});
    registry.Define({"mnuOptionsNoSuchMark", "Mark", true});
    registry.Appearance("tbrForgotten", "Forgotten", U("mnuForgotten"));
    registry.Appearance("tbrHandled", "Handled", U("mnuHandled"));
    registry.SetHandler(U("mnuHandled"), [] {});
    EXPECT_EQ(Unhandled(registry, true),
              Strings({"mnuForgotten", "mnuOptionsNoSuchMark", "tbrForgotten -> mnuForgotten"}));

    QMenu menu(&owner);
    menu.addAction(registry.Action(U("mnuHandled")));
    menu.addSeparator();
    menu.addAction(U("Loose item"));
    EXPECT_EQ(Strangers(owner, registry), Strings({"Loose item"}));
}
