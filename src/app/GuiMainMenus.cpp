#include "app/GuiMainMenus.h"

#include "app/GuiCommandRegistry.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <vector>

namespace {

// The menu bar, in order: every command of the window is defined here once, with its caption, its key
// (shown in the menu next to it; the pop-ups of the panes run the same commands) and whether it carries
// a check mark. Items whose work lands with a later part of the program are present
// with their captions and names but no handler yet, which leaves them disabled.
enum class Kind { Top, Sub, End, Item, Check, Separator };
struct MenuLine
{
    Kind kind;
    const char* name = nullptr;
    const char* caption = nullptr;
    const char* shortcut = nullptr;
};

const MenuLine MenuBar[] = {
    {Kind::Top, "mnuFile", "&File"},
    {Kind::Item, "mnuFileCompareDirectories", "Compare &Folders", "F5"},
    {Kind::Item, "mnuFileCompareFiles", "Compare F&iles..."},
    {Kind::Item, "mnuFileCompareParents", "Compare the Parent Folders"},
    {Kind::Item, "mnuCompareSubFolderToOtherFolder", "Compare this sub-folder with another folder..."},
    {Kind::Item, "mnuFileShowSubDirDiffs", "Show Sub-Folder Differences..."},
    {Kind::Item, "mnuFileShowFileDiffs", "Show File Differences"},
    {Kind::Separator},
    {Kind::Item, "mnuFileAutoSynch", "&Synchronize Folder Contents"},
    {Kind::Item, "mnuFileSyncSelectedObjects", "Synchronize Selected Object(s) Only"},
    {Kind::Separator},
    {Kind::Item, "mnuFileCopySelectedFilesToTargetDirectory", "&Copy Selected Object(s) to Other Folder"},
    {Kind::Item, "mnuFileCopySelectedFilesToSpecifiedDirectory", "Copy Selected Object(s) to Any Folder..."},
    {Kind::Item, "mnuFileMoveSelectedFilesToTargetDirectory", "&Move Selected Object(s) to Other Folder"},
    {Kind::Item, "mnuFileMoveSelectedFilesToSpecifiedDirectory", "Move Selected Object(s) to Any Folder..."},
    {Kind::Item, "mnuFileSendSelectedFilesToRecycleBin", "Send to Recycle &Bin", "Del"},
    {Kind::Item, "mnuFileDeletePermanently", "Delete Permanently", "Shift+Del"},
    {Kind::Item, "mnuFileChangeFilename", "Re&name File(s)/Folder(s)...", "F2"},
    {Kind::Item, "mnuSetDateTimeStamp", "Set Date/Time of Selected File(s)"},
    {Kind::Item, "mnuSyncTimeStamp", "Synchronize &Date/Time of Selected File with its Counterpart"},
    {Kind::Separator},
    {Kind::Item, "mnuFileOpenFile", "&Open Object"},
    {Kind::Item, "mnuFileShowFileProperties", "P&roperties"},
    {Kind::Separator},
    {Kind::Item, "mnuFileAddToIncludeFilter", "Add Selected Objects to Include Filter"},
    {Kind::Item, "mnuFileAddToExcludeFilter", "Add Selected Objects to Exclude Filter"},
    {Kind::Separator},
    {Kind::Item, "mnuFileSaveSessionSettings", "Save Session Settings As..."},
    {Kind::Item, "mnuFileLoadSessionSettings", "Load Session Settings..."},
    {Kind::Item, "mnuFileRestoreDefaultSessionSettings", "Restore Default Session Settings"},
    {Kind::Separator},
    {Kind::Item, "mnuFilePrint", "&Print..."},
    {Kind::Separator},
    {Kind::Item, "mnuFileExit", "E&xit"},
    {Kind::End},

    {Kind::Top, "mnuSelect", "&Select"},
    {Kind::Item, "mnuSelectAll", "&Select All Objects"},
    {Kind::Item, "mnuDeSelectAll", "&DeSelect All Objects"},
    {Kind::Item, "mnuInvertSelection", "&Invert Selection"},
    {Kind::Item, "mnuSelectOther", "&Other..."},
    {Kind::Separator},
    {Kind::Item, "mnuSelectShowNext", "Show &Next Selected Item"},
    {Kind::Item, "mnuSelectShowOnlySelected", "Show Only Selected Objects"},
    {Kind::End},

    {Kind::Top, "mnuView", "&View"},
    {Kind::Check, "mnuViewViewAll", "View All Files and Folders"},
    {Kind::Check, "mnuViewDifferences", "View Differences Only"},
    {Kind::Check, "mnuViewSimilarities", "View Similiarities Only"},
    {Kind::Check, "mnuViewOther", "Other..."},
    {Kind::Separator},
    {Kind::Check, "mnuViewConflicts", "&Conflicts"},
    {Kind::Separator},
    {Kind::Item, "mnuViewCompareResultsSummary", "Comparison &Results Summary"},
    {Kind::Item, "mnuViewSyncHistory", "&Synchronization History"},
    {Kind::Item, "mnuViewUndoLastSync", "&Undo Last Synchronization..."},
    {Kind::Item, "mnuViewErrorLog", "&Error Log"},
    {Kind::End},

    {Kind::Top, "mnuOptions", "&Options"},
    {Kind::Sub, "mnuOptionsCompareType", "Comparison Method"},
    {Kind::Check, "mnuOptionsCompareTypeQuick", "Size and Date/Time"},
    {Kind::Check, "mnuOptionsCompareTypeThoroughString", "Contents"},
    {Kind::Check, "mnuOptionsCompareTypeThoroughCRC", "Cyclical Redundancy Check"},
    {Kind::Check, "mnuOptionsCompareTypeSHA", "SHA-1 Message Digest"},
    {Kind::End},
    {Kind::Item, "mnuOptionsChunkSize", "Chunk Size..."},
    {Kind::Check, "mnuOptionsCompareSubFolders", "Compare Sub-Folders"},
    {Kind::Separator},
    {Kind::Check, "mnuOptionsExcludeHiddenFiles", "Exclude Hidden Files"},
    {Kind::Check, "mnuOptionsExcludeSystemFiles", "Exclude System Files"},
    {Kind::Check, "mnuOptionsExcludeHiddenFolders", "Exclude Hidden Folders"},
    {Kind::Check, "mnuOptionsExcludeSystemFolders", "Exclude System Folders"},
    {Kind::Item, "mnuOptionsFilters", "Include/Exclude Filters..."},
    {Kind::Sub, "mnuOptionsFATNTFS", "FAT/NTFS"},
    {Kind::Check, "mnuOptionsIgnore2Sec", "Ignore FAT/NTFS 2 sec. Difference"},
    {Kind::Check, "mnuOptionsIgnoreDaylightSavings", "Ignore FAT/NTFS Daylight Savings Time"},
    {Kind::Check, "mnuOptionsRemindAboutFATNTFSIssue", "Remind About FAT/NTFS Issue"},
    {Kind::End},
    {Kind::Separator},
    {Kind::Sub, "mnuOptionsSynchronizeMethod", "Synchronization Method"},
    {Kind::Check, "mnuOptionsSyncMakeRightSameAsLeft", "Make Right Folder Same as Left Folder"},
    {Kind::Check, "mnuOptionsSyncMakeLeftSameAsRight", "Make Left Folder Same as Right Folder"},
    {Kind::Check, "mnuOptionsSyncReplaceOlderInRight", "Replace Older Files in Right Folder"},
    {Kind::Check, "mnuOptionsSyncReplaceOlderInLeft", "Replace Older Files in Left Folder"},
    {Kind::Check, "mnuOptionsSyncReplaceOlderCopyOrphans", "Replace Older Files and Copy Orphan Objects (bi-directional)"},
    {Kind::Check, "mnuOptionsSyncAddOrphansToRight", "Add Orphan Objects to Right Folder"},
    {Kind::Check, "mnuOptionsSyncAddOrphansToLeft", "Add Orphan Objects to Left Folder"},
    {Kind::Check, "mnuOptionsSyncCustomize", "Custom..."},
    {Kind::Separator},
    {Kind::Check, "mnuOptionsPromptForSyncMethod", "Prompt for Sync Method"},
    {Kind::End},
    {Kind::Check, "mnuOptionsKeepForUndo", "Keep Replaced and Deleted Objects for Undo"},
    {Kind::Sub, "mnuOptionsConfirmations", "Confirmations"},
    {Kind::Check, "mnuOptionsConfirmCopy", "Confirm Before Copy"},
    {Kind::Check, "mnuOptionsConfirmMove", "Confirm Before Move"},
    {Kind::Check, "mnuOptionsConfirmDelete", "Confirm Before Delete"},
    {Kind::Check, "mnuOptionsConfirmSynchronize", "Confirm Before Synchronize"},
    {Kind::Check, "mnuOptionsConfirmDateTimeChange", "Confirm Before Date/Time Change"},
    {Kind::End},
    {Kind::Sub, "mnuOptionsAutoCompare", "Automatic Comparison"},
    {Kind::Check, "mnuOptionsAutoCompareAfterFileOp", "Auto Compare After Copy, Move, Delete"},
    {Kind::Check, "mnuOptionsAutoCompareAfterSync", "Auto Compare After Synchronize"},
    {Kind::Check, "mnuOptionsAutoCompareAfterFilter", "Auto Compare After Filter Change"},
    {Kind::Check, "mnuOptionsAutoCompareAfterDateTimeChange", "Auto Compare After Filename or Date/Time Change"},
    {Kind::Check, "mnuOptionsAutoCompareAfterCompareMethodChange", "Auto Compare After Compare Method Change"},
    {Kind::Check, "mnuOptionsAutoCompareAfterCreationOfNewFolder", "Auto Compare After Creation of New Folder"},
    {Kind::End},
    {Kind::Check, "mnuOptionsShowGraphAfterCompare", "Show Summary After Compare"},
    {Kind::Sub, "mnuOptionsViewFileDiffs", "View File Difference Options"},
    {Kind::Check, "mnuOptionsViewFileDiffsPromptForOptions", "Prompt For Options"},
    {Kind::Check, "mnuOptionsViewFileDiffsIgnoreWhitespace", "Ignore Whitespace"},
    {Kind::Check, "mnuOptionsViewFileDiffsIgnoreCase", "Ignore Case"},
    {Kind::Sub, "mnuOptionsViewFileDiffsOutputFormat", "Output Format"},
    {Kind::Check, "mnuOptionsViewFileDiffsOutputFormatVisual", "Visual"},
    {Kind::Check, "mnuOptionsViewFileDiffsOutputFormatUnix", "Unix"},
    {Kind::End},
    {Kind::End},
    {Kind::Separator},
    {Kind::Sub, "mnuOptionsSounds", "Sounds"},
    {Kind::Check, "mnuOptionsSoundOn", "Sounds On"},
    {Kind::Item, "mnuOptionsChangeSounds", "Change Sounds..."},
    {Kind::End},
    {Kind::Check, "mnuOptionsSyncScrolling", "Sy&nc Folder Contents Scrolling"},
    {Kind::Sub, "mnuOptionsToolbar", "Toolbar"},
    {Kind::Check, "mnuOptionsToolbarShowToolbar", "Show Toolbar (Smaller Icons)"},
    {Kind::Check, "mnuOptionsToolbarShowCoolbar", "Show Toolbar (Large Icons)"},
    {Kind::Check, "mnuOptionsToolbarHide", "Hide Toolbar"},
    {Kind::End},
    {Kind::Check, "mnuOptionsAutoCompleteFolderPath", "Auto Complete Folder Path While Typing"},
    {Kind::Item, "mnuOptionsAppearance", "Appearance..."},
    {Kind::Item, "mnuOptionsMaintainFolderLists", "Maintain Folder Lists..."},
    {Kind::Separator},
    {Kind::Item, "mnuOptionsRestoreDefaults", "Restore Default Options"},
    {Kind::End},

    {Kind::Top, "mnuHelp", "&Help"},
    {Kind::Item, "mnuHelpContents", "&Contents"},
    {Kind::Item, "mnuHelpTroubleshooting", "&Troubleshooting"},
    {Kind::Separator},
    {Kind::Item, "mnuHelpAboutBox", "&About..."},
    {Kind::End},
};

// Commands that only the pop-up menus of the panes offer.
const GuiCommandRegistry::Command PopupCommands[] = {
    {"mnuFolderPopupExplore", "Explore this sub-folder"},
    {"mnuFolderPopupViewDifferences", "Show Sub-Folder Differences"},
    {"mnuGoToFolderThisSide", "Go to the sub-folder - (This side only)"},
    {"mnuGoToFolderBothSidesRunCompare", "Go to the sub-folder and run compare -  (Both sides) "},
    // The menus of the two folder buttons.
    {"mnuSourceFolderNewSubFolder", "Create New Sub-Folder..."},
    {"mnuTargetFolderNewSubFolder", "Create New Sub-Folder..."},
};

// A pop-up item: its own name and caption, the command it runs ("-": a separator).
struct PopupLine
{
    const char* name;
    const char* caption = nullptr;
    const char* command = nullptr;
};

const PopupLine FilePopup[] = {
    {"mnuFilePopupOpen", "&Open Object", "mnuFileOpenFile"},
    {"mnuFilePopupShowDifferences", "Show File Differences", "mnuFileShowFileDiffs"},
    {"mnuFilePopupCompareFiles", "Compare Files...", "mnuFileCompareFiles"},
    {"-"},
    {"mnuFilePopupCopyToOtherFolder", "Copy to Other Folder", "mnuFileCopySelectedFilesToTargetDirectory"},
    {"mnuFilePopupCopyToAnyFolder", "Copy to Any Folder...", "mnuFileCopySelectedFilesToSpecifiedDirectory"},
    {"mnuFilePopupMoveToOtherFolder", "Move to Other Folder", "mnuFileMoveSelectedFilesToTargetDirectory"},
    {"mnuFilePopupMoveToAnyFolder", "Move to Any Folder...", "mnuFileMoveSelectedFilesToSpecifiedDirectory"},
    {"mnuFilePopupSendToRecycleBin", "Send to Recycle Bin", "mnuFileSendSelectedFilesToRecycleBin"},
    {"mnuFilePopupDeletePermanently", "Delete Permanently", "mnuFileDeletePermanently"},
    {"mnuFilePopupRename", "Rename File(s)", "mnuFileChangeFilename"},
    {"mnuFilePopupSetDateTime", "Set Date/Time of Selected File(s)", "mnuSetDateTimeStamp"},
    {"mnuFilePopupSyncFileDateTime", "Synchronize &Date/Time of Selected File with its Counterpart", "mnuSyncTimeStamp"},
    {"mnuFilePopupSyncSelected", "Synchronize Selected Object(s)", "mnuFileSyncSelectedObjects"},
    {"-"},
    {"mnuFilePopupAddToIncludeFilter", "Add Selected Objects to Include Filter", "mnuFileAddToIncludeFilter"},
    {"mnuFilePopupAddToExcludeFilter", "Add Selected Objects to Exclude Filter", "mnuFileAddToExcludeFilter"},
    {"-"},
    {"mnuFilePopupProperties", "Properties", "mnuFileShowFileProperties"},
};

const PopupLine FolderPopup[] = {
    {"mnuFolderPopupExplore"},
    {"mnuFolderPopupViewDifferences"},
    {"-"},
    {"mnuGoToFolderThisSide"},
    {"mnuGoToFolderBothSidesRunCompare"},
    {"-"},
    {"mnuFolderPopupCopyToOtherFolder", "Copy to Other Folder", "mnuFileCopySelectedFilesToTargetDirectory"},
    {"mnuFolderPopupCopyToAnyFolder", "Copy to Any Folder...", "mnuFileCopySelectedFilesToSpecifiedDirectory"},
    {"mnuFolderPopupMoveToOtherFolder", "Move to Other Folder", "mnuFileMoveSelectedFilesToTargetDirectory"},
    {"mnuFolderPopupMoveToAnyFolder", "Move to Any Folder...", "mnuFileMoveSelectedFilesToSpecifiedDirectory"},
    {"mnuFolderPopupSendToRecycleBin", "Send to Recycle Bin", "mnuFileSendSelectedFilesToRecycleBin"},
    {"mnuFolderPopupDeletePermanently", "Delete Permanently", "mnuFileDeletePermanently"},
    {"mnuFolderPopupRename", "Rename Folder(s)", "mnuFileChangeFilename"},
    {"mnuFolderPopupSyncSelected", "Synchronize Selected Object(s)", "mnuFileSyncSelectedObjects"},
    {"-"},
    {"mnuFolderPopupAddToIncludeFilter", "Add Selected Objects to Include Filter", "mnuFileAddToIncludeFilter"},
    {"mnuFolderPopupAddToExcludeFilter", "Add Selected Objects to Exclude Filter", "mnuFileAddToExcludeFilter"},
    {"-"},
    {"mnuFolderPopupProperties", "Properties", "mnuFileShowFileProperties"},
};

const PopupLine FileDoubleClick[] = {
    {"mnuDblClickFileOpen", "Open File", "mnuFileOpenFile"},
    {"mnuDblClickShowFileDiffs", "Show File Differences", "mnuFileShowFileDiffs"},
};

const PopupLine FolderDoubleClick[] = {
    {"mnuDblClickExplore", "Explore this sub-folder", "mnuFolderPopupExplore"},
    {"mnuDblClickShowDiffs", "Show Sub-Folder Differences", "mnuFolderPopupViewDifferences"},
};

// Radio groups: exactly one item of each carries the check mark.
const std::initializer_list<const char*> RadioGroups[] = {
    {"mnuViewViewAll", "mnuViewDifferences", "mnuViewSimilarities", "mnuViewOther"},
    {"mnuOptionsCompareTypeQuick", "mnuOptionsCompareTypeThoroughString", "mnuOptionsCompareTypeThoroughCRC",
     "mnuOptionsCompareTypeSHA"},
    {"mnuOptionsSyncMakeRightSameAsLeft", "mnuOptionsSyncMakeLeftSameAsRight", "mnuOptionsSyncReplaceOlderInRight",
     "mnuOptionsSyncReplaceOlderInLeft", "mnuOptionsSyncReplaceOlderCopyOrphans", "mnuOptionsSyncAddOrphansToRight",
     "mnuOptionsSyncAddOrphansToLeft", "mnuOptionsSyncCustomize"},
    {"mnuOptionsViewFileDiffsOutputFormatVisual", "mnuOptionsViewFileDiffsOutputFormatUnix"},
    {"mnuOptionsToolbarShowToolbar", "mnuOptionsToolbarShowCoolbar", "mnuOptionsToolbarHide"},
};

} // namespace

