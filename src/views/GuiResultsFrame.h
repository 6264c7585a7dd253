#pragma once

#include "compare/CSubFolderDiffs.h"

#include <QString>

class GuiResultPane;
class QAction;
class QWidget;

// What the command controllers see of the window that shows the two result panes: the panes and the
// folders above them, the run of a comparison, and the services of the frame that several subsystems'
// commands share. The main window is one; a controller never reaches into its widgets otherwise.
class GuiResultsFrame
{
public:
    virtual ~GuiResultsFrame() = default;

    // The parent of the dialogs a command opens.
    virtual QWidget* FrameWindow() = 0;
    virtual GuiResultPane* SourcePane() const = 0;
    virtual GuiResultPane* TargetPane() const = 0;
    // The pane the next command acts on: the one that last had the focus.
    virtual GuiResultPane* CurrentListview() const = 0;
    // The folder shown above a pane, with a trailing "/".
    virtual QString PaneFolder(const GuiResultPane* pane) const = 0;
    // The folder whose objects a pane's rows stand for: the folder of the last comparison on that side,
    // with a trailing "/"; "" before any comparison. Row paths are built from it, never from a folder box
    // the user may have edited since.
    virtual QString ComparedFolder(const GuiResultPane* pane) const = 0;
    // The differing sub-folders of the last comparison.
    virtual const SubFolderDiffsList& SubFolderDifferences() const = 0;
    // Whether no long operation is running (the File menu is enabled).
    virtual bool MenusEnabled() const = 0;
    // Enables or disables the top-level menus while a long operation runs.
    virtual void SetMenusEnabled(bool enabled) = 0;

    // The texts of the two folder boxes.
    virtual QString FolderText(bool source) const = 0;
    // Sets one folder box's text; as any change of a folder does, this clears the results.
    virtual void SetFolderText(bool source, const QString& text) = 0;
    // Sets both folder boxes' texts without clearing the results (a comparison follows).
    virtual void ReplaceFolderTexts(const QString& source, const QString& target) = 0;

    // Runs a comparison of the two folder boxes (see frmMain::CompareDirs for the flags).
    virtual void CompareDirs(bool byUserCommand, bool byToolbar) = 0;
    virtual void RemoveListItemsAndShowNoCompareMsg() = 0;
    // Fills the panes from the hold lists under the current view, and shows the category buttons.
    virtual void ApplyViewTypes() = 0;
    virtual void DisplayViewSelections() = 0;
    virtual void SetPanelText(int panel, const QString& text) = 0;

    // The Options window on a tab (numbered from 1), then the results as its changes ask.
    virtual void OpenOptionsWindow(int tab) = 0;
    // A changed filter compares again or clears the results, as its automatic-comparison option says.
    virtual void AfterFilterChange() = 0;
    virtual void RestoreDefaultOptions() = 0;
    virtual void MaintainFolderLists() = 0;
    virtual void SetToolbarStyle(int style) = 0;
    // Closes without the exit question.
    virtual void ExitWithoutAsking() = 0;
};
