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
        m_ctx.ViewSelections().SetViewType(viewType);
        m_frame.ApplyViewTypes();
        m_frame.DisplayViewSelections();
        // Before any comparison ApplyViewTypes leaves the status bar alone; the type is still worth showing.
        m_frame.SetPanelText(4, ViewTypeText(m_ctx.ViewSelections().ViewType()));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuViewViewAll_Click"));
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
