#include "sync/GuiSyncCommands.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "platform/DriveQueries.h"
#include "sync/SyncHistory.h"
#include "sync/frmConfirmSync.h"
#include "fileops/frmFileOpProgress.h"
#include "sync/frmSyncWizard.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/PaneRows.h"
#include "views/ResultTableModel.h"

#include <QApplication>
#include <QDateTime>
#include <algorithm>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString FailureText(const SyncStep& step, const FileOps::Result& result)
{
    return step.text + QStringLiteral(": ") + QString::number(result.error) + QStringLiteral(" - ") + result.errorText;
}

} // namespace

GuiSyncCommands::GuiSyncCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry)
    : m_ctx(ctx), m_frame(frame), m_registry(registry)
{
    registry.SetHandler(QStringLiteral("mnuFileAutoSynch"), [this] { Start(false); });
    registry.SetHandler(QStringLiteral("mnuFileSyncSelectedObjects"), [this] { Start(true); });
}

void GuiSyncCommands::Start(bool selectedOnly)
{
    if (!m_frame.MenusEnabled())
        return;
    const ResultList& left = m_frame.SourcePane()->ResultModel()->Hold();
    const ResultList& right = m_frame.TargetPane()->ResultModel()->Hold();
    if (IsNoResultsList(left) && IsNoResultsList(right)) {
        m_frame.CompareDirs(false, false);
        if (IsNoResultsList(m_frame.SourcePane()->ResultModel()->Hold())
            && IsNoResultsList(m_frame.TargetPane()->ResultModel()->Hold())) {
            m_ctx.Dialogs().Message(QStringLiteral("Unable to synchronize.  No comparison has been executed yet."),
                                    QStringLiteral("Synchronization"), UserDialogs::Icon::Warning);
            return;
        }
    }
    AutoSynch(m_ctx.MainOptions().ShowSynchronizeConfirmations, selectedOnly);
}

bool GuiSyncCommands::AskMethod(bool& selectedOnly)
{
    if (m_askMethod)
        return m_askMethod(selectedOnly);
    const bool proceed = frmSyncWizard::Ask(m_ctx, m_frame.FrameWindow(), m_frame.ComparedFolder(m_frame.SourcePane()),
                                            m_frame.ComparedFolder(m_frame.TargetPane()), selectedOnly,
                                            [this](const QString& name) { return m_registry.Action(name); });
    QApplication::processEvents();
    return proceed;
}

bool GuiSyncCommands::ConfirmPlan(const std::vector<SyncStep>& plan)
{
    if (m_confirmPlan)
        return m_confirmPlan(plan);
    frmConfirmSync window(plan, m_frame.ComparedFolder(m_frame.SourcePane()), m_frame.ComparedFolder(m_frame.TargetPane()),
                          m_frame.FrameWindow());
    window.exec();
    QApplication::processEvents();
    return window.Proceed();
}

void GuiSyncCommands::RecordHistory(const QString& leftFolder, const QString& rightFolder, bool cancelled)
{
    AppendSyncRecord(m_ctx.AppFolder(), QDateTime::currentDateTime(), leftFolder, rightFolder, !cancelled,
                     m_ctx.MainOptions().NumSyncLogEntries, m_ctx.Errors());
}


