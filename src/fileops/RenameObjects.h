#pragma once

#include "platform/FileOps.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class ParvexLib;
class UserDialogs;

// Renaming the objects of result rows: one object to a name the user types, or several at once, each new
// name made from the old one by a fixed chain of optional changes and shown with its conflict before
// anything is renamed. Names are row names: a folder's begins with "/".
//
// Renaming never replaces an existing object. The preview marks every name that another object of the
// folder (or an earlier row) already has, ignoring case; the rename itself is refused by the file system
// when the name has been taken since (RENAME_NOREPLACE), and the object keeps its old name.
//
// This system keeps no short (8.3) names, so "Short File Name" leaves a name as it is.

enum class Capitalization { LeaveUnchanged, UpperCase, LowerCase, ProperCase, ToggleCase };
// The items of the capitalisation list, in the enum's order.
QStringList CapitalizationTexts();

// The changes, applied in this order to every name. A text option that is off is none.
struct RenameRules
{
    bool removeSpaces = false;
    bool removeExtension = false;
    Capitalization capitalization = Capitalization::LeaveUnchanged;
    std::optional<QString> fileName;  // replaces the name before the extension
    std::optional<QString> extension; // replaces the extension (a leading "." is dropped)
    std::optional<QString> prefix;
    std::optional<QString> suffix;    // before the extension

    struct Numbering
    {
        bool replaceExtension = false; // otherwise the name before the extension
        int length = 8;                // left-padded with zeroes to this many digits
        qint64 startsWith = 1;
        qint64 increment = 1;
    };
    std::optional<Numbering> numbering;
};

enum class RenameConflict { No, Yes, Unchanged };
// "No", "Yes", "Unchanged": the "Conflicts?" column.
QString ConflictText(RenameConflict conflict);

struct RenamePreviewRow
{
    QString original;
    QString revised;
    RenameConflict conflict = RenameConflict::No;
};

// The new name of one bare name (a folder's without its "/"); number is the row's sequence number.
QString RevisedName(const ParvexLib& lib, const QString& name, const RenameRules& rules, qint64 number);

// The preview of renaming originals (row names, in order) in a folder that holds folderNames (row
// names of everything in it). A revised name is "Yes" when the folder or an earlier row's revised name
// already has it ignoring case (an original keeps its name until its own row comes), or when it is no
// name an object can have; "Unchanged" when it is the original exactly.
std::vector<RenamePreviewRow> PreviewRenames(const ParvexLib& lib, const QStringList& originals,
                                             const QStringList& folderNames, const RenameRules& rules);

// The names of everything folder holds now, hidden objects too, for the conflict test: the results of
// a comparison leave out what the filters kept away.
QStringList NamesInFolder(const QString& folder);

// Renames the object oldName of folder (with a trailing "/") to newName, both bare names. A change of
// letter case alone, on a file system that takes both spellings for one name, goes through a temporary
// name, which is given back when the second step fails.
FileOps::Result RenameObject(const QString& folder, const QString& oldName, const QString& newName);

struct RenameReport
{
    QStringList problems; // the objects that kept their names
    int renamed = 0;
};
// Renames the "No" rows of a preview in order; progress gets the number of rows handled after each row.
RenameReport RenameObjects(const QString& folder, const std::vector<RenamePreviewRow>& rows,
                           const std::function<void(int)>& progress = {});

// The number boxes of the numbering and the check each gets when it loses the focus.
enum class NumberBox { Length, StartsWith, Increment };
// The text an empty box gets: the length is 3 when the numbers replace the extension, else 8; the others 1.
QString NumberBoxDefault(NumberBox box, bool replaceExtension);
// The value of a box's text; none when it is no whole number of the box's range (a length of 1 to 255
// characters, a start of 0 or more, an increment of 1 or more).
std::optional<qint64> NumberBoxValue(NumberBox box, const QString& text);
// The "Invalid Value" message for a box's text.
QString NumberBoxMessage(NumberBox box, const QString& text);

// The rename of one selected row (its name and the folder of its list) through the input box. Answers
// whether the object got a new name.
bool RenameOneObject(UserDialogs& dialogs, const QString& folder, const QString& rowName);
