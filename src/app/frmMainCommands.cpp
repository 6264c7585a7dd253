#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "app/GuiObjectCommands.h"
#include "compare/GuiCompareCommands.h"
#include "diff/GuiDiffCommands.h"
#include "settings/GuiSessionCommands.h"
#include "settings/GuiSettingsCommands.h"
#include "fileops/GuiFileOpCommands.h"
#include "fileops/GuiStampRenameCommands.h"
#include "sync/GuiSyncCommands.h"
#include "sync/GuiSyncHistoryCommands.h"
#include "settings/frmMaintainFolderLists.h"
#include "views/GuiSelectionCommands.h"
#include "views/GuiSubFolderDiffCommands.h"
#include "views/GuiResultPane.h"
#include "views/GuiViewCommands.h"
#include "views/ResultTableModel.h"

#include <QMenu>
#include <QToolButton>

// Each subsystem's controller gives its commands their handlers; the frame only lends them its panes,
// its folder boxes and its services.
void frmMain::WireCommands()
{
    m_compareCommands = std::make_unique<GuiCompareCommands>(m_ctx, *this, *m_commands);
    m_viewCommands = std::make_unique<GuiViewCommands>(m_ctx, *this, *m_commands);
    m_settingsCommands = std::make_unique<GuiSettingsCommands>(m_ctx, *this, *m_commands);
    m_objectCommands = std::make_unique<GuiObjectCommands>(m_ctx, *this, *m_commands);
    m_fileOpCommands = std::make_unique<GuiFileOpCommands>(m_ctx, *this, *m_commands);
    m_syncCommands = std::make_unique<GuiSyncCommands>(m_ctx, *this, *m_commands);
    m_syncHistoryCommands = std::make_unique<GuiSyncHistoryCommands>(m_ctx, *this, *m_commands);
    m_diffCommands = std::make_unique<GuiDiffCommands>(m_ctx, *this, *m_commands);
    m_selectionCommands = std::make_unique<GuiSelectionCommands>(m_ctx, *this, *m_commands);
    m_stampRenameCommands = std::make_unique<GuiStampRenameCommands>(m_ctx, *this, *m_commands);
    m_sessionCommands = std::make_unique<GuiSessionCommands>(
        m_ctx, *m_commands, SessionWindow{[this] { SaveSettings(); }, [this] { ReloadSessionSettings(); }});
    m_subFolderDiffCommands = std::make_unique<GuiSubFolderDiffCommands>(m_ctx, *this, *m_commands);

    // Each folder button opens the folder picker; its arrow opens the folder's own menu.
    for (const bool source : {true, false}) {
        auto* button = findChild<QToolButton*>(source ? QStringLiteral("imgSelectSource") : QStringLiteral("imgSelectTarget"));
        const QString name = source ? QStringLiteral("mnuSourceFolderButton") : QStringLiteral("mnuTargetFolderButton");
        auto* menu = new QMenu(button);
        menu->setObjectName(name);
        menu->addAction(m_commands->Action(source ? QStringLiteral("mnuSourceFolderNewSubFolder")
                                                  : QStringLiteral("mnuTargetFolderNewSubFolder")));
        connect(menu, &QMenu::aboutToShow, m_commands, &GuiCommandRegistry::RefreshEnabled);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        m_menus.insert(name, menu);
    }
}

GuiFileOpCommands& frmMain::FileOpCommands() const { return *m_fileOpCommands; }
GuiSyncCommands& frmMain::SyncCommands() const { return *m_syncCommands; }
GuiSelectionCommands& frmMain::SelectionCommands() const { return *m_selectionCommands; }

void frmMain::SetUrlOpener(std::function<bool(const QUrl&)> opener) { m_objectCommands->SetUrlOpener(std::move(opener)); }

void frmMain::MaintainFolderLists()
{
    try {
        frmMaintainFolderLists window(m_ctx, FolderBoxes(), this);
        window.exec();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuOptionsMaintainFolderLists_Click"));
    }
}
