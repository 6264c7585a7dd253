#pragma once

#include <QString>

class ErrorHandler;
class UserDialogs;

// Where filter texts are kept: the settings file and the filter list files (extension "lst").

// Writes both texts at once to the settings file: keys "IncludeFileTypes" and "ExcludeFileTypes" of
// section "Options" of "parvex.ini" in appFolder. dialogs shows the settings file's own messages.
void SaveFiltersToIni(const QString& appFolder, UserDialogs& dialogs, ErrorHandler& errors,
                      const QString& includeFilters, const QString& excludeFilters);

// A filter text as the settings file keeps it, and back. The settings file reads a value of fewer than
// two characters as missing and trims the ends of every value, so a filter such as "*" or " a " is kept
// between double quotes; every other text is kept as it is, as older files have it. Reading strips one
// pair of enclosing quotes.
QString StoredFilterText(const QString& filters);
QString FilterTextFromStore(const QString& stored);

// The file-type choice of the filter list pickers, in the pickers' "Text (*.ext)" form.
QString FilterListFileType();

// Writes a filter list file: two lines ended by CR LF, the include text and then the exclude text, both
// exactly as held. The old file is replaced only once the new one is complete. Failures are reported
// with "frmOptions.cmdSaveList" and answer false.
bool WriteFilterListFile(ErrorHandler& errors, const QString& file, const QString& includeFilters,
                         const QString& excludeFilters);

// Reads the first two lines of a filter list file (CR LF or LF line ends) into the two texts. A file of
// fewer than two lines, or one that cannot be read, is reported with "frmOptions.cmdLoadList", answers
// false and leaves both texts untouched.
bool ReadFilterListFile(ErrorHandler& errors, const QString& file, QString& includeFilters, QString& excludeFilters);
