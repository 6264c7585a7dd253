#include "sync/GuiSyncCommands.h"

#include "compare/SubFolderCompare.h"

#include "app/AppContext.h"
#include "app/GuiCommandRegistry.h"
#include "fileops/frmFileOpProgress.h"
#include "platform/DriveQueries.h"
#include "sync/SyncMethodTexts.h"
#include "sync/frmConfirmSync.h"
#include "sync/frmSyncWizard.h"
#include "views/GuiResultPane.h"
#include "views/GuiResultsFrame.h"
#include "views/PaneRows.h"
#include "views/ResultTableModel.h"

#include <QApplication>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString FailureText(const SyncFailure& failure)
{
    const FileOps::Result& result = failure.result;
    return failure.step.text + QStringLiteral(": ") + QString::number(result.error) + QStringLiteral(" - ") + result.errorText;
}

// The method as the journal names the run: its caption in the method lists.
QString MethodText(int32_t method)
{
    for (const SyncMethodItem& item : SyncMethodListItems())
        if (item.method == method)
            return item.text;
    return {};
}

} // namespace

QString NothingToSynchronizeText()
{
    return QStringLiteral("Nothing to synchronize: with this synchronization method the two folders need no changes.");
}

QString ConflictsLeftText(const QStringList& conflicts)
{
    return QStringLiteral("These were changed on both sides since the last synchronization and were left as they "
                          "are:")
           + CrLf + CrLf + conflicts.join(CrLf);
}

QString MemoryProblemAfterSyncText(const QString& problem)
{
    return QStringLiteral("The synchronization ran, but what it left in both folders could not be remembered, so the "
                          "next comparison will not show what changed since: ")
           + problem;
}

QString JournalProblemText(const QString& problem)
{
    return QStringLiteral("The synchronization ran, but it could not be recorded for undo: ") + problem;
}

// The windows of a synchronisation: the plan's confirmation, the low-space question, one progress window
// with Cancel for the whole run, and at its end what failed and what was withheld.
class GuiSyncCommands::FrontEnd final : public SyncFrontEnd
{
public:
    explicit FrontEnd(GuiSyncCommands& owner) : m_owner(owner) {}

    bool ConfirmPlan(const std::vector<SyncStep>& plan, const QStringList&, const QString& guardReason,
                     const QStringList& conflicts) override
    {
        return m_owner.ConfirmPlan(plan, guardReason, conflicts);
    }
    bool ConfirmLowSpace(const SpaceCheck&, const QString& text) override
    {
        return m_owner.m_ctx.Dialogs().Message(text, LowDiskSpaceTitle(), UserDialogs::Icon::Information,
                                               UserDialogs::Buttons::OkCancel)
               == UserDialogs::Answer::Ok;
    }
    void RunWork(size_t steps, const std::function<void(const FileOps::Control&)>& work) override
    {
        // The rows may go when a message box lets the window repaint; the run keeps its own plan.
        m_owner.m_frame.SetMenusEnabled(false);
        frmFileOpProgress progress(QStringLiteral("Synchronization"), QStringLiteral("Synchronizing..."),
                                   m_owner.m_frame.FrameWindow());
        m_progress = &progress;
        // The bar covers the whole run: a run of thousands of small files otherwise showed each one's 0 to 100%.
        progress.SetSteps(static_cast<qint64>(steps));
        progress.RunWork(work);
        m_progress = nullptr;
        m_owner.m_frame.SetMenusEnabled(true);
    }
    void StepEnded(const SyncStep&, const FileOps::Result&, size_t number, size_t total) override
    {
        if (m_progress != nullptr)
            m_progress->StepDone(static_cast<qint64>(number));
        if (m_progress != nullptr)
            m_progress->SetActionText(QStringLiteral("Synchronizing... (") + QString::number(number)
                                      + QStringLiteral(" of ") + QString::number(total) + QLatin1Char(')'));
    }
    void PlayCompletionSound() override { m_owner.m_ctx.Sounds().PlaySyncCompleteSound(); }
    void Finished(const SyncOutcome& outcome) override
    {
        UserDialogs& dialogs = m_owner.m_ctx.Dialogs();
        if (!outcome.failures.empty()) {
            QStringList lines;
            for (const SyncFailure& failure : outcome.failures)
                lines << FailureText(failure);
            dialogs.Message(lines.join(CrLf), QStringLiteral("API Error"), UserDialogs::Icon::Warning);
        }
        if (!outcome.withheld.isEmpty())
            dialogs.Message(WithheldDeletionsText(outcome.withheld), QStringLiteral("Synchronization"),
                            UserDialogs::Icon::Warning);
        if (!outcome.journalProblem.isEmpty()) {
            m_owner.m_journalProblemSaid = true;
            dialogs.Message(JournalProblemText(outcome.journalProblem), QStringLiteral("Synchronization"),
                            UserDialogs::Icon::Warning);
        }
        if (!outcome.memoryProblem.isEmpty())
            dialogs.Message(MemoryProblemAfterSyncText(outcome.memoryProblem), QStringLiteral("Synchronization"),
                            UserDialogs::Icon::Warning);
        // The run is over, yet these pairs still differ: the user settles them by hand.
        if (!outcome.conflicts.isEmpty())
            dialogs.Message(ConflictsLeftText(outcome.conflicts), QStringLiteral("Synchronization"),
                            UserDialogs::Icon::Information);
    }

private:
    GuiSyncCommands& m_owner;
    frmFileOpProgress* m_progress = nullptr;
};

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