void GuiSyncCommands::AutoSynch(bool showConfirmation, bool selectedOnly)
{
    try {
        if (m_ctx.MainOptions().PromptForSyncMethod && !AskMethod(selectedOnly))
            return;
        const bool scoped = static_cast<bool>(m_scope.diffs);
        const ResultList none;
        const ResultList& left = scoped ? none : m_frame.SourcePane()->ResultModel()->Hold();
        const ResultList& right = scoped ? none : m_frame.TargetPane()->ResultModel()->Hold();
        const QString leftFolder = scoped ? m_scope.leftParent : m_frame.ComparedFolder(m_frame.SourcePane());
        const QString rightFolder = scoped ? m_scope.rightParent : m_frame.ComparedFolder(m_frame.TargetPane());
        const RowIndexes selected = selectedOnly ? m_frame.CurrentListview()->SelectedHoldRows() : RowIndexes{};
        const CSyncSettings::Rules rules = m_ctx.SyncSettings().AllRules();
        // The differences are copied: the run compares again at its end, which refills the window's own.
        std::vector<int> rowOf;
        const SubFolderDiffsList subFolders =
            scoped ? SubFolderDiffsList{m_scope.diffs(selectedOnly ? &selected : nullptr, rowOf)} : m_frame.SubFolderDifferences();
        // A sub-folder's own run is limited by the entries it was given, not by rows of the folder above.
        const SyncInput input{left, right, leftFolder, rightFolder, subFolders, rules,
                              selectedOnly && !scoped ? &selected : nullptr};
        QStringList withheld;
        const std::vector<SyncStep> plan = PlanSync(input, &withheld);
        if (showConfirmation && !ConfirmPlan(plan))
            return;

        const SyncLists lists = GetListOfFilesAffectedBySync(left, right, rules, input.selectedOnly);
        const SpaceCheck space = EnoughSpaceForSync({m_ctx.Dialogs(), m_ctx.Errors(), DriveQueries::System()},
                                                    {left, leftFolder}, {right, rightFolder}, lists, subFolders, rules,
                                                    input.selectedOnly);
        if (space.reported)
            return;
        if (!space.enough
            && m_ctx.Dialogs().Message(LowDiskSpaceText(m_ctx.Lib(), space), LowDiskSpaceTitle(),
                                       UserDialogs::Icon::Information, UserDialogs::Buttons::OkCancel)
                   != UserDialogs::Answer::Ok)
            return;

        // The rows may go when a message box lets the window repaint; the run keeps its own plan.
        m_frame.SetMenusEnabled(false);
        QStringList failures;
        std::vector<SyncStep> done;
        SyncReport report;
        {
            frmFileOpProgress progress(QStringLiteral("Synchronization"), QStringLiteral("Synchronizing..."),
                                       m_frame.FrameWindow());
            size_t stepNumber = 0;
            progress.RunWork([&](const FileOps::Control& control) {
                report = CarryOutSync(plan, control, [&](const SyncStep& step, const FileOps::Result& result) {
                    ++stepNumber;
                    progress.SetActionText(QStringLiteral("Synchronizing... (") + QString::number(stepNumber)
                                           + QStringLiteral(" of ") + QString::number(plan.size()) + QLatin1Char(')'));
                    if (!result.ok())
                        failures << FailureText(step, result);
                    else
                        done.push_back(step);
                });
            });
        }
        m_frame.SetMenusEnabled(true);
        if (!failures.isEmpty())
            m_ctx.Dialogs().Message(failures.join(CrLf), QStringLiteral("API Error"), UserDialogs::Icon::Warning);
        if (!withheld.isEmpty())
            m_ctx.Dialogs().Message(QStringLiteral("Nothing was deleted in these sub-folders, because the comparison could not "
                                                   "read them completely:")
                                        + CrLf + CrLf + withheld.join(CrLf),
                                    QStringLiteral("Synchronization"), UserDialogs::Icon::Warning);
        RecordHistory(m_frame.ComparedFolder(m_frame.SourcePane()), m_frame.ComparedFolder(m_frame.TargetPane()),
                      report.cancelled);
        if (!report.cancelled)
            m_ctx.Sounds().PlaySyncCompleteSound();
        if (scoped)
            m_scope.afterRun(rowOf, done);
        else if (m_ctx.MainOptions().AutoCompareAfterSync)
            m_frame.CompareDirs(false, false);
        else
            m_frame.RemoveListItemsAndShowNoCompareMsg();
    } catch (...) {
        m_frame.SetMenusEnabled(true);
        m_ctx.Errors().HandleUnexpectedError(m_scope.diffs ? m_scope.errorLabel : QStringLiteral("frmMain.AutoSync()"));
    }
}
