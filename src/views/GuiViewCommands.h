#pragma once

#include <QtGlobal>
#include <cstdint>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// The view types of the View menu: all, differences only, similarities only, and the custom choice made
// with the category buttons.
class GuiViewCommands final
{
public:
    GuiViewCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiViewCommands)

    // Puts the check mark of the View menu on the item of viewType.
    static void CheckViewMenuItem(const GuiCommandRegistry& registry, int32_t viewType);

private:
    void SetViewType(int32_t viewType);
    void ViewOther();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
};
