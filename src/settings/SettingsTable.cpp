#include "settings/SettingsTable.h"

#include "base/Failure.h"
#include "compare/CCompare.h"
#include "diff/cViewFileDiffsOptions.h"
#include "model/PathUtils.h"
#include "platform/CIniFile.h"
#include "settings/CSoundSettings.h"
#include "settings/MainOptions.h"
#include "sync/CSyncSettings.h"
#include "views/CViewSelections.h"

#include <QFile>
#include <QLocale>
#include <cerrno>
#include <cmath>
#include <limits>
#include <unistd.h>

namespace {

const QString Options = QStringLiteral("Options");
const QString FormDimensions = QStringLiteral("Form Dimensions");
const QString ColumnWidths = QStringLiteral("ColumnWidths");
const QString True = QStringLiteral("True");
const QString False = QStringLiteral("False");

constexpr int DefaultChunkSize = 500000;
// The largest chunk the Options window accepts; a larger stored value is treated as damaged, since
// the content comparison allocates two buffers of this size.
constexpr int MaxChunkSize = 10000000;
constexpr double MaxFontSize = 50;
constexpr double OversizedFontReplacement = 8;

// Conversion failures of stored numbers, numbered as the language runtime numbers them.
constexpr int TypeMismatch = 13;
constexpr int Overflow = 6;

const QStringList SyncMethodWords = {
    QStringLiteral("MakeRightSameAsLeft"), QStringLiteral("MakeLeftSameAsRight"),
    QStringLiteral("ReplaceOlderCopyOrphans"), QStringLiteral("Custom"),
    QStringLiteral("AddOrphansToLeft"), QStringLiteral("AddOrphansToRight"),
    QStringLiteral("ReplaceOlderOnLeft"), QStringLiteral("ReplaceOlderOnRight"),
};
const QStringList ActionWords = {QStringLiteral("Leave"), QStringLiteral("Copy"), QStringLiteral("Replace"),
                                 QStringLiteral("Delete")};
const QStringList CompareTypeWords = {QStringLiteral("Quick"), QStringLiteral("Thorough"), QStringLiteral("CRC"),
                                      QStringLiteral("SHA")};
const QStringList ViewTypeWords = {QStringLiteral("All"), QStringLiteral("Different"), QStringLiteral("Similar"),
                                   QStringLiteral("Custom")};
const QStringList ToolbarStyleWords = {QStringLiteral("Hidden"), QStringLiteral("Coolbar"),
                                       QStringLiteral("Toolbar")};

// The eight action keys in their stored order, left then right, new, old, orphan, binary.
const QStringList ActionKeys = {
    QStringLiteral("LeftFolderNewFilesAction"),    QStringLiteral("LeftFolderOldFilesAction"),
    QStringLiteral("LeftFolderOrphanFilesAction"), QStringLiteral("LeftFolderBinaryFilesAction"),
    QStringLiteral("RightFolderNewFilesAction"),   QStringLiteral("RightFolderOldFilesAction"),
    QStringLiteral("RightFolderOrphanFilesAction"), QStringLiteral("RightFolderBinaryFilesAction"),
};

const QStringList SourceColumnKeys = {QStringLiteral("SourceColumnOne"), QStringLiteral("SourceColumnTwo"),
                                      QStringLiteral("SourceColumnThree")};
const QStringList TargetColumnKeys = {QStringLiteral("TargetColumnOne"), QStringLiteral("TargetColumnTwo"),
                                      QStringLiteral("TargetColumnThree")};

int IndexOfWord(const QStringList& words, const QString& word)
{
    // The words are compared exactly, as they are written.
    return static_cast<int>(words.indexOf(word));
}

QString WordAt(const QStringList& words, int index, int fallback)
{
    return index >= 0 && index < words.size() ? words.at(index) : words.at(fallback);
}

// Reads the keys of one section through a CIniFile.
class Reader
{
public:
    Reader(CIniFile& ini, const QString& section) : m_ini(ini), m_section(section) {}

