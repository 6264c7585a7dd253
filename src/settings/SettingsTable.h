#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class CCompare;
class CSoundSettings;
class CSyncSettings;
class CViewSelections;
class cViewFileDiffsOptions;
class UserDialogs;
struct MainOptions;
struct OptionRow;

// The objects whose state the settings file keeps.
struct SettingsOwners
{
    CCompare& compare;
    CSyncSettings& sync;
    CViewSelections& views;
    CSoundSettings& sounds;
    cViewFileDiffsOptions& diffOptions;
    MainOptions& main;
};

// Where the settings file lives: "parvex.ini" in the application folder; dialogs shows the settings
// file's own messages. The default completion sound is in assetFolder (the application folder when empty).
struct SettingsFile
{
    QString appFolder;
    UserDialogs& dialogs;
    QString assetFolder = {};
};

// What loading needs from the windows: the screen, to centre the main window and check a stored place
// against it; the folder boxes' font at start, the default of FontName and FontSize; whether SHA-1 can be
// used; and the refresh of the category buttons, which runs right after the view keys are read.
struct SettingsEnvironment
{
    int screenWidthTwips = 0;
    int screenHeightTwips = 0;
    QString startFontName;
    double startFontSize = 8;
    bool shaAvailable = true;
    std::function<void()> viewSelectionsLoaded;
};

// Reads every key of the sections "Options", "Form Dimensions" and "ColumnWidths" of the settings file
// into the owners, row by row of the option table (settings/OptionTable.h), the file read once; wanted,
// when given, picks the rows to read (a front end reads only the keys it uses). A missing file, section
// or key gives the key's default.
//
// A stored value that cannot be used (a number where there is none, one outside its range, a word outside
// its list) gives the default too, and the rest keeps loading; so does a file that cannot be read at all.
// Each such problem is answered as one line naming the file, the section and the key, for the caller to
// show (ShowSettingsProblems) or print.
[[nodiscard]] QStringList LoadSettingsFromIni(const SettingsFile& file, const SettingsOwners& owners,
                                              const SettingsEnvironment& env,
                                              const std::function<bool(const OptionRow&)>& wanted = {});

// Shows the problems of a load, if any, in one message.
void ShowSettingsProblems(const QStringList& problems, UserDialogs& dialogs);

// The texts of those problems.
namespace SettingsProblemText {
QString Title();
QString Unusable(const QString& file, const OptionRow& row, const QString& stored);
QString Unreadable(const QString& file, const QString& why);
} // namespace SettingsProblemText

// Writes every key of those three sections except the two filter keys, which are written whenever the
// filters change, in one replacement of the file. Failed writes are silent and leave the old file whole;
// a file that could not be read is never replaced.
void SaveSettingsToIni(const SettingsFile& file, const SettingsOwners& owners);

// The text of the settings file as SaveSettingsToIni leaves it: the file's lines with every key of those
// three sections set from the owners. Throws a Failure when the file exists but cannot be read.
QByteArray SettingsFileText(const SettingsFile& file, const SettingsOwners& owners);

// Deletes the settings file, then runs beforeLoad (the main window refills its folder boxes there) and
// gives every setting of the option table its default, as loading without a file does. Throws before
// anything changes when the file exists but cannot be deleted.
void RestoreDefaultOptions(const SettingsFile& file, const SettingsOwners& owners, const SettingsEnvironment& env,
                           const std::function<void()>& beforeLoad = {});

// The text a row of the option table is written as; none when the row writes nothing for the values in
// memory (the place of a window that is not normal).
std::optional<QString> StoredText(const OptionRow& row, const SettingsOwners& owners);

// The textual forms of the settings file.
namespace SettingsText {
QString Flag(bool value);
// Whole numbers are written left-padded with zeros to ten characters.
QString Padded(qint64 value);
// Any text that reads as a number; none otherwise.
std::optional<double> Number(const QString& text);
// A number rounded half to even into an int, as a whole-number conversion does; none when out of range.
std::optional<int> WholeNumber(const QString& text);

// A font size as stored: no padding, a decimal point only where the size has a fraction.
QString FontSizeText(double size);
} // namespace SettingsText
