#include "views/GuiSubFolderDiffCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/ResultTableModel.h"
#include "views/frmSubFolderChoice.h"
#include "views/frmSubDirDiffs.h"

#include <QApplication>
#include <QItemSelectionModel>

GuiSubFolderDiffCommands::GuiSubFolderDiffCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame)
{
    registry.SetHandler(QStringLiteral("mnuFolderPopupViewDifferences"), [this] { ShowSelected(); },
                        [this] { return m_frame.MenusEnabled() && !SelectedDifferentFolder().isEmpty(); });
    registry.SetHandler(QStringLiteral("mnuFileShowSubDirDiffs"), [this] { ChooseAndShow(); },
                        [this] { return m_frame.MenusEnabled(); });
}

QString GuiSubFolderDiffCommands::SelectedDifferentFolder() const
{
    const GuiResultPane* pane = m_frame.CurrentListview();
    if (pane == nullptr)
        return {};
    const QModelIndex current = pane->currentIndex();
    int row = -1;
    if (current.isValid() && pane->selectionModel()->isSelected(current))
        row = current.row();
    else if (const QList<int> rows = pane->SelectedRows(); !rows.isEmpty())
        row = rows.front();
    const ResultRow* r = row < 0 ? nullptr : pane->ResultModel()->RowAt(row);
    if (r == nullptr || r->icon != Category::DifferentFolder || !r->IsFolder())
        return {};
    return r->text.mid(1);
}

void GuiSubFolderDiffCommands::ShowSelected()
{
    try {
        if (!m_frame.MenusEnabled())
            return;
        const QString name = SelectedDifferentFolder();
        if (!name.isEmpty())
            frmSubDirDiffs::ShowSubFolderDifferences(m_ctx, m_frame, name);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFolderPopupViewDifferences_Click"));
    }
}

void GuiSubFolderDiffCommands::ChooseAndShow()
{
    try {
        if (!m_frame.MenusEnabled())
            return;
        QString chosen;
        {
            frmSpecifySubFolder window(m_ctx.Dialogs(), m_frame, m_frame.FrameWindow());
            window.Load();
            window.exec();
            chosen = window.Chosen();
        }
        QApplication::processEvents();
        if (chosen.startsWith(QLatin1Char('/')))
            frmSubDirDiffs::ShowSubFolderDifferences(m_ctx, m_frame, chosen.mid(1));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileShowSubDirDiffs_Click"));
    }
}
