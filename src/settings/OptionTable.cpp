#include "settings/OptionTable.h"

#include "compare/CCompare.h"
#include "compare/CompareMethod.h"
#include "diff/cViewFileDiffsOptions.h"
#include "model/FilterStore.h"
#include "settings/CSoundSettings.h"
#include "settings/ChunkSizeRule.h"
#include "views/CViewSelections.h"

#include <algorithm>
#include <type_traits>

const char* const SyncMethodMenuItems[CSyncSettings::MethodCount] = {
    "mnuOptionsSyncMakeRightSameAsLeft", "mnuOptionsSyncMakeLeftSameAsRight", "mnuOptionsSyncReplaceOlderCopyOrphans",
    "mnuOptionsSyncCustomize",           "mnuOptionsSyncAddOrphansToLeft",    "mnuOptionsSyncAddOrphansToRight",
    "mnuOptionsSyncReplaceOlderInLeft",  "mnuOptionsSyncReplaceOlderInRight",
};

namespace {

template <typename Owner>
Owner& Of(const SettingsOwners& o)
{
    if constexpr (std::is_same_v<Owner, CCompare>)
        return o.compare;
    else if constexpr (std::is_same_v<Owner, CSyncSettings>)
        return o.sync;
    else if constexpr (std::is_same_v<Owner, CViewSelections>)
        return o.views;
    else if constexpr (std::is_same_v<Owner, CSoundSettings>)
        return o.sounds;
    else if constexpr (std::is_same_v<Owner, cViewFileDiffsOptions>)
        return o.diffOptions;
    else
        return o.main;
}

template <typename Owner>
constexpr SettingOwner OwnerKind()
{
    if constexpr (std::is_same_v<Owner, CCompare>)
        return SettingOwner::Compare;
    else if constexpr (std::is_same_v<Owner, CSyncSettings>)
        return SettingOwner::Sync;
    else if constexpr (std::is_same_v<Owner, CViewSelections>)
        return SettingOwner::Views;
    else if constexpr (std::is_same_v<Owner, CSoundSettings>)
        return SettingOwner::Sounds;
    else if constexpr (std::is_same_v<Owner, cViewFileDiffsOptions>)
        return SettingOwner::DiffOptions;
    else
        return SettingOwner::Main;
}

template <typename>
struct GetterTraits;
template <typename C, typename R>
struct GetterTraits<R (C::*)() const>
{
    using Owner = C;
    using Value = std::remove_cvref_t<R>;
};

// A property read through its owner's getter and written through its setter.
template <auto Getter, auto Setter>
auto Get()
{
    using Owner = typename GetterTraits<decltype(Getter)>::Owner;
    using Value = typename GetterTraits<decltype(Getter)>::Value;
    return OwnerProperty<Value>{[](const SettingsOwners& o) -> Value { return (Of<Owner>(o).*Getter)(); },
                                [](const SettingsOwners& o, const Value& v) { (Of<Owner>(o).*Setter)(v); },
                                OwnerKind<Owner>()};
}

template <typename>
struct FieldTraits;
template <typename C, typename T>
struct FieldTraits<T C::*>
{
    using Owner = C;
    using Value = T;
};

// A property that is a plain field of its owner.
template <auto Member>
auto Field()
{
    using Owner = typename FieldTraits<decltype(Member)>::Owner;
    using Value = typename FieldTraits<decltype(Member)>::Value;
    return OwnerProperty<Value>{[](const SettingsOwners& o) -> Value { return Of<Owner>(o).*Member; },
                                [](const SettingsOwners& o, const Value& v) { Of<Owner>(o).*Member = v; },
                                OwnerKind<Owner>()};
}

// A filter text of the comparison, stored so that any text reads back (see StoredFilterText).
template <const QString& (CCompare::*Getter)() const, void (CCompare::*Setter)(const QString&)>
OwnerProperty<QString> FilterText()
{
    return {[](const SettingsOwners& o) { return StoredFilterText((o.compare.*Getter)()); },
            [](const SettingsOwners& o, const QString& v) { (o.compare.*Setter)(FilterTextFromStore(v)); },
            SettingOwner::Compare};
}

// One of the three column widths of a result pane.
template <std::array<int, 3> MainOptions::*Widths, size_t Column>
OwnerProperty<int> Width()
{
    return {[](const SettingsOwners& o) { return (o.main.*Widths)[Column]; },
            [](const SettingsOwners& o, const int& v) { (o.main.*Widths)[Column] = v; }};
}

// Sounds stay off on a computer that cannot play them.
OwnerProperty<bool> SoundSwitch()
{
    return {[](const SettingsOwners& o) { return o.sounds.SoundOn(); },
            [](const SettingsOwners& o, const bool& on) { o.sounds.SetSoundOn(on && o.sounds.DoesThisPCSupportWave()); },
            SettingOwner::Sounds};
}

constexpr const char* Options = "Options";
constexpr const char* FormDimensions = "Form Dimensions";
constexpr const char* ColumnWidths = "ColumnWidths";

OptionRow Row(const char* section, const char* key, int writePlace, OptionForm form,
              std::vector<const char*> menuItems = {}, MenuMirror mirror = MenuMirror::None)
{
    return OptionRow{section, key, writePlace, std::move(form), std::move(menuItems), mirror};
}

// A flag of section Options with the menu item that toggles it (none: no item).
OptionRow Flag(const char* key, int writePlace, OwnerProperty<bool> value, bool byDefault, const char* item = nullptr)
{
    if (item == nullptr)
        return Row(Options, key, writePlace, FlagForm{value, byDefault});
    return Row(Options, key, writePlace, FlagForm{value, byDefault}, {item}, MenuMirror::Sets);
}

OptionRow Sound(const char* key, int writePlace, OwnerProperty<QString> value, bool shippedByDefault)
{
    return Row(Options, key, writePlace, SoundForm{value, shippedByDefault});
}

OptionRow SyncRule(const QStringList& actions, const char* key, int rule, int byDefault)
{
    // The eight actions are written right after the method, in rule order.
    return Row(Options, key, 13 + rule, SyncRuleForm{&actions, rule, byDefault});
}

OptionRow CustomView(const char* key, int writePlace, bool CViewSelections::*flag, bool fileFlag, bool last = false)
{
    return Row(Options, key, writePlace, CustomViewForm{flag, true, fileFlag, last});
}

OptionRow Column(const char* key, int writePlace, OwnerProperty<int> value, int byDefault)
{
    return Row(ColumnWidths, key, writePlace, WholeForm{value, byDefault, nullptr});
}

QString StartFontName(const SettingsEnvironment& env) { return env.startFontName; }

// SHA-1 reads as the CRC comparison where SHA-1 cannot be used.
int CompareMethodAvailable(int method, const SettingsEnvironment& env)
{
    return method == CCompare::SHA && !env.shaAvailable ? CCompare::ThoroughCRC : method;
}

std::vector<const OptionRow*> SortForWriting(const std::vector<OptionRow>& rows)
{
    std::vector<const char*> sections;
    for (const OptionRow& row : rows)
        if (std::none_of(sections.begin(), sections.end(),
                         [&](const char* section) { return qstrcmp(section, row.section) == 0; }))
            sections.push_back(row.section);
    std::vector<const OptionRow*> written;
    for (const char* section : sections) {
        const size_t first = written.size();
        for (const OptionRow& row : rows)
            if (qstrcmp(row.section, section) == 0 && row.writePlace > 0)
                written.push_back(&row);
        std::stable_sort(written.begin() + static_cast<std::ptrdiff_t>(first), written.end(),
                         [](const OptionRow* a, const OptionRow* b) { return a->writePlace < b->writePlace; });
    }
    return written;
}

} // namespace

