#pragma once

#include <QString>
#include <QStringList>

// "parvexcmd files [--checks LIST] [options] FILE1 FILE2": the checks of the two-file window, headless.
// Writes one line per check that ran: the method, the File #1 and File #2 columns and the result, tab-
// separated, in the window's words. Exit status 0 when no check found a difference, 1 when one did, 2 on
// trouble (bad usage, a missing file, a cancellation by SIGINT or SIGTERM, a failure).
int RunFilesCommand(const QStringList& args);

QString FilesUsage();
