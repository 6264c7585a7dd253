#include "fileops/GuiFileOpCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "model/PathUtils.h"
#include "fileops/frmConfirmation.h"
#include "fileops/frmCreateSubFolder.h"
#include "fileops/frmFileOpProgress.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/ResultTableModel.h"

#include <QFileInfo>
#include <QItemSelectionModel>
#include <algorithm>
#include <QTimer>

GuiFileOpCommands::GuiFileOpCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_confirmation(std::make_unique<GuiConfirmation>(frame.FrameWindow())),
      m_runner(std::make_unique<GuiFileOpRunner>(frame.FrameWindow()))
{
    const auto command = [&](const char* name, Command c) {
        registry.SetHandler(QString::fromLatin1(name), [this, c] { RunCommand(c); });
    };
    command("mnuFileCopySelectedFilesToTargetDirectory", Command::CopyToOther);
    command("mnuFileCopySelectedFilesToSpecifiedDirectory", Command::CopyToAny);
    command("mnuFileMoveSelectedFilesToTargetDirectory", Command::MoveToOther);
    command("mnuFileMoveSelectedFilesToSpecifiedDirectory", Command::MoveToAny);
    command("mnuFileSendSelectedFilesToRecycleBin", Command::Trash);
    command("mnuFileDeletePermanently", Command::Delete);
    registry.SetHandler(QStringLiteral("mnuSourceFolderNewSubFolder"), [this] { NewSubFolder(true); });
    registry.SetHandler(QStringLiteral("mnuTargetFolderNewSubFolder"), [this] { NewSubFolder(false); });

    for (GuiResultPane* pane : {m_frame.SourcePane(), m_frame.TargetPane()}) {
        pane->SetDragPaths([this, pane] { return SelectedPaths(pane); });
        // Queued: the work (and its questions) runs once the drop has ended.
        QObject::connect(pane, &GuiResultPane::ObjectsDropped, pane,
                         [this, pane](const QStringList& paths, Qt::KeyboardModifiers modifiers) {
                             Drop(pane, paths, modifiers);
                         },
                         Qt::QueuedConnection);
    }
}

GuiFileOpCommands::~GuiFileOpCommands() = default;

RowOpServices GuiFileOpCommands::Services()
{
    return {m_ctx.Dialogs(),
            m_ctx.Errors(),
            m_ctx.Lib(),
            *m_drives,
            m_confirmationOverride != nullptr ? *m_confirmationOverride : *m_confirmation,
            m_runnerOverride != nullptr ? *m_runnerOverride : *m_runner};
}

GuiResultPane* GuiFileOpCommands::OtherPane(const GuiResultPane* pane) const
{
    return pane == m_frame.SourcePane() ? m_frame.TargetPane() : m_frame.SourcePane();
}


QStringList GuiFileOpCommands::SelectedPaths(const GuiResultPane* pane) const
{
    const RowIndexes rows = pane->SelectedHoldRows();
    return OperandPaths({pane->ResultModel()->Hold(), rows, m_frame.ComparedFolder(pane)});
}

void GuiFileOpCommands::AfterChange(bool autoCompare)
{
    if (autoCompare)
        m_frame.CompareDirs(false, false);
    else
        m_frame.RemoveListItemsAndShowNoCompareMsg();
}

