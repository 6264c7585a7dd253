#pragma once

#include <QHash>
#include <QString>

class GuiCommandRegistry;
class QMenu;
class QMenuBar;
class QWidget;

// The main window's menus as tables: the menu bar, which defines every command in registry once, and
// the pane pop-ups ("mnuFilePopup", "mnuFolderPopup", "mnuDiffFileDblClick", "mnuDiffSubDirDblClick"),
// whose items are appearances of those commands. Every menu made is added to menus by object name.
void BuildMainMenuBar(QMenuBar* bar, GuiCommandRegistry& registry, QHash<QString, QMenu*>& menus);
void BuildPanePopups(QWidget* parent, GuiCommandRegistry& registry, QHash<QString, QMenu*>& menus);
