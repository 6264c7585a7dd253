#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The main window's own settings: the check marks of its Options menu, the toolbar style, the folder
// lists' font, the window's place and the result panes' column widths. The main window binds its menus
// and widgets to these; loading and saving the settings file fills and reads them.
struct MainOptions
{
    // Toolbar styles, as the settings file numbers them.
    enum ToolbarStyle : int32_t { Hidden = 0, Coolbar = 1, Toolbar = 2 };
    enum class WindowState { Normal, Minimized, Maximized };

    // Window sizes are kept in twips, as the settings file stores them: 15 twips to a pixel at 96 dpi.
    static constexpr int TwipsPerPixel = 15;
    static constexpr int DefaultHeightTwips = 6945;
    static constexpr int DefaultWidthTwips = 9435;
    static constexpr int DefaultNumSyncLogEntries = 20;
    static constexpr int DefaultDeletionGuardShare = 50;
    static constexpr int DefaultDeletionGuardFloor = 20;
    // The ranges the settings file and the Options window accept for the deletion guard.
    static constexpr int MinDeletionGuardShare = 1;
    static constexpr int MaxDeletionGuardShare = 100;
    static constexpr int MaxDeletionGuardFloor = 1000000000;
    static bool DeletionGuardShareIsValid(int n) { return n >= MinDeletionGuardShare && n <= MaxDeletionGuardShare; }
    static bool DeletionGuardFloorIsValid(int n) { return n >= 0 && n <= MaxDeletionGuardFloor; }
    static constexpr std::array<int, 3> DefaultColumnWidths{159, 72, 115};

    bool ShowCopyConfirmations = true;
    bool ShowMoveConfirmations = true;
    bool ShowDeleteConfirmations = true;
    bool ShowSynchronizeConfirmations = true;
    bool ShowDateTimeChangeConfirmations = true;

    bool AutoCompareAfterFilter = true;
    bool AutoCompareAfterFileOp = true;
    bool AutoCompareAfterSync = true;
    bool AutoCompareAfterDateTimeChange = true;
    bool AutoCompareAfterCreationOfNewFolder = true;
    bool AutoCompareAfterCompareMethodChange = true;

    bool SyncScrolling = true;
    bool ShowGraphAfterCompare = true;
    bool PromptForSyncMethod = true;
    bool GradientFillTitlebar = true;
    bool AutoCompleteFolderPath = true;

    int32_t CoolbarStyle = Coolbar;
    QString FontName;
    double FontSize = 0;

    // How many records the synchronisation history keeps.
    int32_t NumSyncLogEntries = DefaultNumSyncLogEntries;

    // A synchronisation keeps what it replaces or deletes in the trash, so that it can be undone.
    bool KeepForUndo = true;
    // A synchronisation that would delete more than this percentage of the objects of a side holding at
    // least DeletionGuardFloor of them waits for an explicit yes.
    int32_t DeletionGuardShare = DefaultDeletionGuardShare;
    int32_t DeletionGuardFloor = DefaultDeletionGuardFloor;

    WindowState State = WindowState::Normal;
    int HeightTwips = DefaultHeightTwips;
    int WidthTwips = DefaultWidthTwips;
    int TopTwips = 0;
    int LeftTwips = 0;

    std::array<int, 3> SourceColumnWidths = DefaultColumnWidths;
    std::array<int, 3> TargetColumnWidths = DefaultColumnWidths;
};
