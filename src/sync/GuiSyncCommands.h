#pragma once

#include "sync/SyncSession.h"

#include <QtGlobal>
#include <functional>

class AppContext;
class GuiCommandRegistry;
class GuiResultPane;
class GuiResultsFrame;

// "&Synchronize Folder Contents", "Synchronize Selected Object(s) Only" and the Sync toolbar button: the
// method question, then the one synchronisation session (RunSyncSession) with this window's answers and
// progress, then the results compared again or cleared.
//
// The run keeps what it replaces and deletes for undo as the option KeepForUndo says, and the deletion
// guard stops it as the options DeletionGuardShare and DeletionGuardFloor say: a stopped plan is always
// shown for an explicit yes, even with synchronisation confirmations turned off. It follows deletions as
// the sync settings say (CSyncSettings::FollowDeletions); the pairs it then leaves alone because both
// sides changed them are shown with the plan and named again at the end of the run.
class GuiSyncCommands final
{
public:
    GuiSyncCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiSyncCommands)

    // One synchronisation of the window's comparison (selected-only limits it to the selected rows).
    void AutoSynch(bool showConfirmation, bool selectedOnly);

    // A window that shows one differing sub-folder synchronises that sub-folder alone: its files as they
    // stand now (limited to the selected rows for a selected-only run), below the compared folders, and
    // follows the steps that succeeded instead of comparing again.
    struct SubFolderScope
    {
        std::function<CSubFolderDiffs(const RowIndexes* selected, std::vector<int>& rowOf)> diffs;
        QString leftParent;
        QString rightParent;
        std::function<void(const std::vector<int>& rowOf, const std::vector<SyncStep>& done)> afterRun;
        QString errorLabel;
    };
    void SetSubFolderScope(SubFolderScope scope) { m_scope = std::move(scope); }

    // Tests answer the windows: the method question (proceed, and the selected-only flag), the
    // confirmation of the plan (with the deletion guard's reason, empty when it did not stop the run, and
    // the pairs left alone because both sides changed them).
    using PlanConfirmation = std::function<bool(const std::vector<SyncStep>& plan, const QString& guardReason,
                                                const QStringList& conflicts)>;
    void SetMethodQuestion(std::function<bool(bool& selectedOnly)> ask) { m_askMethod = std::move(ask); }
    void SetPlanConfirmation(PlanConfirmation confirm) { m_confirmPlan = std::move(confirm); }
    void SetPlanConfirmation(std::function<bool(const std::vector<SyncStep>&, const QString&)> confirm)
    {
        m_confirmPlan = [confirm = std::move(confirm)](const std::vector<SyncStep>& plan, const QString& guardReason,
                                                       const QStringList&) { return confirm(plan, guardReason); };
    }
    void SetPlanConfirmation(std::function<bool(const std::vector<SyncStep>&)> confirm)
    {
        m_confirmPlan = [confirm = std::move(confirm)](const std::vector<SyncStep>& plan, const QString&,
                                                       const QStringList&) { return confirm(plan); };
    }

    // Whether a run said that its journal could not be used: the database that holds the pair's memory
    // too, so the comparison that follows need not say it again.
    bool JournalProblemSaid() const { return m_journalProblemSaid; }

private:
    class FrontEnd;

    void Start(bool selectedOnly);
    bool AskMethod(bool& selectedOnly);
    bool ConfirmPlan(const std::vector<SyncStep>& plan, const QString& guardReason, const QStringList& conflicts);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
    std::function<bool(bool&)> m_askMethod;
    PlanConfirmation m_confirmPlan;
    SubFolderScope m_scope;
    bool m_journalProblemSaid = false;
};

// What the user is told when a run went ahead but the journal could not record it for undo.
QString JournalProblemText(const QString& problem);
// What the user is told instead of a confirmation window when the plan holds no step.
QString NothingToSynchronizeText();
// The pairs a run left as they are because both sides changed them since the last synchronization, as the
// end of the run names them.
QString ConflictsLeftText(const QStringList& conflicts);
// What the user is told when the run's memory could not be kept for the next comparison.
QString MemoryProblemAfterSyncText(const QString& problem);
