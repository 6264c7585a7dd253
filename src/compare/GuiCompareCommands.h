#pragma once

#include <QtGlobal>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// The commands that start a comparison or choose how it compares: "Compare &Folders", "Compare the
// Parent Folders", the four comparison methods and "Chunk Size...".
class GuiCompareCommands final
{
public:
    GuiCompareCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiCompareCommands)

private:
    void CompareParents();
    void SelectCompareMethod(int method);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
};