    QString Text(const QString& key, const QString& defaultValue) { return m_ini.Get(m_section, key, defaultValue); }
    bool Flag(const QString& key, bool defaultValue)
    {
        return Text(key, SettingsText::Flag(defaultValue)) == True;
    }
    // A whole number; fallback when the text is no number or fails the check.
    int Whole(const QString& key, int defaultValue, const std::function<bool(int)>& valid = {})
    {
        const std::optional<int> n = SettingsText::WholeNumber(Text(key, QString::number(defaultValue)));
        if (!n || (valid && !valid(*n)))
            return defaultValue;
        return *n;
    }
    // A whole number converted without a check: text that is no number stops the loading.
    int WholeOrFail(const QString& key, int defaultValue)
    {
        const QString text = Text(key, QString::number(defaultValue));
        const std::optional<double> n = SettingsText::Number(text);
        if (!n)
            throw Failure(TypeMismatch, QStringLiteral("Type mismatch"));
        const std::optional<int> whole = SettingsText::WholeNumber(text);
        if (!whole)
            throw Failure(Overflow, QStringLiteral("Overflow"));
        return *whole;
    }

private:
    CIniFile& m_ini;
    QString m_section;
};

// Writes the keys of one section through a CIniFile.
class Writer
{
public:
    Writer(CIniFile& ini, const QString& section) : m_ini(ini), m_section(section) {}