void BuildMainMenuBar(QMenuBar* bar, GuiCommandRegistry& registry, QHash<QString, QMenu*>& menus)
{
    std::vector<QMenu*> open;
    for (const MenuLine& line : MenuBar) {
        switch (line.kind) {
        case Kind::Top:
        case Kind::Sub: {
            const QString name = QString::fromLatin1(line.name);
            QMenu* menu = line.kind == Kind::Top ? bar->addMenu(QString::fromLatin1(line.caption))
                                                 : open.back()->addMenu(QString::fromLatin1(line.caption));
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            // Enabled rules are asked again whenever a menu opens.
            QObject::connect(menu, &QMenu::aboutToShow, &registry, &GuiCommandRegistry::RefreshEnabled);
            menus.insert(name, menu);
            open.push_back(menu);
            break;
        }
        case Kind::End:
            open.pop_back();
            break;
        case Kind::Separator:
            open.back()->addSeparator();
            break;
        case Kind::Item:
        case Kind::Check:
            open.back()->addAction(registry.Define({line.name, line.caption, line.kind == Kind::Check, line.shortcut}));
            break;
        }
    }
    for (const GuiCommandRegistry::Command& command : PopupCommands)
        registry.Define(command);
    for (const std::initializer_list<const char*>& names : RadioGroups) {
        auto* group = new QActionGroup(bar);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
        for (const char* name : names)
            group->addAction(registry.Action(QString::fromLatin1(name)));
    }
}

