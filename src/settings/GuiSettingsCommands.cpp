#include "settings/GuiSettingsCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "base/UserDialogs.h"
#include "model/FilterStore.h"
#include "model/Filters.h"
#include "settings/OptionTable.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "compare/ResultList.h"
#include "views/ResultTableModel.h"

#include <QAction>

namespace {

// Tabs of the Options window, numbered from 1 as the commands name them.
enum OptionsTab { General = 1, Compare, Filters, Synchronize, Sounds, Appearance, ViewFileDiffs };

} // namespace

GuiSettingsCommands::GuiSettingsCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_registry(registry)
{
    const auto tab = [this](int t) { return [this, t] { m_frame.OpenOptionsWindow(t); }; };
    registry.SetHandler(QStringLiteral("mnuOptionsFilters"), tab(Filters));
    registry.SetHandler(QStringLiteral("mnuOptionsChangeSounds"), tab(Sounds));
    registry.SetHandler(QStringLiteral("mnuOptionsAppearance"), tab(Appearance));
    registry.SetHandler(QStringLiteral("mnuFileAddToIncludeFilter"), [this] { AddSelectedObjectsToFilter(true); });
    registry.SetHandler(QStringLiteral("mnuFileAddToExcludeFilter"), [this] { AddSelectedObjectsToFilter(false); });
    registry.SetHandler(QStringLiteral("mnuOptionsMaintainFolderLists"), [this] { m_frame.MaintainFolderLists(); });
    registry.SetHandler(QStringLiteral("mnuOptionsRestoreDefaults"), [this] { m_frame.RestoreDefaultOptions(); });
    registry.SetHandler(QStringLiteral("mnuFileRestoreDefaultSessionSettings"),
                        [this] { m_frame.RestoreDefaultOptions(); });
    for (int method = 0; method < CSyncSettings::MethodCount; ++method)
        registry.SetHandler(QString::fromLatin1(SyncMethodMenuItems[method]), [this, method] { SelectSyncMethod(method); });
}

void GuiSettingsCommands::AddSelectedObjectsToFilter(bool include)
{
    try {
        const GuiResultPane* pane = m_frame.CurrentListview();
        QStringList names;
        for (int row : pane->SelectedRows())
            if (const ResultRow* r = pane->ResultModel()->RowAt(row); r != nullptr && IsRealRow(*r))
                names << r->text;
        if (names.isEmpty()) {
            m_ctx.Dialogs().Message(
                QStringLiteral("No objects to add to filter. Please select files and/or folders and try again."),
                include ? QStringLiteral("Add to Include Filter") : QStringLiteral("Add to Exclude Filter"),
                UserDialogs::Icon::Warning);
            return;
        }
        CCompare& compare = m_ctx.Compare();
        if (include)
            compare.SetIncludeFilters(AppendToFilterText(compare.IncludeFilters(), names));
        else
            compare.SetExcludeFilters(AppendToFilterText(compare.ExcludeFilters(), names));
        SaveFiltersToIni(m_ctx.AppFolder(), m_ctx.Dialogs(), m_ctx.Errors(), compare.IncludeFilters(),
                         compare.ExcludeFilters());
        m_frame.AfterFilterChange();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(include ? QStringLiteral("frMain.mnuFileAddToIncludeFilter")
                                                     : QStringLiteral("frMain.mnuFileAddToExcludeFilter"));
    }
}

void GuiSettingsCommands::SelectSyncMethod(int method)
{
    try {
        m_registry.Action(QString::fromLatin1(SyncMethodMenuItems[method]))->setChecked(true);
        if (m_ctx.SyncSettings().SyncMethod() == method)
            return;
        m_ctx.SyncSettings().SetSyncMethod(method);
        if (method == CSyncSettings::Custom)
            m_frame.OpenOptionsWindow(Synchronize);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuOptionsSync_Click"));
    }
}
