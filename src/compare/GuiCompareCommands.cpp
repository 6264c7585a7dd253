#include "compare/GuiCompareCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "compare/CompareMethod.h"
#include "model/CDir.h"
#include "views/GuiResultsFrame.h"

#include <QAction>

namespace {
// The Options window's tab of the comparison settings.
constexpr int CompareTab = 2;
} // namespace

GuiCompareCommands::GuiCompareCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_registry(registry)
{
    registry.SetHandler(QStringLiteral("mnuFileCompareDirectories"), [this] { m_frame.CompareDirs(true, false); });
    registry.SetHandler(QStringLiteral("mnuFileCompareParents"), [this] { CompareParents(); });
    for (int method = 0; method < 4; ++method)
        registry.SetHandler(CompareMethodMenuName(method), [this, method] { SelectCompareMethod(method); });
    registry.SetHandler(QStringLiteral("mnuOptionsChunkSize"), [this] { m_frame.OpenOptionsWindow(CompareTab); });
}

void GuiCompareCommands::CompareParents()
{
    if (!m_frame.MenusEnabled())
        return;
    try {
        m_frame.ReplaceFolderTexts(CDir::GetParentDir(m_frame.FolderText(true)),
                                   CDir::GetParentDir(m_frame.FolderText(false)));
        m_frame.CompareDirs(true, false);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileCompareParents_Click"));
    }
}

void GuiCompareCommands::SelectCompareMethod(int method)
{
    try {
        const MethodChoiceEffect effect =
            ChooseCompareMethod(m_ctx.Compare(), method, m_ctx.MainOptions().AutoCompareAfterCompareMethodChange);
        if (QAction* item = m_registry.Action(CompareMethodMenuName(m_ctx.Compare().CompareMethod())))
            item->setChecked(true);
        if (effect == MethodChoiceEffect::CompareAgain)
            m_frame.CompareDirs(false, false);
        else if (effect == MethodChoiceEffect::ClearResults)
            m_frame.RemoveListItemsAndShowNoCompareMsg();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuOptionsCompareType_Click"));
    }
}
