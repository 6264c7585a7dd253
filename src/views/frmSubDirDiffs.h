#pragma once

#include "fileops/SubFolderRows.h"
#include "views/GuiResultsFrame.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class AppContext;
class ConfirmationAsker;
class FileOpRunner;
class GuiCommandRegistry;
class GuiDiffCommands;
class GuiSelectionCommands;
class GuiSyncCommands;
class QLabel;
class QMenu;
class QUrl;
class QToolBar;
class ResultTableModel;

// Draws a caption label with the gradient fill of the option GradientFillTitlebar, or plain.
void StyleCaption(QLabel* caption, bool gradient);

// "View Sub-Folder Differences": the differing files of one sub-folder in two row-aligned lists
// (lvwDirOneDiffs, lvwDirTwoDiffs) under the two folder labels (lblFolderOne, lblFolderTwo), with the
// toolbar SubDirDiffsToolbar (pictures with captions), the File and Select menus and StatusBar1. A right
// click on a row opens mnuSubDirPopup; a double click opens a file on one side only, shows the differences
// of a pair changed on both sides since the last synchronization at once, and offers mnuSubDirDblClick
// (Open File, Show File Differences) for another pair. A row's picture and tool tip carry its note from
// the pair's memory, as the main window's do.
//
// The window is a results frame of its own: the controllers of the main window's commands (differences,
// selection, print, synchronisation) work on its lists through it, the file commands through the
// sub-folder row operations. Its rows follow every operation, so it never scans; the main window learns
// through Changed() that files were changed in it.
class frmSubDirDiffs final : public QDialog, public GuiResultsFrame
{
    Q_OBJECT

public:
    frmSubDirDiffs(AppContext& ctx, GuiResultsFrame& main, const CSubFolderDiffs& diffs, QWidget* parent = nullptr);
    ~frmSubDirDiffs() override;
    Q_DISABLE_COPY_MOVE(frmSubDirDiffs)

    // Opens the window modally on the sub-folder of main's last comparison named name (ignoring case),
    // and compares again or clears main's results afterwards when a file was changed in it. Answers
    // whether the sub-folder was found.
    static bool ShowSubFolderDifferences(AppContext& ctx, GuiResultsFrame& main, const QString& name);

    bool Changed() const { return m_changed; }
    GuiCommandRegistry& Commands() const { return *m_commands; }
    GuiSyncCommands& SyncCommands() const { return *m_sync; }
    const SubFolderRows& Rows() const { return m_rows; }
    // Tests stand in for the confirmation window and the progress window.
    void SetConfirmation(ConfirmationAsker* confirmation) { m_confirmationOverride = confirmation; }
    void SetRunner(FileOpRunner* runner) { m_runnerOverride = runner; }
    // Tests stand in for the desktop that opens a file.
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    // The selected rows of from dropped onto the other list.
    void ProcessDragDrop(GuiResultPane* from, GuiResultPane* onto);

    // The frame.
    QWidget* FrameWindow() override { return this; }
    GuiResultPane* SourcePane() const override { return m_panes[0]; }
    GuiResultPane* TargetPane() const override { return m_panes[1]; }
    GuiResultPane* CurrentListview() const override { return m_current; }
    QString PaneFolder(const GuiResultPane* pane) const override;
    QString ComparedFolder(const GuiResultPane* pane) const override { return PaneFolder(pane); }
    const SubFolderDiffsList& SubFolderDifferences() const override;
    bool MenusEnabled() const override { return m_enabled; }
    void SetMenusEnabled(bool enabled) override;
    QString FolderText(bool source) const override;
    void SetFolderText(bool, const QString&) override {}
    void ReplaceFolderTexts(const QString&, const QString&) override {}
    // The window's comparison is its rows: they are read again from the files.
    void CompareDirs(bool byUserCommand, bool byToolbar) override;
    void RemoveListItemsAndShowNoCompareMsg() override;
    void ApplyViewTypes() override { CopyItemsFromHiddenLVWToVisibleLVW(); }
    void DisplayViewSelections() override {}
    void SetPanelText(int panel, const QString& text) override;
    void OpenOptionsWindow(int) override {}
    void AfterFilterChange() override {}
    void RestoreDefaultOptions() override {}
    void MaintainFolderLists() override {}
    void SetToolbarStyle(int) override {}
    void ExitWithoutAsking() override { close(); }

private:
    void BuildWindow();
    void BuildCommands();
    void RunOp(SubFolderOp op);
    void RunOp(SubFolderOp op, GuiResultPane* pane, bool confirm);
    void SelectCategory(Category category);
    void CopyItemsFromHiddenLVWToVisibleLVW();
    void UpdateTotals();
    void OnScrolled(GuiResultPane* source);
    void Print();
    // The current row of the current list when it is a file, else nullptr.
    const ResultRow* CurrentFileRow() const;
    void OpenCurrentRow();
    void OnDoubleClicked(GuiResultPane* pane, int row);
    void OnContextMenu(GuiResultPane* pane, int row, const QPoint& globalPos);

    AppContext& m_ctx;
    GuiResultsFrame& m_main;
    SubFolderRows m_rows;
    mutable SubFolderDiffsList m_diffs;
    std::array<ResultTableModel*, 2> m_models{};
    std::array<GuiResultPane*, 2> m_panes{};
    std::array<QLabel*, 2> m_labels{};
    std::array<QLabel*, 2> m_status{};
    GuiResultPane* m_current = nullptr;
    GuiResultPane* m_dragFrom = nullptr;
    QToolBar* m_toolbar = nullptr;
    QMenu* m_popup = nullptr;
    QMenu* m_doubleClickMenu = nullptr;
    GuiCommandRegistry* m_commands = nullptr;
    std::unique_ptr<GuiSelectionCommands> m_selection;
    std::unique_ptr<GuiDiffCommands> m_diff;
    std::unique_ptr<GuiSyncCommands> m_sync;
    std::unique_ptr<ConfirmationAsker> m_confirmation;
    std::unique_ptr<FileOpRunner> m_runner;
    ConfirmationAsker* m_confirmationOverride = nullptr;
    FileOpRunner* m_runnerOverride = nullptr;
    bool m_enabled = true;
    bool m_changed = false;
    bool m_forwardingScroll = false;
    std::function<bool(const QUrl&)> m_openUrl;
};
