#include "app/frmMain.h"

#include "app/AppContext.h"
#include "base/QtEventPump.h"
#include "base/UserDialogs.h"
#include "app/frmErrorLog.h"
#include "compare/frmCompareProgress.h"
#include "sync/GuiSyncCommands.h"
#include "sync/SyncMemory.h"
#include "views/GuiSelectionCommands.h"
#include "views/ResultTableModel.h"

#include <QComboBox>
#include <QKeyEvent>

// "Compare &Folders": the comparison run of the two folder boxes, with its progress window. The run
// hands back to the window through its hooks: the views, the folder lists, the status bar and the end.
void frmMain::CompareDirs(bool byUserCommand, bool byToolbar)
{
    if (m_ctx.Compare().RunningCompare())
        return;
    try {
        // The run empties and refills the hold lists while events keep running: panes still showing
        // positions of the last results would pair old places with new rows. Every run ends by filling
        // the panes again or by showing that there are no results.
        m_sourceModel->Reset(PaneRows{});
        m_targetModel->Reset(PaneRows{});
        SetPanelText(1, QString());
        SetPanelText(2, QString());
        frmCompareProgress progress(m_ctx.Compare(), this);
        connect(&progress, &frmCompareProgress::DelayStarted, this, &frmMain::CompareProgressShown);
        QtEventPump pump;
        CompareRunHooks hooks;
        hooks.menusEnabled = [this] { return MenusEnabled(); };
        hooks.setMenusEnabled = [this](bool enabled) { SetMenusEnabled(enabled); };
        hooks.noteResults = [this] { NoteChangesSinceLastSync(); };
        hooks.applyViewTypes = [this] { ApplyViewTypes(); };
        hooks.addPathsToIni = [this](const QString& left, const QString& right) { AddPathsToIni(left, right); };
        hooks.removeListItemsAndShowNoCompareMsg = [this] { RemoveListItemsAndShowNoCompareMsg(); };
        hooks.bringToTop = [this] {
            if (!isMinimized()) {
                raise();
                activateWindow();
            }
        };
        hooks.playCompareCompleteSound = [this] {
            if (m_ctx.Sounds().SoundOn())
                m_ctx.Sounds().PlayCompareCompleteSound();
        };
        hooks.showErrorLog = [this] { ShowErrorLogWindow(m_ctx, this); };
        hooks.showResultsSummary = [this] {
            if (m_ctx.MainOptions().ShowGraphAfterCompare)
                m_selectionCommands->ShowResultsSummary();
        };
        hooks.showFilterState = [this](const QString& text) { SetPanelText(3, text); };
        CompareRun run(m_ctx.ComparisonServices(), m_results, progress, pump, hooks);
        run.CompareDirs(m_cboSource->currentText(), m_cboTarget->currentText(), byUserCommand, byToolbar);
    } catch (...) {
        m_ctx.Errors().HandleUnexpectedError(QStringLiteral("frmMain.CompareDirs"));
    }
    // The user already said yes to leaving.
    CloseIfAsked();
}

QString frmMain::MemoryProblemText(const QString& problem)
{
    return QStringLiteral("The memory of earlier synchronizations could not be read, so the comparison does not show "
                          "what was deleted, moved or changed on both sides since the last synchronization.\r\n\r\n")
           + problem;
}

// The rows learn from the pair's memory what changed since its last synchronization. A memory that cannot
// be read leaves the comparison as it always was; saying so at every comparison would only nag, so the
// user hears it once while the program runs (a synchronization that said its journal could not be used
// has said it already: the memory lives in the journal's database).
void frmMain::NoteChangesSinceLastSync()
{
    const MemoryNotes notes = ::NoteChangesSinceLastSync(m_ctx.AppFolder(), m_results);
    if (notes.problem.isEmpty() || m_memoryProblemSaid || SyncCommands().JournalProblemSaid())
        return;
    m_memoryProblemSaid = true;
    m_ctx.Dialogs().Message(MemoryProblemText(notes.problem), QStringLiteral("Synchronization Memory"),
                            UserDialogs::Icon::Information);
}

// The progress window names ESC as the way out, but a click on this window during the run takes the
// keyboard from it: ESC here stops the run as well.
void frmMain::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_ctx.Compare().RunningCompare()) {
        m_ctx.Compare().SetCompareCancelled(true);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
