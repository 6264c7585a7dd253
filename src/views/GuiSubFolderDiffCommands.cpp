#include "views/GuiSubFolderDiffCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "base/UserDialogs.h"
#include "compare/CCompare.h"
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
            Show(name);
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
            Show(chosen.mid(1));
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileShowSubDirDiffs_Click"));
    }
}

void GuiSubFolderDiffCommands::Show(const QString& name)
{
    if (frmSubDirDiffs::ShowSubFolderDifferences(m_ctx, m_frame, name))
        return;
    // A differing sub-folder without a list of its differences: either the comparison did not look inside
    // sub-folders, or a side's files could not be listed and what was seen matched. Opening nothing
    // without a word looked like a broken command.
    const QString why = m_ctx.Compare().CompareSubFolders()
        ? QStringLiteral("The differences inside the sub-folder \"%1\" are not known: its files could not all be "
                         "listed, so they were not compared.\n\nView > Error Log names what could not be read.")
              .arg(name)
        : QStringLiteral("The differences inside the sub-folder \"%1\" are not known: the last comparison did not "
                         "look inside sub-folders.\n\nTurn on Options > Compare Sub-Folders and compare again.")
              .arg(name);
    m_ctx.Dialogs().Message(why, QStringLiteral("Show Sub-Folder Differences"), UserDialogs::Icon::Information);
}
