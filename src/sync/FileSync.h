#pragma once

#include "platform/FileOps.h"

#include <QString>
#include <QtGlobal>

class DriveQueries;
class ErrorHandler;
class UserDialogs;

// Synchronises one pair of files: the one chosen as target is replaced by the other.
//
// The replacement is a copy of the source over the target that is renamed into place only when whole
// (FileOps), so a copy that fails (full disk, no permission, a read error) leaves the old target as it
// was. The target keeps its own name even when the source is named differently. Links are objects of
// their own: a target that is a link is replaced as the link, not the file it points to, and a source
// that is a link is copied as a link.
enum class FileSyncDirection {
    FileTwoSameAsFileOne, // "Replace File 2 with File 1"
    FileOneSameAsFileTwo, // "Replace File 1 with File 2"
};

enum class FileSyncResult {
    Synchronised,
    NotEnoughSpace, // the target's drive cannot take the growth; the user was told
    Failed,         // the user was told why
};

struct FileSyncServices
{
    UserDialogs& dialogs;
    ErrorHandler& errors;
    const DriveQueries& drives;
    // Where the journal is (the application folder; none: the replacement is not recorded), and whether the
    // replaced file is kept in the trash so that "Undo Last Synchronization" can bring it back.
    QString appFolder{};
    bool keepForUndo = false;
};

// The space check, then the replacement, each outcome told to the user: "Not enough space on drive ..."
// (the source is larger than the target by more than the drive has free), "Problems accessing the
// target drive." (its folder is gone), other failures through the error handler, and on success
// "File synchronization completed successfully.", all titled "File Sync".
FileSyncResult SynchronizeFile(const FileSyncServices& services, const QString& fileOne, const QString& fileTwo,
                               FileSyncDirection direction, const FileOps::Control& control = {});

QString FileSyncTitle();
QString NotEnoughSpaceForFileSyncText(const QString& drive);
