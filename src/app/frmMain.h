#pragma once

#include "compare/CompareRun.h"
#include "compare/ResultList.h"
#include "settings/GuiFolderCombos.h"
#include "settings/SettingsTable.h"
#include "views/GuiResultsFrame.h"
#include "views/PaneRows.h"

#include <QFont>

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class AppContext;
class GuiCommandRegistry;
class GuiCompareCommands;
class GuiDiffCommands;
class GuiSelectionCommands;
class GuiFileOpCommands;
class GuiSyncCommands;
class GuiObjectCommands;
class GuiSessionCommands;
class GuiSettingsCommands;
class GuiSyncHistoryCommands;
class GuiStampRenameCommands;
class GuiSubFolderDiffCommands;
class GuiViewCommands;
class GuiResultPane;
class QAction;
class QActionGroup;
class QComboBox;
class QCompleter;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QUrl;
class ResultTableModel;

// The main window: the two folder boxes above the two result panes, the eight category buttons between
// the panes, the toolbar, the status bar and the menus, which turn every user command into a call on the
// part of the program that does the work.
//
// Widgets carry the names the rest of the program and the tests use: cboSourcePath, cboTargetPath,
// imgSelectSource, imgSelectTarget, lvwSourceDirFiles, lvwTargetDirFiles, imgViews1 .. imgViews8,
// ParvexToolbar (its buttons tbrCompare .. tbrHelp), StatusBar1 with the labels StatusBar1Panel1 .. 4, and
// every menu item by its mnu... name. The hidden hold lists are plain ResultLists (HoldSource, HoldTarget).
//
// The window is the frame: it lays out the panes and wires the command controllers of the subsystems
// (GuiCompareCommands, GuiViewCommands, GuiSettingsCommands, GuiObjectCommands), which give the commands
// of GuiCommandRegistry their handlers. Every message goes through ctx.Dialogs(); the window reaches
// nothing but what the AppContext owns.
class frmMain final : public QMainWindow, public GuiResultsFrame
{
    Q_OBJECT

public:
    explicit frmMain(AppContext& ctx, QWidget* parent = nullptr);
    ~frmMain() override;
    Q_DISABLE_COPY_MOVE(frmMain)

    static QString Caption();

    // The hold lists: every row pair of the last comparison (or the single "No Comparison Results" row).
    ResultList& HoldSource() { return m_results.holdSource; }
    ResultList& HoldTarget() { return m_results.holdTarget; }
    // The two scanned folders (SourceDirObject, TargetDirObject) and the per-sub-folder differences.
    CDir& SourceDirObject() { return m_results.source; }
    CDir& TargetDirObject() { return m_results.target; }
    // The folder of the pane the next command acts on.
    CDir& CurrentDirObject() { return m_current == m_lvwTarget ? m_results.target : m_results.source; }
    SubFolderDiffsList& AllSubFolderDiffs() { return m_results.allSubFolderDiffs; }
    const SubFolderDiffsList& SubFolderDifferences() const override { return m_results.allSubFolderDiffs; }
    GuiResultPane* SourcePane() const override { return m_lvwSource; }
    GuiResultPane* TargetPane() const override { return m_lvwTarget; }
    // The pane the next command acts on: the one that last had the focus (the left one at first).
    GuiResultPane* CurrentListview() const override { return m_current; }
    QString PaneFolder(const GuiResultPane* pane) const override;
    QString ComparedFolder(const GuiResultPane* pane) const override;
    QComboBox* SourcePathBox() const { return m_cboSource; }
    QComboBox* TargetPathBox() const { return m_cboTarget; }

    // Set while program code refills the folder boxes, so their change events are not the user's choice.
    bool PopulatingFolderCombos = false;

    // A menu item (or toolbar button) by object name; nullptr when there is none.
    QAction* Action(const QString& objectName) const;
    GuiCommandRegistry& Commands() const { return *m_commands; }
    // The file commands' controller (tests stand in for its drives and windows).
    GuiFileOpCommands& FileOpCommands() const;
    GuiSyncCommands& SyncCommands() const;
    GuiSelectionCommands& SelectionCommands() const;
    QMenu* TopMenu(const QString& objectName) const;

    // Results and views.
    void ApplyViewTypes() override;
    void DisplayViewSelections() override;
    void imgViews_Click(int index); // index 1..8, in category order
    void RemoveListItemsAndShowNoCompareMsg() override;
    // Turns synchronised scrolling of the two panes on or off.
    void SetSyncScrolling(bool on);
    bool SyncScrolling() const { return m_syncScrolling; }

    // Folders from the command line or handed over by a later start: one goes into the left box (the
    // shown results, now stale, are cleared), two into both boxes, which are then compared at once.
    void OpenFolders(const QStringList& folders);
    // Whether OpenFolders may run now: not while a long operation runs or a modal window is open.
    bool CanTakeFolders() const;

    // Runs a comparison of the two folder boxes. The flags say a user command started it (either true:
    // errors are offered, the completion sound plays).
    void CompareDirs(bool byUserCommand, bool byToolbar) override;
    bool MenusEnabled() const override;
    // What the user is told (once per run of the program) when the memory of earlier synchronizations
    // cannot be read; the comparison then goes on without it.
    static QString MemoryProblemText(const QString& problem);
    // Enables or disables the five top-level menus while a long operation runs.
    void SetMenusEnabled(bool enabled) override;
    // Closes the window when the user asked to leave during a long operation and none runs any more.
    void CloseIfAsked();