bool GuiSyncCommands::ConfirmPlan(const std::vector<SyncStep>& plan, const QString& guardReason,
                                  const QStringList& conflicts)
{
    if (m_confirmPlan)
        return m_confirmPlan(plan, guardReason, conflicts);
    if (plan.empty() && guardReason.isEmpty()) {
        // An empty confirmation window looked like a fault; there is nothing to confirm.
        QString text = NothingToSynchronizeText();
        if (!conflicts.isEmpty())
            text += CrLf + CrLf + ConflictsLeftText(conflicts);
        m_ctx.Dialogs().Message(text, QStringLiteral("Synchronization"), UserDialogs::Icon::Information);
        return false;
    }
    frmConfirmSync window(plan, m_frame.ComparedFolder(m_frame.SourcePane()), m_frame.ComparedFolder(m_frame.TargetPane()),
                          m_frame.FrameWindow(), guardReason, conflicts);
    window.exec();
    QApplication::processEvents();
    return window.Proceed();
}

void GuiSyncCommands::AutoSynch(bool showConfirmation, bool selectedOnly)
{
    const QString label = m_scope.diffs ? m_scope.errorLabel : QStringLiteral("frmMain.AutoSync()");
    try {
        if (m_ctx.MainOptions().PromptForSyncMethod && !AskMethod(selectedOnly))
            return;
        const bool scoped = static_cast<bool>(m_scope.diffs);
        const ResultList none;
        const ResultList& left = scoped ? none : m_frame.SourcePane()->ResultModel()->Hold();
        const ResultList& right = scoped ? none : m_frame.TargetPane()->ResultModel()->Hold();
        const RowIndexes selected = selectedOnly ? m_frame.CurrentListview()->SelectedHoldRows() : RowIndexes{};
        // The differences are copied: the run compares again at its end, which refills the window's own.
        std::vector<int> rowOf;
        const SubFolderDiffsList subFolders =
            scoped ? SubFolderDiffsList{m_scope.diffs(selectedOnly ? &selected : nullptr, rowOf)} : m_frame.SubFolderDifferences();
        // A sub-folder's own run is limited by the entries it was given, not by rows of the folder above.
        const TreeFilters filters = MakeTreeFilters(m_ctx.Compare());
        SyncRequest request({left, right, scoped ? m_scope.leftParent : m_frame.ComparedFolder(m_frame.SourcePane()),
                             scoped ? m_scope.rightParent : m_frame.ComparedFolder(m_frame.TargetPane()), subFolders,
                             m_ctx.SyncSettings().AllRules(), selectedOnly && !scoped ? &selected : nullptr, &filters});
        request.input.followDeletions = m_ctx.SyncSettings().FollowDeletions();
        request.confirm = showConfirmation;
        request.sound = m_ctx.Sounds().SoundOn();
        request.historyLeft = m_frame.ComparedFolder(m_frame.SourcePane());
        request.historyRight = m_frame.ComparedFolder(m_frame.TargetPane());
        request.appFolder = m_ctx.AppFolder();
        request.historyEntries = m_ctx.MainOptions().NumSyncLogEntries;
        request.errorLabel = label;
        const ::MainOptions& options = m_ctx.MainOptions();
        request.keepForUndo = options.KeepForUndo;
        request.guard.sharePercent = options.DeletionGuardShare;
        request.guard.floor = options.DeletionGuardFloor;
        request.methodText = MethodText(m_ctx.SyncSettings().SyncMethod());

        FrontEnd frontEnd(*this);
        const SyncOutcome outcome = RunSyncSession(
            request, {m_ctx.Dialogs(), m_ctx.Errors(), DriveQueries::System(), m_ctx.Lib()}, frontEnd);
        if (!outcome.Ran())
            return;
        if (scoped)
            m_scope.afterRun(rowOf, outcome.done);
        else if (m_ctx.MainOptions().AutoCompareAfterSync)
            m_frame.CompareDirs(false, false);
        else
            m_frame.RemoveListItemsAndShowNoCompareMsg();
    } catch (...) {
        m_frame.SetMenusEnabled(true);
        m_ctx.Errors().HandleUnexpectedError(label);
    }
}
