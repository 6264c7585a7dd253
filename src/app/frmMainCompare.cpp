#include "app/frmMain.h"

#include "app/AppContext.h"
#include "base/QtEventPump.h"
#include "app/frmErrorLog.h"
#include "compare/frmCompareProgress.h"
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
