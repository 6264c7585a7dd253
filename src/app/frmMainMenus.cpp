#include "app/frmMain.h"

#include "app/AppContext.h"
#include "app/GuiToolbarPictures.h"
#include "views/GuiResultPane.h"

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

// The command table. Items whose work lands with a later part of the program are present with their
// captions and names but have no handler yet, which leaves them disabled.
void frmMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    auto top = [this, bar](const char* name, const char* caption) {
        auto* menu = bar->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name));
        m_menus.insert(QString::fromLatin1(name), menu);
        return menu;
    };

    QMenu* file = top("mnuFile", "&File");
    AddCommands(file, {
        {"mnuFileCompareDirectories", "Compare &Folders", [this] { mnuFileCompareDirectories_Click(); }},
        {"mnuFileCompareFiles", "Compare F&iles...", {}},
        {"mnuFileCompareParents", "Compare the Parent Folders", [this] { mnuFileCompareParents_Click(); }},
        {"mnuCompareSubFolderToOtherFolder", "Compare this sub-folder with another folder...", {}},
        {"mnuFileShowSubDirDiffs", "Show Sub-Folder Differences...", {}},
        {"mnuFileShowFileDiffs", "Show File Differences", {}},
    });
    file->addSeparator();
    AddCommands(file, {
        {"mnuFileAutoSynch", "&Synchronize Folder Contents", {}},
        {"mnuFileSyncSelectedObjects", "Synchronize Selected Object(s) Only", {}},
    });
    file->addSeparator();
    AddCommands(file, {
        {"mnuFileCopySelectedFilesToTargetDirectory", "&Copy Selected Object(s) to Other Folder", {}},
        {"mnuFileCopySelectedFilesToSpecifiedDirectory", "Copy Selected Object(s) to Any Folder...", {}},
        {"mnuFileMoveSelectedFilesToTargetDirectory", "&Move Selected Object(s) to Other Folder", {}},
        {"mnuFileMoveSelectedFilesToSpecifiedDirectory", "Move Selected Object(s) to Any Folder...", {}},
        {"mnuFileSendSelectedFilesToRecycleBin", "Send to Recycle &Bin", {}},
        {"mnuFileDeletePermanently", "Delete Permanently", {}},
        {"mnuFileChangeFilename", "Re&name File(s)/Folder(s)...", {}},
        {"mnuSetDateTimeStamp", "Set Date/Time of Selected File(s)", {}},
        {"mnuSyncTimeStamp", "Synchronize &Date/Time of Selected File with its Counterpart", {}},
    });
    file->addSeparator();
    AddCommands(file, {
        {"mnuFileOpenFile", "&Open Object", [this] { mnuFileOpenFile_Click(); }},
        {"mnuFileShowFileProperties", "P&roperties", [this] { mnuFileShowFileProperties_Click(); }},
    });
    file->addSeparator();
    AddCommands(file, {
        {"mnuFileAddToIncludeFilter", "Add Selected Objects to Include Filter",
         [this] { AddSelectedObjectsToFilter(true); }},
        {"mnuFileAddToExcludeFilter", "Add Selected Objects to Exclude Filter",
         [this] { AddSelectedObjectsToFilter(false); }},
    });
    file->addSeparator();
    AddCommands(file, {
        {"mnuFileSaveSessionSettings", "Save Session Settings As...", {}},
        {"mnuFileLoadSessionSettings", "Load Session Settings...", {}},
        {"mnuFileRestoreDefaultSessionSettings", "Restore Default Session Settings",
         [this] { RestoreDefaultOptions(); }},
    });
    file->addSeparator();
    AddCommands(file, {{"mnuFilePrint", "&Print...", {}}});
    file->addSeparator();
    AddCommands(file, {{"mnuFileExit", "E&xit", [this] { ExitWithoutAsking(); }}});

    QMenu* select = top("mnuSelect", "&Select");
    AddCommands(select, {
        {"mnuSelectAll", "&Select All Objects", {}},
        {"mnuDeSelectAll", "&DeSelect All Objects", {}},
        {"mnuInvertSelection", "&Invert Selection", {}},
        {"mnuSelectOther", "&Other...", {}},
    });
    select->addSeparator();
    AddCommands(select, {
        {"mnuSelectShowNext", "Show &Next Selected Item", {}},
        {"mnuSelectShowOnlySelected", "Show Only Selected Objects", {}},
    });

    QMenu* view = top("mnuView", "&View");
    AddCommands(view, {
        {"mnuViewViewAll", "View All Files and Folders", [this] { SetViewCommand(ViewAll); }, true},
        {"mnuViewDifferences", "View Differences Only", [this] { SetViewCommand(ViewDifferent); }, true},
        {"mnuViewSimilarities", "View Similiarities Only", [this] { SetViewCommand(ViewSimilar); }, true},
        {"mnuViewOther", "Other...", [this] { mnuViewOther_Click(); }, true},
    });
    view->addSeparator();
    AddCommands(view, {
        {"mnuViewCompareResultsSummary", "Comparison &Results Summary", {}},
        {"mnuViewSyncHistory", "&Synchronization History", {}},
        {"mnuViewErrorLog", "&Error Log", [this] { mnuViewErrorLog_Click(); }},
    });

    QMenu* options = top("mnuOptions", "&Options");
    QMenu* method = AddMenu(options, "mnuOptionsCompareType", "Comparison Method");
    AddCommands(method, {
        {"mnuOptionsCompareTypeQuick", "Size and Date/Time", [this] { SelectCompareMethod(0); }, true},
        {"mnuOptionsCompareTypeThoroughString", "Contents", [this] { SelectCompareMethod(1); }, true},
        {"mnuOptionsCompareTypeThoroughCRC", "Cyclical Redundancy Check", [this] { SelectCompareMethod(2); }, true},
        {"mnuOptionsCompareTypeSHA", "SHA-1 Message Digest", [this] { SelectCompareMethod(3); }, true},
    });
    AddCommands(options, {
        {"mnuOptionsChunkSize", "Chunk Size...", [this] { OpenOptionsWindow(OptionsTabCompare); }},
        {"mnuOptionsCompareSubFolders", "Compare Sub-Folders", {}, true},
    });
    options->addSeparator();
    AddCommands(options, {
        {"mnuOptionsExcludeHiddenFiles", "Exclude Hidden Files", {}, true},
        {"mnuOptionsExcludeSystemFiles", "Exclude System Files", {}, true},
        {"mnuOptionsExcludeHiddenFolders", "Exclude Hidden Folders", {}, true},
        {"mnuOptionsExcludeSystemFolders", "Exclude System Folders", {}, true},
        {"mnuOptionsFilters", "Include/Exclude Filters...", [this] { OpenOptionsWindow(OptionsTabFilters); }},
    });
    QMenu* fat = AddMenu(options, "mnuOptionsFATNTFS", "FAT/NTFS");
    AddCommands(fat, {
        {"mnuOptionsIgnore2Sec", "Ignore FAT/NTFS 2 sec. Difference", {}, true},
        {"mnuOptionsIgnoreDaylightSavings", "Ignore FAT/NTFS Daylight Savings Time", {}, true},
        {"mnuOptionsRemindAboutFATNTFSIssue", "Remind About FAT/NTFS Issue", {}, true},
    });
    options->addSeparator();
    QMenu* sync = AddMenu(options, "mnuOptionsSynchronizeMethod", "Synchronization Method");
    AddCommands(sync, {
        {"mnuOptionsSyncMakeRightSameAsLeft", "Make Right Folder Same as Left Folder", [this] { SelectSyncMethod(0); }, true},
        {"mnuOptionsSyncMakeLeftSameAsRight", "Make Left Folder Same as Right Folder", [this] { SelectSyncMethod(1); }, true},
        {"mnuOptionsSyncReplaceOlderInRight", "Replace Older Files in Right Folder", [this] { SelectSyncMethod(7); }, true},
        {"mnuOptionsSyncReplaceOlderInLeft", "Replace Older Files in Left Folder", [this] { SelectSyncMethod(6); }, true},
        {"mnuOptionsSyncReplaceOlderCopyOrphans", "Replace Older Files and Copy Orphan Objects (bi-directional)",
         [this] { SelectSyncMethod(2); }, true},
        {"mnuOptionsSyncAddOrphansToRight", "Add Orphan Objects to Right Folder", [this] { SelectSyncMethod(5); }, true},
        {"mnuOptionsSyncAddOrphansToLeft", "Add Orphan Objects to Left Folder", [this] { SelectSyncMethod(4); }, true},
        {"mnuOptionsSyncCustomize", "Custom...", [this] { SelectSyncMethod(3); }, true},
    });
    sync->addSeparator();
    AddCommands(sync, {{"mnuOptionsPromptForSyncMethod", "Prompt for Sync Method", {}, true}});
    QMenu* confirm = AddMenu(options, "mnuOptionsConfirmations", "Confirmations");
    AddCommands(confirm, {
        {"mnuOptionsConfirmCopy", "Confirm Before Copy", {}, true},
        {"mnuOptionsConfirmMove", "Confirm Before Move", {}, true},
        {"mnuOptionsConfirmDelete", "Confirm Before Delete", {}, true},
        {"mnuOptionsConfirmSynchronize", "Confirm Before Synchronize", {}, true},
        {"mnuOptionsConfirmDateTimeChange", "Confirm Before Date/Time Change", {}, true},
    });
    QMenu* autoCompare = AddMenu(options, "mnuOptionsAutoCompare", "Automatic Comparison");
    AddCommands(autoCompare, {
        {"mnuOptionsAutoCompareAfterFileOp", "Auto Compare After Copy, Move, Delete", {}, true},
        {"mnuOptionsAutoCompareAfterSync", "Auto Compare After Synchronize", {}, true},
        {"mnuOptionsAutoCompareAfterFilter", "Auto Compare After Filter Change", {}, true},
        {"mnuOptionsAutoCompareAfterDateTimeChange", "Auto Compare After Filename or Date/Time Change", {}, true},
        {"mnuOptionsAutoCompareAfterCompareMethodChange", "Auto Compare After Compare Method Change", {}, true},
        {"mnuOptionsAutoCompareAfterCreationOfNewFolder", "Auto Compare After Creation of New Folder", {}, true},
    });
    AddCommands(options, {{"mnuOptionsShowGraphAfterCompare", "Show Summary After Compare", {}, true}});
    QMenu* diffs = AddMenu(options, "mnuOptionsViewFileDiffs", "View File Difference Options");
    AddCommands(diffs, {
        {"mnuOptionsViewFileDiffsPromptForOptions", "Prompt For Options", {}, true},
        {"mnuOptionsViewFileDiffsIgnoreWhitespace", "Ignore Whitespace", {}, true},
        {"mnuOptionsViewFileDiffsIgnoreCase", "Ignore Case", {}, true},
    });
    QMenu* format = AddMenu(diffs, "mnuOptionsViewFileDiffsOutputFormat", "Output Format");
    AddCommands(format, {
        {"mnuOptionsViewFileDiffsOutputFormatVisual", "Visual", {}, true},
        {"mnuOptionsViewFileDiffsOutputFormatUnix", "Unix", {}, true},
    });
    options->addSeparator();
    QMenu* sounds = AddMenu(options, "mnuOptionsSounds", "Sounds");
    AddCommands(sounds, {
        {"mnuOptionsSoundOn", "Sounds On", {}, true},
        {"mnuOptionsChangeSounds", "Change Sounds...", [this] { OpenOptionsWindow(OptionsTabSounds); }},
    });
    AddCommands(options, {{"mnuOptionsSyncScrolling", "Sy&nc Folder Contents Scrolling", {}, true}});
    QMenu* toolbar = AddMenu(options, "mnuOptionsToolbar", "Toolbar");
    AddCommands(toolbar, {
        {"mnuOptionsToolbarShowToolbar", "Show Toolbar (Smaller Icons)", [this] { SetToolbarStyle(ToolbarSmall); }, true},
        {"mnuOptionsToolbarShowCoolbar", "Show Toolbar (Large Icons)", [this] { SetToolbarStyle(ToolbarLarge); }, true},
        {"mnuOptionsToolbarHide", "Hide Toolbar", [this] { SetToolbarStyle(ToolbarHidden); }, true},
    });
    AddCommands(options, {
        {"mnuOptionsAutoCompleteFolderPath", "Auto Complete Folder Path While Typing", {}, true},
        {"mnuOptionsAppearance", "Appearance...", [this] { OpenOptionsWindow(OptionsTabAppearance); }},
        {"mnuOptionsMaintainFolderLists", "Maintain Folder Lists...", [this] { mnuOptionsMaintainFolderLists_Click(); }},
    });
    options->addSeparator();
    AddCommands(options, {{"mnuOptionsRestoreDefaults", "Restore Default Options", [this] { RestoreDefaultOptions(); }}});

    QMenu* help = top("mnuHelp", "&Help");
    AddCommands(help, {
        {"mnuHelpContents", "&Contents", [this] { mnuHelpContents_Click(); }},
        {"mnuHelpTroubleshooting", "&Troubleshooting", [this] { mnuHelpContents_Click(); }},
    });
    help->addSeparator();
    AddCommands(help, {{"mnuHelpAboutBox", "&About...", [this] { mnuHelpAboutBox_Click(); }}});

    // Radio groups: exactly one item of each carries the check mark.
    MakeRadioGroup({"mnuViewViewAll", "mnuViewDifferences", "mnuViewSimilarities", "mnuViewOther"});
    MakeRadioGroup({"mnuOptionsCompareTypeQuick", "mnuOptionsCompareTypeThoroughString",
                    "mnuOptionsCompareTypeThoroughCRC", "mnuOptionsCompareTypeSHA"});
    MakeRadioGroup({"mnuOptionsSyncMakeRightSameAsLeft", "mnuOptionsSyncMakeLeftSameAsRight",
                    "mnuOptionsSyncReplaceOlderInRight", "mnuOptionsSyncReplaceOlderInLeft",
                    "mnuOptionsSyncReplaceOlderCopyOrphans", "mnuOptionsSyncAddOrphansToRight",
                    "mnuOptionsSyncAddOrphansToLeft", "mnuOptionsSyncCustomize"});
    MakeRadioGroup({"mnuOptionsViewFileDiffsOutputFormatVisual", "mnuOptionsViewFileDiffsOutputFormatUnix"});
    MakeRadioGroup({"mnuOptionsToolbarShowToolbar", "mnuOptionsToolbarShowCoolbar", "mnuOptionsToolbarHide"});
}

