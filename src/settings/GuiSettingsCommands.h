#pragma once

#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// The commands that change settings: the Options window on its tabs, the filters (also from the
// selected rows), the synchronisation method, the folder lists and the defaults.
class GuiSettingsCommands final
{
public:
    GuiSettingsCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiSettingsCommands)

private:
    void AddSelectedObjectsToFilter(bool include);
    void SelectSyncMethod(int method);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
};
