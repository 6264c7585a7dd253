#pragma once

#include "settings/MainOptions.h"
#include "settings/SettingsTable.h"
#include "sync/CSyncSettings.h"

#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

class CViewSelections;

// Every key of the settings file that the program reads at start and writes at exit, described once: its
// section and key, the form it is stored in (with its default), the property of the owners it fills, and
// the main window's menu items that mirror it. Loading reads the rows in table order; saving writes the
// rows of each section in the order of their writePlace.

// The owners of SettingsOwners, so that a front end can read the keys of one owner alone.
enum class SettingOwner { Compare, Sync, Views, Sounds, DiffOptions, Main };

// A property of one of the owners, read by get and written by set.
template <typename T>
struct OwnerProperty
{
    T (*get)(const SettingsOwners&) = nullptr;
    void (*set)(const SettingsOwners&, const T&) = nullptr;
    SettingOwner owner = SettingOwner::Main;
};

// "True" or "False"; any other stored text reads as False.
struct FlagForm
{
    OwnerProperty<bool> value;
    bool byDefault = false;
};

// A whole number, written left-padded with zeros to ten digits. Text that is no number, or a number that
// fails the check (none: every number passes), reads as the default.
struct WholeForm
{
    OwnerProperty<int> value;
    int byDefault = 0;
    bool (*acceptable)(int) = nullptr;
};

// Text kept as it is. The default comes from the windows where there is a function for it, else it is empty.
struct TextForm
{
    OwnerProperty<QString> value;
    QString (*byDefault)(const SettingsEnvironment&) = nullptr;
};

// What reading a word outside the list does.
enum class UnknownWord {
    ReadsAsDefault, // and the loading names the key
    KeepsValue,     // the value in memory stays
};

// One word of a list, standing for its index; the default is an index too. A value without a word is
// written as the default's word.
struct WordForm
{
    const QStringList* words = nullptr;
    OwnerProperty<int> value;
    int byDefault = 0;
    UnknownWord unknown = UnknownWord::ReadsAsDefault;
    // Turns the value read into one this computer can use; none keeps it.
    int (*usable)(int value, const SettingsEnvironment& env) = nullptr;
};

// The wave file of an event, "(none)" for silence. The default is silence, or the completion sound the
// program ships in the application folder.
struct SoundForm
{
    OwnerProperty<QString> value;
    bool shippedByDefault = false;
};

// One action of the custom synchronisation rules, rule indexing CSyncSettings::Rules. It is read only when
// the method read before is Custom, since every other method brings its own rules. Orphans can only be left,
// copied or deleted: any other word, like an unknown one, leaves them.
struct SyncRuleForm
{
    const QStringList* words = nullptr;
    int rule = 0;
    int byDefault = 0;
};

// A category flag of the Custom view, read only when the view type read before is Custom. A file flag is
// set by "True", cleared by "False" and left by anything else; a folder flag reads as a plain flag. After
// the last view key the windows hear that the view selections are read (viewSelectionsLoaded), whatever
// the view type.
struct CustomViewForm
{
    bool CViewSelections::*flag = nullptr;
    bool byDefault = true;
    bool leftByOtherText = false;
    bool lastViewKey = false;
};

// The folder boxes' font size: no padding, a decimal point only where it has a fraction. A size that is no
// positive number reads as the start font's size (also the default); one above 50 points as 8.
struct FontSizeForm
{
    double MainOptions::*value = nullptr;
};

// "Maximized" or "Normal" (a minimised window is stored as normal, its last normal place kept).
struct WindowStateForm
{
    MainOptions::WindowState MainOptions::*value = nullptr;
};

// The window's height or width in twips, written only for a normal window. Text that is no number reads as
// the default.
struct WindowSizeForm
{
    int MainOptions::*value = nullptr;
    int byDefault = 0;
};

// The window's top or left edge in twips, written only for a normal window and never below 0. The default
// centres the window (of the size read before) on the screen; an edge beyond the screen reads as it too.
struct WindowEdgeForm
{
    int MainOptions::*value = nullptr;
    int MainOptions::*size = nullptr; // the height for the top, the width for the left
    bool vertical = false;
};

using OptionForm = std::variant<FlagForm, WholeForm, TextForm, WordForm, SoundForm, SyncRuleForm, CustomViewForm,
                                FontSizeForm, WindowStateForm, WindowSizeForm, WindowEdgeForm>;

// How a row's menu items follow it.
enum class MenuMirror {
    None,
    // A click sets the value: a flag from the item's check mark, a word from the item chosen. The marks
    // show the value.
    Sets,
    // The items are commands with handlers of their own that set the value; only their marks follow it.
    MarksOnly,
    // The items are commands of their own that also keep their marks; a click stores the value as well.
    StoresOnly,
};

struct OptionRow
{
    const char* section = nullptr;
    const char* key = nullptr;
    // The place in the writing order of the section, from 1; 0 for a key written elsewhere (the filters are
    // written whenever they change).
    int writePlace = 0;
    OptionForm form;
    // Object names of the main window's menu items: one for a flag, one per word for a word (nullptr for a
    // word without an item).
    std::vector<const char*> menuItems;
    MenuMirror mirror = MenuMirror::None;
};

// Every row, in reading order: sections "Options", "Form Dimensions", "ColumnWidths".
const std::vector<OptionRow>& OptionRows();

// Every written row: the sections in reading order, each section's rows by writePlace.
const std::vector<const OptionRow*>& RowsInWritingOrder();

// Whose property a row fills.
SettingOwner OwnerOf(const OptionRow& row);

// The menu items of the synchronisation methods, by method number.
extern const char* const SyncMethodMenuItems[CSyncSettings::MethodCount];

// The value of a row as its menu items show it: 0 or 1 for a flag, the index for a word, 0 for other forms.
int MenuValue(const OptionRow& row, const SettingsOwners& owners);
// Sets a flag (0 or not) or a word (its index) from a menu item; other forms ignore it.
void SetMenuValue(const OptionRow& row, const SettingsOwners& owners, int value);