QMenu* frmMain::AddMenu(QMenu* parent, const char* name, const char* caption)
{
    QMenu* menu = parent->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    m_menus.insert(QString::fromLatin1(name), menu);
    return menu;
}

QAction* frmMain::AddCommand(QMenu* menu, const Command& command)
{
    QAction* action = menu->addAction(QString::fromLatin1(command.caption));
    const QString name = QString::fromLatin1(command.name);
    action->setObjectName(name);
    action->setCheckable(command.checkable);
    if (command.handler) {
        const std::function<void()> handler = command.handler;
        connect(action, &QAction::triggered, this, [handler] { handler(); });
    } else if (!command.checkable) {
        action->setEnabled(false);
    }
    m_actions.insert(name, action);
    return action;
}

void frmMain::AddCommands(QMenu* menu, std::initializer_list<Command> commands)
{
    for (const Command& command : commands)
        AddCommand(menu, command);
}

QActionGroup* frmMain::MakeRadioGroup(std::initializer_list<const char*> names)
{
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const char* name : names)
        if (QAction* action = Action(QString::fromLatin1(name)))
            group->addAction(action);
    return group;
}

QAction* frmMain::Action(const QString& objectName) const { return m_actions.value(objectName, nullptr); }

QMenu* frmMain::TopMenu(const QString& objectName) const { return m_menus.value(objectName, nullptr); }

