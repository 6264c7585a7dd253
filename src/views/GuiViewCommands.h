#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>

class AppContext;
class GuiCommandRegistry;
class GuiResultsFrame;

// The view types of the View menu: all, differences only, similarities only, and the custom choice made
// with the category buttons. Apart from them, "Conflicts" (mnuViewConflicts, a check item): while it is
// checked the panes show only the row pairs changed on both sides since the last synchronization; choosing
// a view type turns it off.
class GuiViewCommands final
{
public:
    GuiViewCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiViewCommands)

    // Puts the check mark of the View menu on the item of viewType.
    static void CheckViewMenuItem(const GuiCommandRegistry& registry, int32_t viewType);
    // Whether the panes show the conflicts only; SetConflictsOnly changes the mark alone.
    static bool ConflictsOnly(const GuiCommandRegistry& registry);
    static void SetConflictsOnly(const GuiCommandRegistry& registry, bool on);
    // The status-bar text of the conflicts-only view.
    static QString ConflictsViewText() { return QStringLiteral("Conflicts"); }

private:
    void SetViewType(int32_t viewType);
    void ViewOther();
    void ViewConflicts();

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
};