const std::vector<OptionRow>& OptionRows()
{
    using M = MainOptions;
    static const QStringList syncMethods = {
        QStringLiteral("MakeRightSameAsLeft"), QStringLiteral("MakeLeftSameAsRight"),
        QStringLiteral("ReplaceOlderCopyOrphans"), QStringLiteral("Custom"),
        QStringLiteral("AddOrphansToLeft"), QStringLiteral("AddOrphansToRight"),
        QStringLiteral("ReplaceOlderOnLeft"), QStringLiteral("ReplaceOlderOnRight"),
    };
    static const QStringList actions = {QStringLiteral("Leave"), QStringLiteral("Copy"), QStringLiteral("Replace"),
                                        QStringLiteral("Delete")};
    static const QStringList compareTypes = {QStringLiteral("Quick"), QStringLiteral("Thorough"),
                                             QStringLiteral("CRC"), QStringLiteral("SHA")};
    static const QStringList viewTypes = {QStringLiteral("All"), QStringLiteral("Different"),
                                          QStringLiteral("Similar"), QStringLiteral("Custom")};
    static const QStringList toolbarStyles = {QStringLiteral("Hidden"), QStringLiteral("Coolbar"),
                                              QStringLiteral("Toolbar")};
    static const QStringList diffFormats = {QStringLiteral("Visual"), QStringLiteral("Unix")};
    constexpr int L = CSyncSettings::Leave;
    constexpr int C = CSyncSettings::Copy;
    constexpr int R = CSyncSettings::Replace;

    static const std::vector<OptionRow> rows = {
        Row(Options, "NumSyncLogEntries", 2,
            WholeForm{Field<&M::NumSyncLogEntries>(), M::DefaultNumSyncLogEntries, [](int n) { return n >= 1; }}),

        Flag("SoundOn", 7, SoundSwitch(), true, "mnuOptionsSoundOn"),
        Sound("StartSound", 8, Get<&CSoundSettings::StartSound, &CSoundSettings::SetStartSound>(), false),
        Sound("ExitSound", 9, Get<&CSoundSettings::ExitSound, &CSoundSettings::SetExitSound>(), false),
        Sound("ComparisonCompleteSound", 10,
              Get<&CSoundSettings::CompareCompleteSound, &CSoundSettings::SetCompareCompleteSound>(), true),
        Sound("SyncCompleteSound", 11, Get<&CSoundSettings::SyncCompleteSound, &CSoundSettings::SetSyncCompleteSound>(),
              true),

        Row(Options, "ViewFileDiffFormat", 3,
            WordForm{&diffFormats, Get<&cViewFileDiffsOptions::Format, &cViewFileDiffsOptions::SetFormat>(),
                     cViewFileDiffsOptions::Visual, UnknownWord::ReadsAsDefault, nullptr},
            {"mnuOptionsViewFileDiffsOutputFormatVisual", "mnuOptionsViewFileDiffsOutputFormatUnix"}, MenuMirror::Sets),
        Flag("ViewFileDiffIgnoreCase", 4, Get<&cViewFileDiffsOptions::IgnoreCase, &cViewFileDiffsOptions::SetIgnoreCase>(),
             false, "mnuOptionsViewFileDiffsIgnoreCase"),
        Flag("ViewFileDiffIgnoreWhitespace", 5,
             Get<&cViewFileDiffsOptions::IgnoreWhiteSpace, &cViewFileDiffsOptions::SetIgnoreWhiteSpace>(), false,
             "mnuOptionsViewFileDiffsIgnoreWhitespace"),
        Flag("ViewFileDiffPromptForOptions", 6,
             Get<&cViewFileDiffsOptions::ShowOptionsDialog, &cViewFileDiffsOptions::SetShowOptionsDialog>(), true,
             "mnuOptionsViewFileDiffsPromptForOptions"),

        Row(Options, "SyncMethod", 12,
            WordForm{&syncMethods, Get<&CSyncSettings::SyncMethod, &CSyncSettings::SetSyncMethod>(),
                     CSyncSettings::ReplaceOlderCopyOrphans, UnknownWord::ReadsAsDefault, nullptr},
            {std::begin(SyncMethodMenuItems), std::end(SyncMethodMenuItems)}, MenuMirror::MarksOnly),
        // Their defaults are the rules of ReplaceOlderCopyOrphans.
        SyncRule(actions, "LeftFolderNewFilesAction", 0, C),
        SyncRule(actions, "LeftFolderOldFilesAction", 1, R),
        SyncRule(actions, "LeftFolderOrphanFilesAction", 2, C),
        SyncRule(actions, "LeftFolderBinaryFilesAction", 3, L),
        SyncRule(actions, "RightFolderNewFilesAction", 4, C),
        SyncRule(actions, "RightFolderOldFilesAction", 5, R),
        SyncRule(actions, "RightFolderOrphanFilesAction", 6, C),
        SyncRule(actions, "RightFolderBinaryFilesAction", 7, L),

        Flag("ShowCopyConfirmations", 39, Field<&M::ShowCopyConfirmations>(), true, "mnuOptionsConfirmCopy"),
        Flag("ShowMoveConfirmations", 40, Field<&M::ShowMoveConfirmations>(), true, "mnuOptionsConfirmMove"),
        Flag("ShowDeleteConfirmations", 41, Field<&M::ShowDeleteConfirmations>(), true, "mnuOptionsConfirmDelete"),
        Flag("ShowSynchronizeConfirmations", 42, Field<&M::ShowSynchronizeConfirmations>(), true,
             "mnuOptionsConfirmSynchronize"),
        Flag("ShowDateTimeChangeConfirmations", 44, Field<&M::ShowDateTimeChangeConfirmations>(), true,
             "mnuOptionsConfirmDateTimeChange"),
        Flag("AutoCompareAfterFilter", 45, Field<&M::AutoCompareAfterFilter>(), true, "mnuOptionsAutoCompareAfterFilter"),
        Flag("AutoCompareAfterFileOp", 46, Field<&M::AutoCompareAfterFileOp>(), true, "mnuOptionsAutoCompareAfterFileOp"),
        Flag("AutoCompareAfterSync", 47, Field<&M::AutoCompareAfterSync>(), true, "mnuOptionsAutoCompareAfterSync"),
        Flag("AutoCompareAfterDateTimeChange", 48, Field<&M::AutoCompareAfterDateTimeChange>(), true,
             "mnuOptionsAutoCompareAfterDateTimeChange"),
        Flag("AutoCompareAfterCreationOfNewFolder", 49, Field<&M::AutoCompareAfterCreationOfNewFolder>(), true,
             "mnuOptionsAutoCompareAfterCreationOfNewFolder"),
        Flag("AutoCompareAfterCompareMethodChange", 50, Field<&M::AutoCompareAfterCompareMethodChange>(), true,
             "mnuOptionsAutoCompareAfterCompareMethodChange"),

        // The View menu's marks follow the category buttons, which the window keeps.
        Row(Options, "ViewType", 30,
            WordForm{&viewTypes, Get<&CViewSelections::ViewType, &CViewSelections::SetViewType>(), CViewSelections::All,
                     UnknownWord::KeepsValue, nullptr}),
        CustomView("ViewNewerFiles", 31, &CViewSelections::ViewNewerFiles, true),
        CustomView("ViewOlderFiles", 32, &CViewSelections::ViewOlderFiles, true),
        CustomView("ViewIdenticalFiles", 33, &CViewSelections::ViewIdenticalFiles, true),
        CustomView("ViewOrphanFiles", 34, &CViewSelections::ViewOrphanFiles, true),
        CustomView("ViewBinaryFiles", 35, &CViewSelections::ViewBinaryDiffFiles, true),
        CustomView("ViewDifferentSubFolders", 36, &CViewSelections::ViewDifferentFolders, false),
        CustomView("ViewIdenticalSubFolders", 37, &CViewSelections::ViewIdenticalFolders, false),
        CustomView("ViewOrphanSubFolders", 38, &CViewSelections::ViewOrphanFolders, false, true),

        Flag("CompareSubFolders", 1, Get<&CCompare::CompareSubFolders, &CCompare::SetCompareSubFolders>(), true,
             "mnuOptionsCompareSubFolders"),
        Row(Options, "CompareType", 21,
            WordForm{&compareTypes, Get<&CCompare::CompareMethod, &CCompare::SetCompareMethod>(), CCompare::Quick,
                     UnknownWord::ReadsAsDefault, CompareMethodAvailable},
            {std::begin(CompareMethodMenuItems), std::end(CompareMethodMenuItems)},
            MenuMirror::MarksOnly),
        Row(Options, "ChunkSize", 22,
            WholeForm{Get<&CCompare::ChunkSize, &CCompare::SetChunkSize>(), 500000,
                      // A larger stored value is damaged: the content comparison allocates two buffers of it.
                      [](int n) { return n >= ChunkSizeRule::Smallest && n <= ChunkSizeRule::Largest; }}),
        Row(Options, "IncludeFileTypes", 0,
            TextForm{FilterText<&CCompare::IncludeFilters, &CCompare::SetIncludeFilters>(), nullptr}),
        Row(Options, "ExcludeFileTypes", 0,
            TextForm{FilterText<&CCompare::ExcludeFilters, &CCompare::SetExcludeFilters>(), nullptr}),

        Flag("SyncScrolling", 51, Field<&M::SyncScrolling>(), true, "mnuOptionsSyncScrolling"),
        Flag("ShowGraphAfterCompare", 43, Field<&M::ShowGraphAfterCompare>(), true, "mnuOptionsShowGraphAfterCompare"),
        Flag("PromptForSyncMethod", 52, Field<&M::PromptForSyncMethod>(), true, "mnuOptionsPromptForSyncMethod"),
        Flag("ExcludeSystemFiles", 23, Get<&CCompare::ExcludeSystemFiles, &CCompare::SetExcludeSystemFiles>(), false,
             "mnuOptionsExcludeSystemFiles"),
        Flag("ExcludeHiddenFiles", 24, Get<&CCompare::ExcludeHiddenFiles, &CCompare::SetExcludeHiddenFiles>(), false,
             "mnuOptionsExcludeHiddenFiles"),
        Flag("ExcludeSystemFolders", 25, Get<&CCompare::ExcludeSystemFolders, &CCompare::SetExcludeSystemFolders>(),
             false, "mnuOptionsExcludeSystemFolders"),
        Flag("ExcludeHiddenFolders", 26, Get<&CCompare::ExcludeHiddenFolders, &CCompare::SetExcludeHiddenFolders>(),
             false, "mnuOptionsExcludeHiddenFolders"),
        Flag("RemindAboutFATNTFSIssue", 27,
             Get<&CCompare::RemindAboutFATNTFSIssue, &CCompare::SetRemindAboutFATNTFSIssue>(), true,
             "mnuOptionsRemindAboutFATNTFSIssue"),
        Flag("Ignore2SecDiff", 28,
             Get<&CCompare::IgnoreFAT_NTFS_TwoSecDiff, &CCompare::SetIgnoreFAT_NTFS_TwoSecDiff>(), true,
             "mnuOptionsIgnore2Sec"),
        Flag("IgnoreDaylightSavings", 29,
             Get<&CCompare::IgnoreFAT_NTFS_DaylightSavings, &CCompare::SetIgnoreFAT_NTFS_DaylightSavings>(), false,
             "mnuOptionsIgnoreDaylightSavings"),

        // The toolbar items show the toolbar the window has, which is this style once loaded.
        Row(Options, "CoolbarStyle", 53,
            WordForm{&toolbarStyles, Field<&M::CoolbarStyle>(), M::Coolbar, UnknownWord::ReadsAsDefault, nullptr},
            {"mnuOptionsToolbarHide", "mnuOptionsToolbarShowCoolbar", "mnuOptionsToolbarShowToolbar"},
            MenuMirror::StoresOnly),
        Row(Options, "FontName", 54, TextForm{Field<&M::FontName>(), StartFontName}),
        Row(Options, "FontSize", 55, FontSizeForm{&M::FontSize}),
        Flag("GradientFillTitlebar", 56, Field<&M::GradientFillTitlebar>(), true),
        Flag("AutoCompleteFolderPath", 57, Field<&M::AutoCompleteFolderPath>(), true, "mnuOptionsAutoCompleteFolderPath"),
        Flag("KeepForUndo", 58, Field<&M::KeepForUndo>(), true, "mnuOptionsKeepForUndo"),
        Row(Options, "DeletionGuardShare", 59,
            WholeForm{Field<&M::DeletionGuardShare>(), M::DefaultDeletionGuardShare, M::DeletionGuardShareIsValid}),
        Row(Options, "DeletionGuardFloor", 60,
            WholeForm{Field<&M::DeletionGuardFloor>(), M::DefaultDeletionGuardFloor, M::DeletionGuardFloorIsValid}),
        // Read after the method, which sets it for a predefined one; only Custom takes the stored value.
        Flag("FollowDeletions", 61, Get<&CSyncSettings::FollowDeletions, &CSyncSettings::LoadFollowDeletions>(), true),

        // The state first: it decides how the size is read.
        Row(FormDimensions, "WindowState", 5, WindowStateForm{&M::State}),
        Row(FormDimensions, "Height", 1, WindowSizeForm{&M::HeightTwips, M::DefaultHeightTwips}),
        Row(FormDimensions, "Width", 2, WindowSizeForm{&M::WidthTwips, M::DefaultWidthTwips}),
        Row(FormDimensions, "Top", 4, WindowEdgeForm{&M::TopTwips, &M::HeightTwips, true}),
        Row(FormDimensions, "Left", 3, WindowEdgeForm{&M::LeftTwips, &M::WidthTwips, false}),

        Column("SourceColumnOne", 1, Width<&M::SourceColumnWidths, 0>(), M::DefaultColumnWidths[0]),
        Column("SourceColumnTwo", 2, Width<&M::SourceColumnWidths, 1>(), M::DefaultColumnWidths[1]),
        Column("SourceColumnThree", 3, Width<&M::SourceColumnWidths, 2>(), M::DefaultColumnWidths[2]),
        Column("TargetColumnOne", 4, Width<&M::TargetColumnWidths, 0>(), M::DefaultColumnWidths[0]),
        Column("TargetColumnTwo", 5, Width<&M::TargetColumnWidths, 1>(), M::DefaultColumnWidths[1]),
        Column("TargetColumnThree", 6, Width<&M::TargetColumnWidths, 2>(), M::DefaultColumnWidths[2]),
    };
    return rows;
}