// The pop-up menus of the panes: the file pop-up for a file row, the folder pop-up for a folder row, and
// the two small double-click menus. Commands shared with the main menus run the same procedures.
void frmMain::BuildPopupMenus()
{
    auto popup = [this](const char* name) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(name));
        m_menus.insert(QString::fromLatin1(name), menu);
        return menu;
    };
    m_filePopup = popup("mnuFilePopup");
    AddCommands(m_filePopup, {
        {"mnuFilePopupOpen", "&Open Object", [this] { mnuFileOpenFile_Click(); }},
        {"mnuFilePopupShowDifferences", "Show File Differences", {}},
        {"mnuFilePopupCompareFiles", "Compare Files...", {}},
    });
    m_filePopup->addSeparator();
    AddCommands(m_filePopup, {
        {"mnuFilePopupCopyToOtherFolder", "Copy to Other Folder", {}},
        {"mnuFilePopupCopyToAnyFolder", "Copy to Any Folder...", {}},
        {"mnuFilePopupMoveToOtherFolder", "Move to Other Folder", {}},
        {"mnuFilePopupMoveToAnyFolder", "Move to Any Folder...", {}},
        {"mnuFilePopupSendToRecycleBin", "Send to Recycle Bin", {}},
        {"mnuFilePopupDeletePermanently", "Delete Permanently", {}},
        {"mnuFilePopupRename", "Rename File(s)", {}},
        {"mnuFilePopupSetDateTime", "Set Date/Time of Selected File(s)", {}},
        {"mnuFilePopupSyncFileDateTime", "Synchronize &Date/Time of Selected File with its Counterpart", {}},
        {"mnuFilePopupSyncSelected", "Synchronize Selected Object(s)", {}},
    });
    m_filePopup->addSeparator();
    AddCommands(m_filePopup, {
        {"mnuFilePopupAddToIncludeFilter", "Add Selected Objects to Include Filter",
         [this] { AddSelectedObjectsToFilter(true); }},
        {"mnuFilePopupAddToExcludeFilter", "Add Selected Objects to Exclude Filter",
         [this] { AddSelectedObjectsToFilter(false); }},
    });
    m_filePopup->addSeparator();
    AddCommands(m_filePopup, {{"mnuFilePopupProperties", "Properties", [this] { mnuFileShowFileProperties_Click(); }}});

    m_folderPopup = popup("mnuFolderPopup");
    AddCommands(m_folderPopup, {
        {"mnuFolderPopupExplore", "Explore this sub-folder",
         [this] { ExploreFolderRow(m_current, m_current->currentIndex().row()); }},
        {"mnuFolderPopupViewDifferences", "Show Sub-Folder Differences", {}},
    });
    m_folderPopup->addSeparator();
    AddCommands(m_folderPopup, {
        {"mnuGoToFolderThisSide", "Go to the sub-folder - (This side only)", [this] { GoToSubFolder(false); }},
        {"mnuGoToFolderBothSidesRunCompare", "Go to the sub-folder and run compare -  (Both sides) ",
         [this] { GoToSubFolder(true); }},
    });
    m_folderPopup->addSeparator();
    AddCommands(m_folderPopup, {
        {"mnuFolderPopupCopyToOtherFolder", "Copy to Other Folder", {}},
        {"mnuFolderPopupCopyToAnyFolder", "Copy to Any Folder...", {}},
        {"mnuFolderPopupMoveToOtherFolder", "Move to Other Folder", {}},
        {"mnuFolderPopupMoveToAnyFolder", "Move to Any Folder...", {}},
        {"mnuFolderPopupSendToRecycleBin", "Send to Recycle Bin", {}},
        {"mnuFolderPopupDeletePermanently", "Delete Permanently", {}},
        {"mnuFolderPopupRename", "Rename Folder(s)", {}},
        {"mnuFolderPopupSyncSelected", "Synchronize Selected Object(s)", {}},
    });
    m_folderPopup->addSeparator();
    AddCommands(m_folderPopup, {
        {"mnuFolderPopupAddToIncludeFilter", "Add Selected Objects to Include Filter",
         [this] { AddSelectedObjectsToFilter(true); }},
        {"mnuFolderPopupAddToExcludeFilter", "Add Selected Objects to Exclude Filter",
         [this] { AddSelectedObjectsToFilter(false); }},
    });
    m_folderPopup->addSeparator();
    AddCommands(m_folderPopup, {{"mnuFolderPopupProperties", "Properties", [this] { mnuFileShowFileProperties_Click(); }}});

    QMenu* fileDouble = popup("mnuDiffFileDblClick");
    AddCommands(fileDouble, {
        {"mnuDblClickFileOpen", "Open File", [this] { OpenRowWithDefaultHandler(m_current, m_current->currentIndex().row()); }},
        {"mnuDblClickShowFileDiffs", "Show File Differences", {}},
    });
    fileDouble->setDefaultAction(Action(QStringLiteral("mnuDblClickFileOpen")));
    QMenu* folderDouble = popup("mnuDiffSubDirDblClick");
    AddCommands(folderDouble, {
        {"mnuDblClickExplore", "Explore this sub-folder", [this] { ExploreFolderRow(m_current, m_current->currentIndex().row()); }},
        {"mnuDblClickShowDiffs", "Show Sub-Folder Differences", {}},
    });
    folderDouble->setDefaultAction(Action(QStringLiteral("mnuDblClickExplore")));
}

