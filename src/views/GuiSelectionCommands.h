#pragma once

#include "views/GuiPanePrint.h"
#include "views/SelectionRules.h"

#include <QObject>

class AppContext;
class GuiCommandRegistry;
class GuiResultPane;
class GuiResultsFrame;

// The Select menu and the selection of the two result panes: select all (also Ctrl+A in a pane),
// deselect all (Ctrl+D), invert, show the next selected row, show only the selected rows, and the Select
// Wizard; and the print of the two panes. Selection is per pane: selecting in one pane clears the other, and the pane's status panel
// shows the count and size of its selected rows. Every change is one selection-model change built from
// runs of rows, never a signal per row, so a million rows take a moment, not minutes.
class GuiSelectionCommands final : public QObject
{
    Q_OBJECT

public:
    GuiSelectionCommands(AppContext& ctx, GuiResultsFrame& frame, GuiCommandRegistry& registry);
    Q_DISABLE_COPY_MOVE(GuiSelectionCommands)

    void SelectAll(GuiResultPane* pane);
    void DeselectAll(GuiResultPane* pane);
    void InvertSelection(GuiResultPane* pane);
    void ShowNextSelected(GuiResultPane* pane);
    void ShowOnlySelectedObjects();
    // Selects (or deselects) the rows of pane that the criteria pick; the other pane's selection is
    // cleared, also when nothing matched.
    void SelectFileTypesInList(GuiResultPane* pane, const SelectCriteria& criteria);
    void OpenSelectWizard();
    // The summary of the last comparison (View menu; after a comparison when the option says so).
    void ShowResultsSummary();

    // "&Print...": the two panes as one table, through the print preview.
    void PrintResults();
    // What a print of the panes shows now.
    PanePrintout Printout() const;

    // The status text of a pane: its selection when it has one, otherwise its totals.
    QString PaneStatusText(const GuiResultPane* pane) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSelectionChanged(GuiResultPane* pane);
    void UpdateStatus();
    void SelectRuns(GuiResultPane* pane, const std::vector<int>& rows, bool select, bool clearFirst);

    AppContext& m_ctx;
    GuiResultsFrame& m_frame;
    GuiCommandRegistry& m_registry;
    bool m_changing = false;
};