    void Text(const QString& key, const QString& value) { m_ini.Set(m_section, key, value); }
    void Flag(const QString& key, bool value) { Text(key, SettingsText::Flag(value)); }
    void Whole(const QString& key, qint64 value) { Text(key, SettingsText::Padded(value)); }

private:
    CIniFile& m_ini;
    QString m_section;
};

QString SoundOrNone(const QString& file) { return file.isEmpty() ? CSoundSettings::NoSound() : file; }

void LoadOptions(const SettingsFile& file, CIniFile& ini, const SettingsOwners& o, const SettingsEnvironment& env)
{
    Reader r(ini, Options);

    o.main.NumSyncLogEntries = r.Whole(QStringLiteral("NumSyncLogEntries"), MainOptions::DefaultNumSyncLogEntries,
                                       [](int n) { return n >= 1; });

    const bool soundOn = r.Flag(QStringLiteral("SoundOn"), true);
    o.sounds.SetSoundOn(soundOn && o.sounds.DoesThisPCSupportWave());
    const QString defaultDone = AddTrailingBackslash(file.appFolder) + CSoundSettings::DefaultSoundFileName();
    o.sounds.SetStartSound(SoundOrNone(r.Text(QStringLiteral("StartSound"), CSoundSettings::NoSound())));
    o.sounds.SetExitSound(SoundOrNone(r.Text(QStringLiteral("ExitSound"), CSoundSettings::NoSound())));
    o.sounds.SetCompareCompleteSound(SoundOrNone(r.Text(QStringLiteral("ComparisonCompleteSound"), defaultDone)));
    o.sounds.SetSyncCompleteSound(SoundOrNone(r.Text(QStringLiteral("SyncCompleteSound"), defaultDone)));

    const QString format = r.Text(QStringLiteral("ViewFileDiffFormat"), QStringLiteral("Visual"));
    if (format == QLatin1String("Visual"))
        o.diffOptions.SetFormat(cViewFileDiffsOptions::Visual);
    else if (format == QLatin1String("Unix"))
        o.diffOptions.SetFormat(cViewFileDiffsOptions::Unix);
    else
        throw Failure(Failure::InvalidProcedureCall,
                      QStringLiteral("Invalid View File Diff Format returned from INI file."));
    o.diffOptions.SetIgnoreCase(r.Flag(QStringLiteral("ViewFileDiffIgnoreCase"), false));
    o.diffOptions.SetIgnoreWhiteSpace(r.Flag(QStringLiteral("ViewFileDiffIgnoreWhitespace"), false));
    o.diffOptions.SetShowOptionsDialog(r.Flag(QStringLiteral("ViewFileDiffPromptForOptions"), true));

    const int method = SettingsText::SyncMethodFromWord(
        r.Text(QStringLiteral("SyncMethod"), QStringLiteral("ReplaceOlderCopyOrphans")),
        CSyncSettings::ReplaceOlderCopyOrphans);
    o.sync.SetSyncMethod(method);
    if (method == CSyncSettings::Custom) {
        // Defaults of the eight keys: the rules of ReplaceOlderCopyOrphans.
        static const CSyncSettings::Rules defaults = {CSyncSettings::Copy, CSyncSettings::Replace,
                                                      CSyncSettings::Copy, CSyncSettings::Leave,
                                                      CSyncSettings::Copy, CSyncSettings::Replace,
                                                      CSyncSettings::Copy, CSyncSettings::Leave};
        CSyncSettings::Rules rules{};
        for (int i = 0; i < 8; ++i) {
            const int code = IndexOfWord(ActionWords, r.Text(ActionKeys.at(i), ActionWords.at(defaults[i])));
            const bool orphan = i % 4 == CSyncSettings::Orphan;
            // Orphans can only be left, copied or deleted; any other word leaves them, as it does an
            // unknown word for the other categories.
            if (code < 0 || (orphan && code == CSyncSettings::Replace))
                rules[i] = CSyncSettings::Leave;
            else
                rules[i] = code;
        }
        o.sync.SetAllRules(rules);
    }

    o.main.ShowCopyConfirmations = r.Flag(QStringLiteral("ShowCopyConfirmations"), true);
    o.main.ShowMoveConfirmations = r.Flag(QStringLiteral("ShowMoveConfirmations"), true);
    o.main.ShowDeleteConfirmations = r.Flag(QStringLiteral("ShowDeleteConfirmations"), true);
    o.main.ShowSynchronizeConfirmations = r.Flag(QStringLiteral("ShowSynchronizeConfirmations"), true);
    o.main.ShowDateTimeChangeConfirmations = r.Flag(QStringLiteral("ShowDateTimeChangeConfirmations"), true);
    o.main.AutoCompareAfterFilter = r.Flag(QStringLiteral("AutoCompareAfterFilter"), true);
    o.main.AutoCompareAfterFileOp = r.Flag(QStringLiteral("AutoCompareAfterFileOp"), true);
    o.main.AutoCompareAfterSync = r.Flag(QStringLiteral("AutoCompareAfterSync"), true);
    o.main.AutoCompareAfterDateTimeChange = r.Flag(QStringLiteral("AutoCompareAfterDateTimeChange"), true);
    o.main.AutoCompareAfterCreationOfNewFolder = r.Flag(QStringLiteral("AutoCompareAfterCreationOfNewFolder"), true);
    o.main.AutoCompareAfterCompareMethodChange = r.Flag(QStringLiteral("AutoCompareAfterCompareMethodChange"), true);

    const int viewType = IndexOfWord(ViewTypeWords, r.Text(QStringLiteral("ViewType"), QStringLiteral("All")));
    if (viewType >= 0)
        o.views.SetViewType(viewType);
    if (o.views.ViewType() == CViewSelections::Custom) {
        // File categories: "True" sets, "False" clears, anything else leaves the flag.
        const auto fileFlag = [&](const QString& key, bool& flag) {
            const QString text = r.Text(key, True);
            if (text == True)
                flag = true;
            else if (text == False)
                flag = false;
        };
        fileFlag(QStringLiteral("ViewNewerFiles"), o.views.ViewNewerFiles);
        fileFlag(QStringLiteral("ViewOlderFiles"), o.views.ViewOlderFiles);
        fileFlag(QStringLiteral("ViewIdenticalFiles"), o.views.ViewIdenticalFiles);
        fileFlag(QStringLiteral("ViewOrphanFiles"), o.views.ViewOrphanFiles);
        fileFlag(QStringLiteral("ViewBinaryFiles"), o.views.ViewBinaryDiffFiles);
        o.views.ViewDifferentFolders = r.Flag(QStringLiteral("ViewDifferentSubFolders"), true);
        o.views.ViewIdenticalFolders = r.Flag(QStringLiteral("ViewIdenticalSubFolders"), true);
        o.views.ViewOrphanFolders = r.Flag(QStringLiteral("ViewOrphanSubFolders"), true);
    }
    if (env.viewSelectionsLoaded)
        env.viewSelectionsLoaded();

    o.compare.SetCompareSubFolders(r.Flag(QStringLiteral("CompareSubFolders"), true));
    int compareType = IndexOfWord(CompareTypeWords, r.Text(QStringLiteral("CompareType"), QStringLiteral("Quick")));
    if (compareType < 0)
        compareType = CCompare::Quick;
    if (compareType == CCompare::SHA && !env.shaAvailable)
        compareType = CCompare::ThoroughCRC;
    o.compare.SetCompareMethod(compareType);
    o.compare.SetChunkSize(r.Whole(QStringLiteral("ChunkSize"), DefaultChunkSize,
                                   [](int n) { return n > 0 && n <= MaxChunkSize; }));
    o.compare.SetIncludeFilters(r.Text(QStringLiteral("IncludeFileTypes"), QString()));
    o.compare.SetExcludeFilters(r.Text(QStringLiteral("ExcludeFileTypes"), QString()));

    o.main.SyncScrolling = r.Flag(QStringLiteral("SyncScrolling"), true);
    o.main.ShowGraphAfterCompare = r.Flag(QStringLiteral("ShowGraphAfterCompare"), true);
    o.main.PromptForSyncMethod = r.Flag(QStringLiteral("PromptForSyncMethod"), true);
    o.compare.SetExcludeSystemFiles(r.Flag(QStringLiteral("ExcludeSystemFiles"), false));
    o.compare.SetExcludeHiddenFiles(r.Flag(QStringLiteral("ExcludeHiddenFiles"), false));
    o.compare.SetExcludeSystemFolders(r.Flag(QStringLiteral("ExcludeSystemFolders"), false));
    o.compare.SetExcludeHiddenFolders(r.Flag(QStringLiteral("ExcludeHiddenFolders"), false));
    o.compare.SetRemindAboutFATNTFSIssue(r.Flag(QStringLiteral("RemindAboutFATNTFSIssue"), true));
    o.compare.SetIgnoreFAT_NTFS_TwoSecDiff(r.Flag(QStringLiteral("Ignore2SecDiff"), true));
    o.compare.SetIgnoreFAT_NTFS_DaylightSavings(r.Flag(QStringLiteral("IgnoreDaylightSavings"), false));

    const int style = IndexOfWord(ToolbarStyleWords, r.Text(QStringLiteral("CoolbarStyle"), QStringLiteral("Coolbar")));
    o.main.CoolbarStyle = style >= 0 ? style : MainOptions::Coolbar;

    o.main.FontName = r.Text(QStringLiteral("FontName"), env.startFontName);
    const std::optional<double> size = SettingsText::Number(
        r.Text(QStringLiteral("FontSize"), SettingsText::FontSizeText(env.startFontSize)));
    if (!size || *size <= 0)
        o.main.FontSize = env.startFontSize;
    else
        o.main.FontSize = *size > MaxFontSize ? OversizedFontReplacement : *size;

    o.main.GradientFillTitlebar = r.Flag(QStringLiteral("GradientFillTitlebar"), true);
    o.main.AutoCompleteFolderPath = r.Flag(QStringLiteral("AutoCompleteFolderPath"), true);
}

void LoadFormDimensions(CIniFile& ini, MainOptions& main, const SettingsEnvironment& env)
{
    Reader r(ini, FormDimensions);
    const bool maximized = r.Text(QStringLiteral("WindowState"), QStringLiteral("Normal")) == QLatin1String("Maximized");
    if (maximized) {
        // The window opens maximised; the stored normal place is still the one to return to, so it is
        // read without letting a damaged value stop the loading.
        main.State = MainOptions::WindowState::Maximized;
        main.HeightTwips = r.Whole(QStringLiteral("Height"), MainOptions::DefaultHeightTwips);
        main.WidthTwips = r.Whole(QStringLiteral("Width"), MainOptions::DefaultWidthTwips);
    } else {
        main.State = MainOptions::WindowState::Normal;
        main.HeightTwips = r.WholeOrFail(QStringLiteral("Height"), MainOptions::DefaultHeightTwips);
        main.WidthTwips = r.WholeOrFail(QStringLiteral("Width"), MainOptions::DefaultWidthTwips);
    }
    const int centredTop = static_cast<int>(std::nearbyint((env.screenHeightTwips - main.HeightTwips) / 2.0));
    const int centredLeft = static_cast<int>(std::nearbyint((env.screenWidthTwips - main.WidthTwips) / 2.0));
    main.TopTwips = r.Whole(QStringLiteral("Top"), centredTop, [&](int n) { return n <= env.screenHeightTwips; });
    main.LeftTwips = r.Whole(QStringLiteral("Left"), centredLeft, [&](int n) { return n <= env.screenWidthTwips; });
}

void LoadColumnWidths(CIniFile& ini, MainOptions& main)
{
    Reader r(ini, ColumnWidths);
    for (int i = 0; i < 3; ++i)
        main.SourceColumnWidths[i] = r.Whole(SourceColumnKeys.at(i), MainOptions::DefaultColumnWidths[i]);
    for (int i = 0; i < 3; ++i)
        main.TargetColumnWidths[i] = r.Whole(TargetColumnKeys.at(i), MainOptions::DefaultColumnWidths[i]);
}

void SaveOptions(CIniFile& ini, const SettingsOwners& o)
{
    Writer w(ini, Options);
    w.Flag(QStringLiteral("CompareSubFolders"), o.compare.CompareSubFolders());
    w.Whole(QStringLiteral("NumSyncLogEntries"), o.main.NumSyncLogEntries);
    w.Text(QStringLiteral("ViewFileDiffFormat"), o.diffOptions.Format() == cViewFileDiffsOptions::Unix
                                                     ? QStringLiteral("Unix")
                                                     : QStringLiteral("Visual"));
    w.Flag(QStringLiteral("ViewFileDiffIgnoreCase"), o.diffOptions.IgnoreCase());
    w.Flag(QStringLiteral("ViewFileDiffIgnoreWhitespace"), o.diffOptions.IgnoreWhiteSpace());
    w.Flag(QStringLiteral("ViewFileDiffPromptForOptions"), o.diffOptions.ShowOptionsDialog());
    w.Flag(QStringLiteral("SoundOn"), o.sounds.SoundOn());
    w.Text(QStringLiteral("StartSound"), o.sounds.StartSound());
    w.Text(QStringLiteral("ExitSound"), o.sounds.ExitSound());
    w.Text(QStringLiteral("ComparisonCompleteSound"), o.sounds.CompareCompleteSound());
    w.Text(QStringLiteral("SyncCompleteSound"), o.sounds.SyncCompleteSound());
    w.Text(QStringLiteral("SyncMethod"), SettingsText::SyncMethodWord(o.sync.SyncMethod()));
    for (int i = 0; i < 8; ++i)
        w.Text(ActionKeys.at(i), SettingsText::ActionWord(o.sync.AllRules()[i]));
    w.Text(QStringLiteral("CompareType"), SettingsText::CompareTypeWord(o.compare.CompareMethod()));
    w.Whole(QStringLiteral("ChunkSize"), o.compare.ChunkSize());
    w.Flag(QStringLiteral("ExcludeSystemFiles"), o.compare.ExcludeSystemFiles());
    w.Flag(QStringLiteral("ExcludeHiddenFiles"), o.compare.ExcludeHiddenFiles());
    w.Flag(QStringLiteral("ExcludeSystemFolders"), o.compare.ExcludeSystemFolders());
    w.Flag(QStringLiteral("ExcludeHiddenFolders"), o.compare.ExcludeHiddenFolders());
    w.Flag(QStringLiteral("RemindAboutFATNTFSIssue"), o.compare.RemindAboutFATNTFSIssue());
    w.Flag(QStringLiteral("Ignore2SecDiff"), o.compare.IgnoreFAT_NTFS_TwoSecDiff());
    w.Flag(QStringLiteral("IgnoreDaylightSavings"), o.compare.IgnoreFAT_NTFS_DaylightSavings());
    w.Text(QStringLiteral("ViewType"), SettingsText::ViewTypeWord(o.views.ViewType()));
    w.Flag(QStringLiteral("ViewNewerFiles"), o.views.ViewNewerFiles);
    w.Flag(QStringLiteral("ViewOlderFiles"), o.views.ViewOlderFiles);
    w.Flag(QStringLiteral("ViewIdenticalFiles"), o.views.ViewIdenticalFiles);
    w.Flag(QStringLiteral("ViewOrphanFiles"), o.views.ViewOrphanFiles);
    w.Flag(QStringLiteral("ViewBinaryFiles"), o.views.ViewBinaryDiffFiles);
    w.Flag(QStringLiteral("ViewDifferentSubFolders"), o.views.ViewDifferentFolders);
    w.Flag(QStringLiteral("ViewIdenticalSubFolders"), o.views.ViewIdenticalFolders);
    w.Flag(QStringLiteral("ViewOrphanSubFolders"), o.views.ViewOrphanFolders);
    w.Flag(QStringLiteral("ShowCopyConfirmations"), o.main.ShowCopyConfirmations);
    w.Flag(QStringLiteral("ShowMoveConfirmations"), o.main.ShowMoveConfirmations);
    w.Flag(QStringLiteral("ShowDeleteConfirmations"), o.main.ShowDeleteConfirmations);
    w.Flag(QStringLiteral("ShowSynchronizeConfirmations"), o.main.ShowSynchronizeConfirmations);
    w.Flag(QStringLiteral("ShowGraphAfterCompare"), o.main.ShowGraphAfterCompare);
    w.Flag(QStringLiteral("ShowDateTimeChangeConfirmations"), o.main.ShowDateTimeChangeConfirmations);
    w.Flag(QStringLiteral("AutoCompareAfterFilter"), o.main.AutoCompareAfterFilter);
    w.Flag(QStringLiteral("AutoCompareAfterFileOp"), o.main.AutoCompareAfterFileOp);
    w.Flag(QStringLiteral("AutoCompareAfterSync"), o.main.AutoCompareAfterSync);
    w.Flag(QStringLiteral("AutoCompareAfterDateTimeChange"), o.main.AutoCompareAfterDateTimeChange);
    w.Flag(QStringLiteral("AutoCompareAfterCreationOfNewFolder"), o.main.AutoCompareAfterCreationOfNewFolder);
    w.Flag(QStringLiteral("AutoCompareAfterCompareMethodChange"), o.main.AutoCompareAfterCompareMethodChange);
    w.Flag(QStringLiteral("SyncScrolling"), o.main.SyncScrolling);
    w.Flag(QStringLiteral("PromptForSyncMethod"), o.main.PromptForSyncMethod);
    w.Text(QStringLiteral("CoolbarStyle"), SettingsText::ToolbarStyleWord(o.main.CoolbarStyle));
    w.Text(QStringLiteral("FontName"), o.main.FontName);
    w.Text(QStringLiteral("FontSize"), SettingsText::FontSizeText(o.main.FontSize));
    w.Flag(QStringLiteral("GradientFillTitlebar"), o.main.GradientFillTitlebar);
    w.Flag(QStringLiteral("AutoCompleteFolderPath"), o.main.AutoCompleteFolderPath);
}

void SaveFormDimensions(CIniFile& ini, const MainOptions& main)
{
    Writer w(ini, FormDimensions);
    switch (main.State) {
    case MainOptions::WindowState::Maximized:
        w.Text(QStringLiteral("WindowState"), QStringLiteral("Maximized"));
        return;
    case MainOptions::WindowState::Minimized:
        // The last normal place stays as stored.
        w.Text(QStringLiteral("WindowState"), QStringLiteral("Normal"));
        return;
    case MainOptions::WindowState::Normal:
        w.Whole(QStringLiteral("Height"), main.HeightTwips);
        w.Whole(QStringLiteral("Width"), main.WidthTwips);
        w.Whole(QStringLiteral("Left"), qMax(0, main.LeftTwips));
        w.Whole(QStringLiteral("Top"), qMax(0, main.TopTwips));
        w.Text(QStringLiteral("WindowState"), QStringLiteral("Normal"));
        return;
    }
}

void SaveColumnWidths(CIniFile& ini, const MainOptions& main)
{
    Writer w(ini, ColumnWidths);
    for (int i = 0; i < 3; ++i)
        w.Whole(SourceColumnKeys.at(i), main.SourceColumnWidths[i]);
    for (int i = 0; i < 3; ++i)
        w.Whole(TargetColumnKeys.at(i), main.TargetColumnWidths[i]);
}

} // namespace