void GuiFileOpCommands::RunCommand(Command command)
{
    if (!m_frame.MenusEnabled())
        return;
    GuiResultPane* pane = m_frame.CurrentListview();
    if (pane == nullptr)
        return;
    const MainOptions& options = m_ctx.MainOptions();
    const RowIndexes rows = pane->SelectedHoldRows();
    const OpList list{pane->ResultModel()->Hold(), rows, m_frame.ComparedFolder(pane)};
    GuiResultPane* other = OtherPane(pane);
    const ResultList& otherRows = other->ResultModel()->Hold();
    const QString otherFolder = m_frame.ComparedFolder(other);

    m_frame.SetMenusEnabled(false);
    Outcome outcome;
    const RowOpServices services = Services();
    // Below the compared folders no link is followed on the way to a row's object.
    services.runner.roots = QStringList{m_frame.ComparedFolder(m_frame.SourcePane()), m_frame.ComparedFolder(m_frame.TargetPane())};
    switch (command) {
    case Command::CopyToOther:
        outcome = CopyFilesToOtherDirAndLVW(services, list, otherRows, otherFolder, options.ShowCopyConfirmations, false);
        break;
    case Command::CopyToAny:
        outcome = CopyOrMoveToChosenFolder(services, list, false, options.ShowCopyConfirmations);
        break;
    case Command::MoveToOther:
        outcome = MoveFilesToOtherDirAndLVW(services, list, otherRows, otherFolder, options.ShowMoveConfirmations);
        break;
    case Command::MoveToAny:
        outcome = CopyOrMoveToChosenFolder(services, list, true, options.ShowMoveConfirmations);
        break;
    case Command::Trash:
        outcome = DeleteFilesFromLVW(services, list, options.ShowDeleteConfirmations, false);
        break;
    case Command::Delete:
        outcome = DeletePermanentlyFilesFromLVW(services, list, options.ShowDeleteConfirmations, false);
        break;
    }
    m_frame.SetMenusEnabled(true);
    if (outcome.changed)
        AfterChange(options.AutoCompareAfterFileOp);
}

void GuiFileOpCommands::Drop(GuiResultPane* pane, const QStringList& paths, Qt::KeyboardModifiers modifiers)
{
    if (!m_frame.MenusEnabled() || paths.isEmpty())
        return;
    // A pane stands for the folder of its box: dropping works before any comparison too.
    const QString folder = m_frame.PaneFolder(pane);
    m_frame.SetMenusEnabled(false);
    const Outcome outcome = ProcessOLEDragDrop(Services(), paths, folder, modifiers.testFlag(Qt::ControlModifier),
                                               modifiers.testFlag(Qt::ShiftModifier),
                                               m_ctx.MainOptions().ShowCopyConfirmations);
    m_frame.SetMenusEnabled(true);
    if (outcome.changed)
        AfterChange(m_ctx.MainOptions().AutoCompareAfterFileOp);
}

void GuiFileOpCommands::NewSubFolder(bool source)
{
    if (!m_frame.MenusEnabled())
        return;
    try {
        GuiResultPane* pane = source ? m_frame.SourcePane() : m_frame.TargetPane();
        const QString parent = m_frame.PaneFolder(pane);
        if (parent.isEmpty() || !QFileInfo(parent).isDir()) {
            m_ctx.Dialogs().Message(QStringLiteral("The path \"") + parent + QStringLiteral("\" was not found."),
                                    QStringLiteral("Create New Sub-Folder"), UserDialogs::Icon::Warning);
            return;
        }
        QString name;
        {
            frmCreateSubFolder window(m_ctx.Dialogs(), m_frame.FrameWindow());
            window.ShowForm(parent);
            name = window.EnteredName();
        }
        if (!CreateNewSubFolder(m_ctx.Dialogs(), m_ctx.Lib(), m_ctx.Errors(), parent, name))
            return;
        if (!m_ctx.MainOptions().AutoCompareAfterCreationOfNewFolder)
            return;
        m_frame.CompareDirs(false, false);
        // The new folder's row becomes the current row of its pane.
        ResultTableModel* model = pane->ResultModel();
        const QString text = QLatin1Char('/') + name;
        for (int row = 0; row < model->rowCount(); ++row) {
            const ResultRow* r = model->RowAt(row);
            if (r != nullptr && r->text == text) {
                const QModelIndex index = model->index(row, 0);
                pane->selectionModel()->setCurrentIndex(
                    index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                pane->scrollTo(index);
                break;
            }
        }
        pane->setFocus();
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.mnuNewSubFolder_Click"));
    }
}
