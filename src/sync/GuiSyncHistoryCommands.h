#pragma once

#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// The View menu's "Synchronization History": shows the history window modally over the main window.
class GuiSyncHistoryCommands final
{
public:
    GuiSyncHistoryCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiSyncHistoryCommands)

private:
    void ShowSyncHistory();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
};