void LoadSettingsFromIni(const SettingsFile& file, const SettingsOwners& owners, const SettingsEnvironment& env)
{
    CIniFile ini(file.appFolder, file.dialogs);
    ini.SetName(CIniFile::SettingsFileName());
    LoadOptions(file, ini, owners, env);
    LoadFormDimensions(ini, owners.main, env);
    LoadColumnWidths(ini, owners.main);
}

void SaveSettingsToIni(const SettingsFile& file, const SettingsOwners& owners)
{
    CIniFile ini(file.appFolder, file.dialogs);
    ini.SetName(CIniFile::SettingsFileName());
    SaveOptions(ini, owners);
    SaveFormDimensions(ini, owners.main);
    SaveColumnWidths(ini, owners.main);
}

void RestoreDefaultOptions(const SettingsFile& settings, const SettingsOwners& owners, const SettingsEnvironment& env,
                           const std::function<void()>& beforeLoad)
{
    const QString file = AddTrailingBackslash(settings.appFolder) + CIniFile::SettingsFileName();
    // A file that stays (a read-only application folder) would load the old settings again under the
    // name of the defaults: report it instead.
    if (::unlink(QFile::encodeName(file).constData()) != 0 && errno != ENOENT)
        throw Failure::FromErrno(errno, true);
    if (beforeLoad)
        beforeLoad();
    LoadSettingsFromIni(settings, owners, env);
}

