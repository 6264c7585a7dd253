#include "views/GuiViewCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "views/GuiResultsFrame.h"
#include "views/PaneRows.h"

#include <QAction>

GuiViewCommands::GuiViewCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_registry(registry)
{
    registry.SetHandler(QStringLiteral("mnuViewViewAll"), [this] { SetViewType(ViewAll); });
    registry.SetHandler(QStringLiteral("mnuViewDifferences"), [this] { SetViewType(ViewDifferent); });
    registry.SetHandler(QStringLiteral("mnuViewSimilarities"), [this] { SetViewType(ViewSimilar); });
    registry.SetHandler(QStringLiteral("mnuViewOther"), [this] { ViewOther(); });
    registry.SetHandler(QStringLiteral("mnuViewConflicts"), [this] { ViewConflicts(); });
}

bool GuiViewCommands::ConflictsOnly(const GuiCommandRegistry& registry)
{
    const QAction* action = registry.Action(QStringLiteral("mnuViewConflicts"));
    return action != nullptr && action->isChecked();
}

void GuiViewCommands::SetConflictsOnly(const GuiCommandRegistry& registry, bool on)
{
    if (QAction* action = registry.Action(QStringLiteral("mnuViewConflicts")))
        action->setChecked(on);
}

void GuiViewCommands::CheckViewMenuItem(const GuiCommandRegistry& registry, int32_t viewType)
{
    const char* name = viewType == ViewAll         ? "mnuViewViewAll"
                       : viewType == ViewDifferent ? "mnuViewDifferences"
                       : viewType == ViewSimilar   ? "mnuViewSimilarities"
                                                   : "mnuViewOther";
    if (QAction* action = registry.Action(QString::fromLatin1(name)))
        action->setChecked(true);
}

void GuiViewCommands::SetViewType(int32_t viewType)
{
    try {
        CheckViewMenuItem(m_registry, viewType);
        // A view type chosen means the rows of that type, not the conflicts among them.
        SetConflictsOnly(m_registry, false);
        m_ctx.ViewSelections().SetViewType(viewType);
        m_frame.ApplyViewTypes();
        m_frame.DisplayViewSelections();
        // Before any comparison ApplyViewTypes leaves the status bar alone; the type is still worth showing.
        m_frame.SetPanelText(4, ViewTypeText(m_ctx.ViewSelections().ViewType()));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewViewAll_Click"));
    }
}

// The item's own check mark is the state: the trigger has already toggled it.
void GuiViewCommands::ViewConflicts()
{
    try {
        m_frame.ApplyViewTypes();
        m_frame.SetPanelText(4, ConflictsOnly(m_registry) ? ConflictsViewText()
                                                          : ViewTypeText(m_ctx.ViewSelections().ViewType()));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewConflicts_Click"));
    }
}

void GuiViewCommands::ViewOther()
{
    CheckViewMenuItem(m_registry, ViewCustom);
    m_ctx.ViewSelections().SetViewType(ViewCustom);
    m_ctx.Lib().ShowInformationMessage(
        QStringLiteral("Use the icons in the center of the program to specify custom View options"),
        QStringLiteral("Custom View"));
}
