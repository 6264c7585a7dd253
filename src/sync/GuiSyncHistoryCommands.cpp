#include "sync/GuiSyncHistoryCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "sync/GuiSyncUndo.h"
#include "sync/frmSyncLog.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/PaneRows.h"
#include "views/ResultTableModel.h"

GuiSyncHistoryCommands::GuiSyncHistoryCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame)
{
    registry.SetHandler(QStringLiteral("mnuViewSyncHistory"), [this] { ShowSyncHistory(); });
    registry.SetHandler(QStringLiteral("mnuViewUndoLastSync"), [this] { UndoLastSync(); },
                        [this] { return GuiSyncUndo::JournalExists(m_ctx.AppFolder()); });
}

void GuiSyncHistoryCommands::ShowSyncHistory()
{
    bool undone = false;
    try {
        frmSyncLog window(m_ctx, m_frame.FrameWindow());
        window.exec();
        undone = window.Undone();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewSyncHistory_Click"));
    }
    if (undone)
        AfterUndo();
}

void GuiSyncHistoryCommands::UndoLastSync()
{
    if (!m_frame.MenusEnabled())
        return;
    GuiSyncUndo undo(m_ctx, m_frame.FrameWindow(), QStringLiteral("frmMain.mnuViewUndoLastSync_Click"));
    undo.SetBusy([this](bool busy) { m_frame.SetMenusEnabled(!busy); });
    if (undo.UndoLast())
        AfterUndo();
}

void GuiSyncHistoryCommands::AfterUndo()
{
    // The results shown may be of the folders the undo changed: they are treated as after a synchronisation.
    if (IsNoResultsList(m_frame.SourcePane()->ResultModel()->Hold())
        && IsNoResultsList(m_frame.TargetPane()->ResultModel()->Hold()))
        return;
    if (m_ctx.MainOptions().AutoCompareAfterSync)
        m_frame.CompareDirs(false, false);
    else
        m_frame.RemoveListItemsAndShowNoCompareMsg();
}
