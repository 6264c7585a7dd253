#pragma once

#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// The View menu's "Synchronization History" (the history window, modal over the main window) and "Undo Last
// Synchronization" (GuiSyncUndo). After an undo, from the menu or from the history window's button, the
// results are compared again or cleared as after a synchronisation; results not shown stay as they are.
// The undo command is enabled once the application folder holds a journal.
class GuiSyncHistoryCommands final
{
public:
    GuiSyncHistoryCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiSyncHistoryCommands)

private:
    void ShowSyncHistory();
    void UndoLastSync();
    void AfterUndo();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
};
