#include "sync/GuiSyncHistoryCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "sync/frmSyncLog.h"
#include "views/GuiResultsFrame.h"

GuiSyncHistoryCommands::GuiSyncHistoryCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame)
{
    registry.SetHandler(QStringLiteral("mnuViewSyncHistory"), [this] { ShowSyncHistory(); });
}

void GuiSyncHistoryCommands::ShowSyncHistory()
{
    try {
        frmSyncLog window(m_ctx, m_frame.FrameWindow());
        window.exec();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewSyncHistory_Click"));
    }
}
