#include "fileops/GuiStampRenameCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "compare/ResultList.h"
#include "fileops/FileTimeStamps.h"
#include "fileops/RenameObjects.h"
#include "fileops/frmFileDateTimes.h"
#include "fileops/frmRenameMultiple.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/ResultTableModel.h"

#include <QItemSelectionModel>
#include <algorithm>

namespace {

// The names of the pane's selected real rows, in list order; files only when filesOnly is set.
QStringList SelectedNames(const GuiResultPane* pane, bool filesOnly)
{
    const ResultList& hold = pane->ResultModel()->Hold();
    QStringList names;
    for (const int i : pane->SelectedHoldRows()) {
        if (i < 0 || size_t(i) >= hold.size())
            continue;
        const ResultRow& row = hold[size_t(i)];
        if (IsRealRow(row) && !(filesOnly && row.IsFolder()))
            names << row.text;
    }
    return names;
}

} // namespace

GuiStampRenameCommands::GuiStampRenameCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame)
{
    registry.SetHandler(QStringLiteral("mnuSyncTimeStamp"), [this] { SyncTimeStamp(); });
    registry.SetHandler(QStringLiteral("mnuSetDateTimeStamp"), [this] { SetDateTimeStamp(); });
    registry.SetHandler(QStringLiteral("mnuFileChangeFilename"), [this] { ChangeFilename(); });
}

GuiResultPane* GuiStampRenameCommands::OtherPane(const GuiResultPane* pane) const
{
    return pane == m_frame.SourcePane() ? m_frame.TargetPane() : m_frame.SourcePane();
}

void GuiStampRenameCommands::AfterChange()
{
    if (m_ctx.MainOptions().AutoCompareAfterDateTimeChange)
        m_frame.CompareDirs(false, false);
    else
        m_frame.RemoveListItemsAndShowNoCompareMsg();
}

void GuiStampRenameCommands::SyncTimeStamp()
{
    try {
        GuiResultPane* pane = m_frame.CurrentListview();
        if (!m_frame.MenusEnabled() || pane == nullptr)
            return;
        GuiResultPane* other = OtherPane(pane);
        const bool changed = SyncTimeStampWithCounterpart(
            m_ctx.Dialogs(), pane->ResultModel()->Hold(), other->ResultModel()->Hold(), pane->CurrentSelectedHoldRow(),
            m_frame.ComparedFolder(pane), m_frame.ComparedFolder(other), m_ctx.MainOptions().ShowDateTimeChangeConfirmations);
        if (changed)
            AfterChange();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuSyncTimeStamp_Click"));
    }
}

void GuiStampRenameCommands::SetDateTimeStamp()
{
    try {
        GuiResultPane* pane = m_frame.CurrentListview();
        if (!m_frame.MenusEnabled() || pane == nullptr)
            return;
        bool changed = false;
        {
            frmFileDateTimes window(m_ctx, m_frame.ComparedFolder(pane), SelectedNames(pane, true), m_frame.FrameWindow());
            window.exec();
            changed = window.TimesChanged();
        }
        if (changed)
            AfterChange();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuSetDateTimeStamp_Click"));
    }
}

void GuiStampRenameCommands::ChangeFilename()
{
    try {
        GuiResultPane* pane = m_frame.CurrentListview();
        if (!m_frame.MenusEnabled() || pane == nullptr)
            return;
        const QStringList names = SelectedNames(pane, false);
        const QString folder = m_frame.ComparedFolder(pane);
        bool changed = false;
        if (names.isEmpty() || folder.isEmpty()) {
            m_ctx.Dialogs().Message(QStringLiteral("No object selected. Please select a folder or a file and try again."),
                                    QStringLiteral("Unable to Rename"), UserDialogs::Icon::Warning);
            return;
        }
        if (names.size() == 1) {
            changed = RenameOneObject(m_ctx.Dialogs(), folder, names.front());
        } else {
            QStringList folderNames;
            for (const ResultRow& row : pane->ResultModel()->Hold())
                if (IsRealRow(row))
                    folderNames << row.text;
            folderNames += NamesInFolder(folder);
            frmRenameMultiple window(m_ctx, folder, names, folderNames, m_frame.FrameWindow());
            window.exec();
            changed = window.NameChanged();
        }
        if (changed)
            AfterChange();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuFileChangeFilename"));
    }
}