namespace {
// A pop-up item shows its command's key as the menu bar does. It only shows it: a second action with the
// same key would make the key ambiguous, and then neither would run.
QAction* KeyShown(QAction* appearance, const QAction* command)
{
    if (command != nullptr && !command->shortcut().isEmpty())
        appearance->setText(appearance->text() + QLatin1Char('\t') + command->shortcut().toString(QKeySequence::NativeText));
    return appearance;
}
} // namespace

void BuildPanePopups(QWidget* parent, GuiCommandRegistry& registry, QHash<QString, QMenu*>& menus)
{
    const auto popup = [&](const char* name, auto& lines) {
        auto* menu = new QMenu(parent);
        menu->setObjectName(QString::fromLatin1(name));
        menus.insert(QString::fromLatin1(name), menu);
        for (const PopupLine& line : lines) {
            if (line.name[0] == '-')
                menu->addSeparator();
            else if (line.command == nullptr)
                menu->addAction(registry.Action(QString::fromLatin1(line.name)));
            else
                menu->addAction(KeyShown(registry.Appearance(line.name, line.caption, QString::fromLatin1(line.command)),
                                         registry.Action(QString::fromLatin1(line.command))));
        }
        return menu;
    };
    popup("mnuFilePopup", FilePopup);
    popup("mnuFolderPopup", FolderPopup);
    popup("mnuDiffFileDblClick", FileDoubleClick)->setDefaultAction(registry.Action(QStringLiteral("mnuDblClickFileOpen")));
    popup("mnuDiffSubDirDblClick", FolderDoubleClick)->setDefaultAction(registry.Action(QStringLiteral("mnuDblClickExplore")));
}