namespace SettingsText {

QString Flag(bool value) { return value ? True : False; }

QString Padded(qint64 value)
{
    if (value < 0)
        return QLatin1Char('-') + QString::number(-value).rightJustified(10, QLatin1Char('0'));
    return QString::number(value).rightJustified(10, QLatin1Char('0'));
}

std::optional<double> Number(const QString& text)
{
    bool ok = false;
    const double n = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(n))
        return std::nullopt;
    return n;
}

std::optional<int> WholeNumber(const QString& text)
{
    const std::optional<double> n = Number(text);
    if (!n)
        return std::nullopt;
    const double rounded = std::nearbyint(*n); // the default rounding mode rounds half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(rounded);
}

QString SyncMethodWord(int method) { return WordAt(SyncMethodWords, method, CSyncSettings::ReplaceOlderCopyOrphans); }

int SyncMethodFromWord(const QString& word, int fallback)
{
    const int method = IndexOfWord(SyncMethodWords, word);
    return method >= 0 ? method : fallback;
}

QString ActionWord(int action) { return WordAt(ActionWords, action, CSyncSettings::Leave); }
QString CompareTypeWord(int method) { return WordAt(CompareTypeWords, method, CCompare::Quick); }
QString ViewTypeWord(int viewType) { return WordAt(ViewTypeWords, viewType, CViewSelections::All); }
QString ToolbarStyleWord(int style) { return WordAt(ToolbarStyleWords, style, MainOptions::Coolbar); }

QString FontSizeText(double size)
{
    QString text = QLocale::c().toString(size, 'g', 6);
    // A one-character value reads back as the default, so a one-digit size keeps a leading zero.
    if (text.size() == 1)
        text.prepend(QLatin1Char('0'));
    return text;
}

} // namespace SettingsText
