#pragma once

#include <QStringList>

// "parvexcmd compare [options] LEFT RIGHT": compares two folders headlessly and writes one line per row
// pair. args are the arguments after "compare". Answers the exit status: 0 when every pair is the same
// or an identical folder, 1 when any pair differs, 2 on trouble (a refused path, the same folder twice,
// cancellation by SIGINT or SIGTERM, unreadable files, results that could not be written, bad usage).
int RunCompareCommand(const QStringList& args);

// The usage text of the compare command.
QString CompareUsage();

// Writes text to standard output. A write that fails (a full disk) is reported on standard error.
// Answers the exit status: 0, or 2 when the text could not be written whole.
int WriteStandardOutput(const QString& text);
