#pragma once

#include <QStringList>

// "parvexcmd compare [options] LEFT RIGHT": compares two folders headlessly and writes one line per row
// pair. args are the arguments after "compare". Answers the exit status: 0 when every pair is the same
// or an identical folder, 1 when any pair differs, 2 on trouble (a refused path, the same folder twice,
// cancellation, unreadable files, bad usage).
int RunCompareCommand(const QStringList& args);

// The usage text of the compare command.
QString CompareUsage();
