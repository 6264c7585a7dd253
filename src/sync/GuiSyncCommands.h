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
// shown for an explicit yes, even with synchronisation confirmations turned off.
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
    // confirmation of the plan (with the deletion guard's reason, empty when it did not stop the run).
    using PlanConfirmation = std::function<bool(const std::vector<SyncStep>& plan, const QString& guardReason)>;
    void SetMethodQuestion(std::function<bool(bool& selectedOnly)> ask) { m_askMethod = std::move(ask); }
    void SetPlanConfirmation(PlanConfirmation confirm) { m_confirmPlan = std::move(confirm); }
    void SetPlanConfirmation(std::function<bool(const std::vector<SyncStep>&)> confirm)
    {
        m_confirmPlan = [confirm = std::move(confirm)](const std::vector<SyncStep>& plan, const QString&) {
            return confirm(plan);
        };
    }

private:
    class FrontEnd;

    void Start(bool selectedOnly);
    bool AskMethod(bool& selectedOnly);
    bool ConfirmPlan(const std::vector<SyncStep>& plan, const QString& guardReason);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
    std::function<bool(bool&)> m_askMethod;
    PlanConfirmation m_confirmPlan;
    SubFolderScope m_scope;
};

// What the user is told when a run went ahead but the journal could not record it for undo.
QString JournalProblemText(const QString& problem);
// What the user is told instead of a confirmation window when the plan holds no step.
QString NothingToSynchronizeText();