    // Status bar panels 1 .. 4.
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text) override;

    // Tabs of the Options window, numbered from 1 as the menu commands name them.
    enum OptionsTab { OptionsTabGeneral = 1, OptionsTabCompare, OptionsTabFilters, OptionsTabSynchronize,
                      OptionsTabSounds, OptionsTabAppearance, OptionsTabViewFileDiffs };

    // Toolbar styles as the settings store them.
    enum ToolbarStyle { ToolbarHidden = 0, ToolbarLarge = 1, ToolbarSmall = 2 };
    void SetToolbarStyle(int style) override;
    int ToolbarStyleValue() const { return m_toolbarStyle; }

    void ExitWithoutAsking() override;

    // The frame's services to the command controllers.
    QWidget* FrameWindow() override { return this; }
    QString FolderText(bool source) const override;
    void SetFolderText(bool source, const QString& text) override;
    void ReplaceFolderTexts(const QString& source, const QString& target) override;
    void OpenOptionsWindow(int tab) override;
    void AfterFilterChange() override;
    void RestoreDefaultOptions() override;
    void MaintainFolderLists() override;

    // How files and folders are handed to the desktop (default handler, file manager); tests replace it.
    void SetUrlOpener(std::function<bool(const QUrl&)> opener);

Q_SIGNALS:
    // A comparison's progress window began its start delay; the run lets events run until it is over.
    void CompareProgressShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout (frmMain.cpp).
    void BuildLayout();
    QWidget* BuildSide(bool source);
    QWidget* BuildViewButtons();
    void BuildStatusBar();

    // Menus and toolbar (frmMainMenus.cpp).
    void BuildMenus();
    void BuildToolbar();
    void ToolbarPress(const QString& command);
    // Commands (frmMainCommands.cpp).
    void WireCommands();

    // Panes (frmMainPanes.cpp).
    void BuildPanes();
    void UpdatePaneTotals();
    void OnPaneScrolled(GuiResultPane* source);
    void OnPaneDoubleClicked(GuiResultPane* pane, int row);
    // The rows of a finished comparison marked from the pair's memory (frmMainCompare.cpp).
    void NoteChangesSinceLastSync();
    void OnPaneContextMenu(GuiResultPane* pane, int row, const QPoint& globalPos);
    CategoryFlags CurrentFlags() const;
    int32_t CurrentViewType() const;
    void CheckViewMenuItem(int32_t viewType);

    void ResultsChangedByOption(bool filtersChanged, bool methodChanged);

    // Options (frmMainOptions.cpp).
    void BindOptions();
    void RefreshOptionMarks();
    void LoadSettings();
    void SaveSettings();
    // A loaded session: the folder boxes and settings read anew, the results cleared.
    void ReloadSessionSettings();
    void ApplyLoadedSettings();
    void ChooseFirstRunPlace(MainOptions& o);
    std::array<int, 3> FittedColumnWidths(int windowWidth) const;
    // Spreads the columns of the panes without stored widths over the panes' real width.
    void FitColumnsToPanes();
    SettingsEnvironment Environment();
    void PopulateFolderBoxes();
    FolderComboBoxes FolderBoxes();
    void ApplyPaneFont();
    void AddPathsToIni(const QString& source, const QString& target);

    // Folder boxes (frmMainFolders.cpp).
    void BuildFolderBox(QComboBox* box);
    void OnFolderTextChanged();
    void BrowseForFolder(bool source);
    void ApplyAutoComplete();

    AppContext& m_ctx;
    CompareResults m_results;
    ResultTableModel* m_sourceModel = nullptr;
    ResultTableModel* m_targetModel = nullptr;
    GuiResultPane* m_lvwSource = nullptr;
    GuiResultPane* m_lvwTarget = nullptr;
    GuiResultPane* m_current = nullptr;
    QComboBox* m_cboSource = nullptr;
    QComboBox* m_cboTarget = nullptr;
    std::array<QToolButton*, CategoryCount> m_imgViews{};
    std::array<QLabel*, 4> m_panels{};
    QToolBar* m_toolbar = nullptr;
    GuiCommandRegistry* m_commands = nullptr;
    std::unique_ptr<GuiCompareCommands> m_compareCommands;
    std::unique_ptr<GuiViewCommands> m_viewCommands;
    std::unique_ptr<GuiSettingsCommands> m_settingsCommands;
    std::unique_ptr<GuiObjectCommands> m_objectCommands;
    std::unique_ptr<GuiFileOpCommands> m_fileOpCommands;
    std::unique_ptr<GuiSyncCommands> m_syncCommands;
    std::unique_ptr<GuiSyncHistoryCommands> m_syncHistoryCommands;
    std::unique_ptr<GuiDiffCommands> m_diffCommands;
    std::unique_ptr<GuiSelectionCommands> m_selectionCommands;
    std::unique_ptr<GuiStampRenameCommands> m_stampRenameCommands;
    std::unique_ptr<GuiSessionCommands> m_sessionCommands;
    std::unique_ptr<GuiSubFolderDiffCommands> m_subFolderDiffCommands;
    QHash<QString, QMenu*> m_menus;
    QMenu* m_filePopup = nullptr;
    QMenu* m_folderPopup = nullptr;
    int m_toolbarStyle = ToolbarLarge;
    bool m_syncScrolling = false;
    bool m_forwardingScroll = false;
    bool m_toolbarCommandRunning = false;
    bool m_replacingFolderTexts = false;
    bool m_askBeforeClosing = true;
    // Panes whose column widths were not stored: fitted again once the window has its real layout.
    bool m_fitSourceColumns = false;
    bool m_fitTargetColumns = false;
    bool m_unloaded = false;
    bool m_closeAfterRun = false;
    bool m_memoryProblemSaid = false;
    QFont m_startFont;
    QCompleter* m_folderCompleter = nullptr;
};