namespace {
struct ToolbarButton
{
    const char* name;
    const char* caption;
    ToolbarPicture picture;
    const char* command; // the menu item the button runs
};
const ToolbarButton ToolbarButtons[] = {
    {"tbrCompare", "Compare", ToolbarPicture::Compare, "mnuFileCompareDirectories"},
    {"tbrCompareFiles", "Compare Files", ToolbarPicture::CompareFiles, "mnuFileCompareFiles"},
    {"tbrSync", "Sync", ToolbarPicture::Sync, "mnuFileAutoSynch"},
    {"tbrCopy", "Copy", ToolbarPicture::Copy, "mnuFileCopySelectedFilesToTargetDirectory"},
    {"tbrMove", "Move", ToolbarPicture::Move, "mnuFileMoveSelectedFilesToTargetDirectory"},
    {"tbrDelete", "Delete", ToolbarPicture::Delete, "mnuFileSendSelectedFilesToRecycleBin"},
    {"tbrProperties", "Properties", ToolbarPicture::Properties, "mnuFileShowFileProperties"},
    {"tbrPrint", "Print", ToolbarPicture::Print, "mnuFilePrint"},
    {"tbrExit", "Exit", ToolbarPicture::Exit, "mnuFileExit"},
    {"tbrHelp", "Help", ToolbarPicture::Help, "mnuHelpContents"},
};
} // namespace

