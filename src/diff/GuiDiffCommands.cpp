#include "diff/GuiDiffCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "compare/ResultList.h"
#include "diff/GuiShowFileDiffs.h"
#include "diff/frmCompareFiles.h"
#include "settings/GuiOptionMarks.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/ResultTableModel.h"

#include <QApplication>

GuiDiffCommands::GuiDiffCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_registry(registry)
{
    // A file without a counterpart to compare with (an orphan, an identical file) has no differences to
    // show: the item is off for it rather than answering with a message. Without a file row the command
    // still says what is missing.
    registry.SetHandler(QStringLiteral("mnuFileShowFileDiffs"), [this] { ShowFileDiffs(); },
                        [this] { return CurrentRowMayHaveDiffs(); });
    registry.SetHandler(QStringLiteral("mnuFileCompareFiles"), [this] { CompareFiles(); });
}


bool GuiDiffCommands::CurrentRowMayHaveDiffs() const
{
    const GuiResultPane* pane = m_frame.CurrentListview();
    if (pane == nullptr)
        return true;
    const int row = pane->CurrentSelectedHoldRow();
    const ResultList& rows = pane->ResultModel()->Hold();
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return true;
    const ResultRow& r = rows[static_cast<std::size_t>(row)];
    if (!IsRealRow(r) || r.IsFolder())
        return true;
    return r.icon == Category::Newer || r.icon == Category::Older || r.icon == Category::Binary;
}

void GuiDiffCommands::RefreshMarks()
{
    ::RefreshOptionMarks([this](const QString& name) { return m_registry.Action(name); }, m_ctx.SettingOwners());
    m_ctx.SettingsChanged();
}

void GuiDiffCommands::ResultsOutdated()
{
    if (m_ctx.MainOptions().AutoCompareAfterSync)
        m_frame.CompareDirs(false, false);
    else
        m_frame.RemoveListItemsAndShowNoCompareMsg();
}

void GuiDiffCommands::ShowFileDiffs()
{
    const QString title = QStringLiteral("Show File Differences");
    try {
        if (!m_frame.MenusEnabled())
            return;
        GuiResultPane* pane = m_frame.CurrentListview();
        const int row = pane == nullptr ? -1 : pane->CurrentSelectedHoldRow();
        const ResultList& own = pane == nullptr ? ResultList{} : pane->ResultModel()->Hold();
        if (row < 0 || static_cast<std::size_t>(row) >= own.size() || !IsRealRow(own[static_cast<std::size_t>(row)])) {
            m_ctx.Dialogs().Message(QStringLiteral("No file is selected"), title, UserDialogs::Icon::Information);
            return;
        }
        const ResultRow& mine = own[static_cast<std::size_t>(row)];
        if (mine.IsFolder()) {
            m_ctx.Dialogs().Message(QStringLiteral("Selected object is not a file"), title, UserDialogs::Icon::Information);
            return;
        }
        GuiResultPane* otherPane = pane == m_frame.SourcePane() ? m_frame.TargetPane() : m_frame.SourcePane();
        const ResultList& other = otherPane->ResultModel()->Hold();
        const bool paired = mine.icon == Category::Newer || mine.icon == Category::Older || mine.icon == Category::Binary;
        // The counterpart is the other side's row at the same place, under its own spelling.
        if (!paired || static_cast<std::size_t>(row) >= other.size() || !IsRealRow(other[static_cast<std::size_t>(row)])) {
            m_ctx.Dialogs().Message(QStringLiteral("The selected file has no counterpart"), title,
                                    UserDialogs::Icon::Information);
            return;
        }
        const QString fileOne = RowObjectPath(m_frame.ComparedFolder(pane), mine);
        const QString fileTwo = RowObjectPath(m_frame.ComparedFolder(otherPane), other[static_cast<std::size_t>(row)]);
        m_ctx.DiffOptions().SetFileOne(fileOne);
        m_ctx.DiffOptions().SetFileTwo(fileTwo);

        m_frame.SetMenusEnabled(false);
        m_frame.SourcePane()->setEnabled(false);
        m_frame.TargetPane()->setEnabled(false);
        const DiffCallerFolders folders{m_frame.ComparedFolder(m_frame.SourcePane()), m_frame.ComparedFolder(m_frame.TargetPane())};
        const bool saved = ShowFileDifferences(m_ctx, m_frame.FrameWindow(), folders, [this] { RefreshMarks(); });
        m_frame.SourcePane()->setEnabled(true);
        m_frame.TargetPane()->setEnabled(true);
        m_frame.SetMenusEnabled(true);
        if (saved)
            ResultsOutdated();
    } catch (...) {
        m_frame.SourcePane()->setEnabled(true);
        m_frame.TargetPane()->setEnabled(true);
        m_frame.SetMenusEnabled(true);
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileShowFileDiffs_Click"));
    }
}

void GuiDiffCommands::CompareFiles()
{
    try {
        if (!m_frame.MenusEnabled())
            return;
        CompareFilesStart start;
        start.leftFolder = m_frame.FolderText(true);
        start.rightFolder = m_frame.FolderText(false);
        // Each side's name comes from its own row at the selected place.
        const int row = m_frame.CurrentListview() == nullptr ? -1 : m_frame.CurrentListview()->CurrentSelectedHoldRow();
        if (row >= 0) {
            start.leftName = frmCompareFiles::SelectedRowName(m_frame.SourcePane()->ResultModel()->Hold(), row);
            start.rightName = frmCompareFiles::SelectedRowName(m_frame.TargetPane()->ResultModel()->Hold(), row);
        }
        const DiffCallerFolders folders{start.leftFolder, start.rightFolder};
        QWidget* owner = m_frame.FrameWindow();
        bool synchronised = false;
        bool saved = false;
        {
            frmCompareFiles window(
                m_ctx, start,
                [this, folders, &window, &saved](const QString&, const QString&) {
                    saved = ShowFileDifferences(m_ctx, &window, folders, [this] { RefreshMarks(); }) || saved;
                },
                owner);
            window.exec();
            synchronised = window.FileSynchronised();
        }
        if (synchronised || saved)
            ResultsOutdated();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileCompareFiles_Click"));
    }
}
