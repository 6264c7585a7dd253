#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "app/GuiMainMenus.h"
#include "app/GuiToolbarPictures.h"
#include "views/GuiResultPane.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

void frmMain::BuildMenus()
{
    BuildMainMenuBar(menuBar(), *m_commands, m_menus);
    BuildPanePopups(this, *m_commands, m_menus);
    m_filePopup = m_menus.value(QStringLiteral("mnuFilePopup"));
    m_folderPopup = m_menus.value(QStringLiteral("mnuFolderPopup"));
}

QAction* frmMain::Action(const QString& objectName) const { return m_commands->Action(objectName); }

QMenu* frmMain::TopMenu(const QString& objectName) const { return m_menus.value(objectName, nullptr); }

namespace {
struct ToolbarButton
{
    const char* name;
    const char* caption;
    ToolbarPicture picture;
    const char* command; // the menu item the button runs
};
const ToolbarButton ToolbarButtons[] = {
    {"tbrCompare", "Compare", ToolbarPicture::Compare, "mnuFileCompareDirectories"},
    {"tbrCompareFiles", "Compare Files", ToolbarPicture::CompareFiles, "mnuFileCompareFiles"},
    {"tbrSync", "Sync", ToolbarPicture::Sync, "mnuFileAutoSynch"},
    {"tbrCopy", "Copy", ToolbarPicture::Copy, "mnuFileCopySelectedFilesToTargetDirectory"},
    {"tbrMove", "Move", ToolbarPicture::Move, "mnuFileMoveSelectedFilesToTargetDirectory"},
    {"tbrDelete", "Delete", ToolbarPicture::Delete, "mnuFileSendSelectedFilesToRecycleBin"},
    {"tbrProperties", "Properties", ToolbarPicture::Properties, "mnuFileShowFileProperties"},
    {"tbrPrint", "Print", ToolbarPicture::Print, "mnuFilePrint"},
    {"tbrExit", "Exit", ToolbarPicture::Exit, "mnuFileExit"},
    {"tbrHelp", "Help", ToolbarPicture::Help, "mnuHelpContents"},
};
} // namespace

void frmMain::BuildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("ParvexToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (const ToolbarButton& b : ToolbarButtons) {
        const QString command = QString::fromLatin1(b.command);
        QAction* action =
            m_commands->Appearance(b.name, b.caption, command, [this, command] { ToolbarPress(command); });
        action->setIcon(ToolbarIcon(b.picture));
        m_toolbar->addAction(action);
        if (b.picture == ToolbarPicture::Properties || b.picture == ToolbarPicture::Print)
            m_toolbar->addSeparator();
    }
    SetToolbarStyle(m_toolbarStyle);
}

// A press while a long operation runs, or while a command started from the toolbar is still at work (its
// own message loop lets further presses through), does nothing but beep.
void frmMain::ToolbarPress(const QString& command)
{
    QAction* menuItem = Action(command);
    if (!MenusEnabled() || m_toolbarCommandRunning || menuItem == nullptr) {
        QApplication::beep();
        return;
    }
    m_toolbarCommandRunning = true;
    // A comparison started here tells the run that the toolbar started it.
    if (command == QLatin1String("mnuFileCompareDirectories"))
        CompareDirs(false, true);
    else
        m_commands->Run(command);
    m_toolbarCommandRunning = false;
}

void frmMain::SetToolbarStyle(int style)
{
    if (style != ToolbarHidden && style != ToolbarLarge && style != ToolbarSmall)
        style = ToolbarLarge;
    m_toolbarStyle = style;
    // One value for the menu, the Options window and the settings file.
    m_ctx.MainOptions().CoolbarStyle = style;
    if (m_toolbar != nullptr) {
        m_toolbar->setVisible(style != ToolbarHidden);
        m_toolbar->setIconSize(style == ToolbarLarge ? QSize(32, 32) : QSize(16, 16));
        m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
    const char* checked = style == ToolbarHidden ? "mnuOptionsToolbarHide"
                          : style == ToolbarSmall ? "mnuOptionsToolbarShowToolbar"
                                                  : "mnuOptionsToolbarShowCoolbar";
    if (QAction* action = Action(QString::fromLatin1(checked)))
        action->setChecked(true);
}

bool frmMain::MenusEnabled() const
{
    const QMenu* file = TopMenu(QStringLiteral("mnuFile"));
    return file == nullptr || file->menuAction()->isEnabled();
}

void frmMain::SetMenusEnabled(bool enabled)
{
    for (const char* name : {"mnuFile", "mnuOptions", "mnuSelect", "mnuView", "mnuHelp"})
        if (QMenu* menu = TopMenu(QString::fromLatin1(name)))
            menu->menuAction()->setEnabled(enabled);
    m_commands->SetKeysEnabled(enabled);
    // The user said yes to leaving while a long operation ran (a synchronisation, a file operation, a
    // differences run): the window closes once control is back in the event loop, unless another
    // operation has started meanwhile (a comparison after a synchronisation), whose end closes it.
    if (enabled && m_closeAfterRun)
        QMetaObject::invokeMethod(this, [this] { CloseIfAsked(); }, Qt::QueuedConnection);
}

void frmMain::CloseIfAsked()
{
    if (!m_closeAfterRun || !MenusEnabled())
        return;
    m_closeAfterRun = false;
    ExitWithoutAsking();
}