const std::vector<const OptionRow*>& RowsInWritingOrder()
{
    static const std::vector<const OptionRow*> written = SortForWriting(OptionRows());
    return written;
}

SettingOwner OwnerOf(const OptionRow& row)
{
    return std::visit(
        [](const auto& form) {
            using Form = std::decay_t<decltype(form)>;
            if constexpr (std::is_same_v<Form, SyncRuleForm>)
                return SettingOwner::Sync;
            else if constexpr (std::is_same_v<Form, CustomViewForm>)
                return SettingOwner::Views;
            else if constexpr (requires { form.value.owner; })
                return form.value.owner;
            else
                return SettingOwner::Main; // the window's font, state and place
        },
        row.form);
}

int MenuValue(const OptionRow& row, const SettingsOwners& owners)
{
    if (const auto* flag = std::get_if<FlagForm>(&row.form))
        return flag->value.get(owners) ? 1 : 0;
    if (const auto* word = std::get_if<WordForm>(&row.form))
        return word->value.get(owners);
    return 0;
}

void SetMenuValue(const OptionRow& row, const SettingsOwners& owners, int value)
{
    if (const auto* flag = std::get_if<FlagForm>(&row.form))
        flag->value.set(owners, value != 0);
    else if (const auto* word = std::get_if<WordForm>(&row.form))
        word->value.set(owners, value);
}
