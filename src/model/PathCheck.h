#pragma once

#include "base/Failure.h"
#include "base/UserDialogs.h"

#include <QString>
#include <optional>

class CDir;
class ErrorHandler;
class ParvexLib;
class VolumeQueries;

// The check of one pane's path before a comparison. CheckPathOnce answers what one pass of the check
// finds, without showing anything; IsValidPath shows that answer through the dialogs and runs the check
// again for as long as the user answers Retry to "Drive ... is not ready.".
//
// Order of the checks: a path of one character (other than "/") is refused; the path is made absolute;
// an existing folder must also be readable; for a missing one the mount point ("drive") decides between
// "folder missing", "drive not ready" (Retry/Cancel) and "drive not found".
struct PathVerdict
{
    enum class Kind {
        Valid,      // the folder exists and can be listed
        Refused,    // a message (text, title, icon) and the path is refused
        NotReady,   // the drive is not ready: the text is asked with Retry and Cancel
        Failed,     // an unexpected failure, reported under "CDir.IsValidPath"
    };
    Kind kind = Kind::Valid;
    QString text;
    QString title;
    UserDialogs::Icon icon = UserDialogs::Icon::Warning;
    // The message is the helper library's ShowInformationMessage (when the library is bound).
    bool throughHelperLibrary = false;
    std::optional<Failure> failure;
};

// What the check reads besides the path: the helper library's existence tests and the error handler
// for the failures of FolderExists, and the dialogs that show its verdicts.
struct PathCheckEnv
{
    const ParvexLib& lib;
    ErrorHandler& errors;
    UserDialogs& dialogs;
};

// volumes answers the drive questions (a test stands in a medium that is not ready).
PathVerdict CheckPathOnce(const QString& path, const VolumeQueries& volumes, const ParvexLib& lib,
                          ErrorHandler& errors);

// Checks path for dir's side, with every message; answers whether the comparison may read it.
bool IsValidPath(const CDir& dir, const PathCheckEnv& env, const QString& path);