void frmMain::BuildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("ParvexToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (const ToolbarButton& b : ToolbarButtons) {
        QAction* action = m_toolbar->addAction(ToolbarIcon(b.picture), QString::fromLatin1(b.caption));
        action->setObjectName(QString::fromLatin1(b.name));
        const QString command = QString::fromLatin1(b.command);
        QAction* menuItem = Action(command);
        action->setEnabled(menuItem != nullptr && menuItem->isEnabled());
        connect(action, &QAction::triggered, this, [this, command] { ToolbarPress(command); });
        m_actions.insert(action->objectName(), action);
        if (b.picture == ToolbarPicture::Properties || b.picture == ToolbarPicture::Print)
            m_toolbar->addSeparator();
    }
    SetToolbarStyle(m_toolbarStyle);
}

// A press while a long operation runs, or while a command started from the toolbar is still at work (its
// own message loop lets further presses through), does nothing but beep.
void frmMain::ToolbarPress(const QString& command)
{
    QAction* menuItem = Action(command);
    if (!MenusEnabled() || m_toolbarCommandRunning || menuItem == nullptr) {
        QApplication::beep();
        return;
    }
    m_toolbarCommandRunning = true;
    if (command == QLatin1String("mnuFileCompareDirectories"))
        CompareDirs(false, true);
    else
        menuItem->trigger();
    m_toolbarCommandRunning = false;
}

