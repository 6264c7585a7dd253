#pragma once

#include "app/AppContext.h"
#include "compare/CCompare.h"
#include "diff/cViewFileDiffsOptions.h"
#include "settings/CSoundSettings.h"
#include "settings/MainOptions.h"
#include "sync/CSyncSettings.h"
#include "views/CViewSelections.h"

#include <QStringList>
#include <QVariant>

// Every setting in memory, one "name=value" line each, so a comparison names what differs.
inline QStringList Snapshot(AppContext& ctx)
{
    const CCompare& c = ctx.Compare();
    const CSyncSettings& s = ctx.SyncSettings();
    const CViewSelections& v = ctx.ViewSelections();
    const CSoundSettings& snd = ctx.Sounds();
    const cViewFileDiffsOptions& d = ctx.DiffOptions();
    const MainOptions& m = ctx.MainOptions();
    QStringList out;
    const auto add = [&](const char* name, const QVariant& value) {
        out << QString::fromLatin1(name) + QLatin1Char('=') + value.toString();
    };
    add("CompareSubFolders", c.CompareSubFolders());
    add("CompareMethod", c.CompareMethod());
    add("ChunkSize", c.ChunkSize());
    add("Include", c.IncludeFilters());
    add("Exclude", c.ExcludeFilters());
    add("ExcludeSystemFiles", c.ExcludeSystemFiles());
    add("ExcludeHiddenFiles", c.ExcludeHiddenFiles());
    add("ExcludeSystemFolders", c.ExcludeSystemFolders());
    add("ExcludeHiddenFolders", c.ExcludeHiddenFolders());
    add("Remind", c.RemindAboutFATNTFSIssue());
    add("Ignore2Sec", c.IgnoreFAT_NTFS_TwoSecDiff());
    add("IgnoreDaylight", c.IgnoreFAT_NTFS_DaylightSavings());
    add("SyncMethod", s.SyncMethod());
    for (int i = 0; i < 8; ++i)
        add("Rule", s.AllRules()[i]);
    add("ViewType", v.ViewType());
    for (int k = 1; k <= 8; ++k)
        add("View", v.ShowsCategory(k));
    add("SoundOn", snd.SoundOn());
    add("StartSound", snd.StartSound());
    add("ExitSound", snd.ExitSound());
    add("CompareSound", snd.CompareCompleteSound());
    add("SyncSound", snd.SyncCompleteSound());
    add("DiffFormat", d.Format());
    add("DiffIgnoreCase", d.IgnoreCase());
    add("DiffIgnoreWhiteSpace", d.IgnoreWhiteSpace());
    add("DiffPrompt", d.ShowOptionsDialog());
    for (bool b : {m.ShowCopyConfirmations, m.ShowMoveConfirmations, m.ShowDeleteConfirmations,
                   m.ShowSynchronizeConfirmations, m.ShowDateTimeChangeConfirmations, m.AutoCompareAfterFilter,
                   m.AutoCompareAfterFileOp, m.AutoCompareAfterSync, m.AutoCompareAfterDateTimeChange,
                   m.AutoCompareAfterCreationOfNewFolder, m.AutoCompareAfterCompareMethodChange, m.SyncScrolling,
                   m.ShowGraphAfterCompare, m.PromptForSyncMethod, m.GradientFillTitlebar, m.AutoCompleteFolderPath,
                   m.KeepForUndo})
        add("MainFlag", b);
    add("CoolbarStyle", m.CoolbarStyle);
    add("FontName", m.FontName);
    add("FontSize", m.FontSize);
    add("NumSyncLogEntries", m.NumSyncLogEntries);
    add("DeletionGuardShare", m.DeletionGuardShare);
    add("DeletionGuardFloor", m.DeletionGuardFloor);
    add("Maximized", m.State == MainOptions::WindowState::Maximized);
    add("Height", m.HeightTwips);
    add("Width", m.WidthTwips);
    add("Top", m.TopTwips);
    add("Left", m.LeftTwips);
    for (int w : m.SourceColumnWidths)
        add("SourceColumn", w);
    for (int w : m.TargetColumnWidths)
        add("TargetColumn", w);
    return out;
}

// Moves every setting away from its default.
inline void ChangeEverything(AppContext& ctx)
{
    CCompare& c = ctx.Compare();
    c.SetCompareSubFolders(false);
    c.SetCompareMethod(CCompare::SHA);
    c.SetChunkSize(1234567);
    c.SetExcludeSystemFiles(true);
    c.SetExcludeHiddenFiles(true);
    c.SetExcludeSystemFolders(true);
    c.SetExcludeHiddenFolders(true);
    c.SetRemindAboutFATNTFSIssue(false);
    c.SetIgnoreFAT_NTFS_TwoSecDiff(false);
    c.SetIgnoreFAT_NTFS_DaylightSavings(true);
    CSyncSettings& s = ctx.SyncSettings();
    s.SetSyncMethod(CSyncSettings::Custom);
    s.SetAllRules({3, 0, 3, 1, 2, 1, 0, 3});
    CViewSelections& v = ctx.ViewSelections();
    v.SetViewType(CViewSelections::Custom);
    v.ViewNewerFiles = false;
    v.ViewOrphanFolders = false;
    v.ViewIdenticalFiles = false;
    CSoundSettings& snd = ctx.Sounds();
    snd.SetSoundOn(false);
    snd.SetStartSound(QStringLiteral("/sounds/start.wav"));
    snd.SetExitSound(QStringLiteral("/sounds/exit.wav"));
    snd.SetCompareCompleteSound(CSoundSettings::NoSound());
    snd.SetSyncCompleteSound(QStringLiteral("/sounds/Sync Done.wav"));
    cViewFileDiffsOptions& d = ctx.DiffOptions();
    d.SetFormat(cViewFileDiffsOptions::Unix);
    d.SetIgnoreCase(true);
    d.SetIgnoreWhiteSpace(true);
    d.SetShowOptionsDialog(false);
    MainOptions& m = ctx.MainOptions();
    for (bool* b : {&m.ShowCopyConfirmations, &m.ShowMoveConfirmations, &m.ShowDeleteConfirmations,
                    &m.ShowSynchronizeConfirmations, &m.ShowDateTimeChangeConfirmations, &m.AutoCompareAfterFilter,
                    &m.AutoCompareAfterFileOp, &m.AutoCompareAfterSync, &m.AutoCompareAfterDateTimeChange,
                    &m.AutoCompareAfterCreationOfNewFolder, &m.AutoCompareAfterCompareMethodChange, &m.SyncScrolling,
                    &m.ShowGraphAfterCompare, &m.PromptForSyncMethod, &m.GradientFillTitlebar,
                    &m.AutoCompleteFolderPath, &m.KeepForUndo})
        *b = false;
    m.CoolbarStyle = MainOptions::Toolbar;
    m.FontName = QStringLiteral("DejaVu Sans Mono");
    m.FontSize = 10.5;
    m.NumSyncLogEntries = 55;
    m.DeletionGuardShare = 75;
    m.DeletionGuardFloor = 0;
    m.HeightTwips = 8000;
    m.WidthTwips = 12000;
    m.TopTwips = 300;
    m.LeftTwips = 450;
    m.SourceColumnWidths = {200, 80, 120};
    m.TargetColumnWidths = {201, 81, 121};
}