void frmMain::SetToolbarStyle(int style)
{
    if (style != ToolbarHidden && style != ToolbarLarge && style != ToolbarSmall)
        style = ToolbarLarge;
    m_toolbarStyle = style;
    if (m_toolbar != nullptr) {
        m_toolbar->setVisible(style != ToolbarHidden);
        m_toolbar->setIconSize(style == ToolbarLarge ? QSize(32, 32) : QSize(16, 16));
        m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
    const char* checked = style == ToolbarHidden ? "mnuOptionsToolbarHide"
                          : style == ToolbarSmall ? "mnuOptionsToolbarShowToolbar"
                                                  : "mnuOptionsToolbarShowCoolbar";
    if (QAction* action = Action(QString::fromLatin1(checked)))
        action->setChecked(true);
}

bool frmMain::MenusEnabled() const
{
    const QMenu* file = TopMenu(QStringLiteral("mnuFile"));
    return file == nullptr || file->menuAction()->isEnabled();
}

void frmMain::SetMenusEnabled(bool enabled)
{
    for (const char* name : {"mnuFile", "mnuOptions", "mnuSelect", "mnuView", "mnuHelp"})
        if (QMenu* menu = TopMenu(QString::fromLatin1(name)))
            menu->menuAction()->setEnabled(enabled);
}
